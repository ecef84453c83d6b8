// The one-shot mode: tkvcon started with arguments runs one operation.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

#include "console_driver.h"
#include "console_text.h"

namespace {

// Runs tkvcon with the arguments (split at blanks) on the given device state.
ProcessRun tkvcon(const std::string &args, std::vector<std::string> env = {}) {
    std::vector<std::string> words;
    for (size_t at = 0; at < args.size();) {
        size_t end = args.find(' ', at);
        if (end == std::string::npos) end = args.size();
        if (end > at) words.push_back(args.substr(at, end - at));
        at = end + 1;
    }
    ProcessOptions options;
    options.env = std::move(env);
    ProcessRun run = runProgram(words, options);
    EXPECT_FALSE(run.timedOut) << args;
    return run;
}

std::string outOf(const std::string &args, const DeviceStateFile &state) {
    ProcessRun run = tkvcon(args, {state.env()});
    EXPECT_EQ(run.err, "") << args;
    EXPECT_EQ(run.exitCode, 0) << args;
    return run.out;
}

}  // namespace

TEST(OneShot, RegWithoutOptionsReadsOneByteAtOffsetZero) {
    ProcessRun run = tkvcon("reg");
    EXPECT_TRUE(std::regex_match(run.out, std::regex("00000000: [0-9a-f]{2}\n"))) << run.out;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(tkvcon("reg -a 0 -o 0 -w 1 -n 1").out, run.out);
}

TEST(OneShot, SeventeenBytesFromOffsetZeroTakeTwoLines) {
    ProcessRun run = tkvcon("reg -n 11");
    EXPECT_TRUE(std::regex_match(run.out, std::regex("00000000:( [0-9a-f]{2}){16}\n00000010: [0-9a-f]{2}\n")))
        << run.out;
}

TEST(OneShot, ZeroOrNegativeCountPrintsAnEmptyLine) {
    for (const char *args : {"reg -n 0", "reg -n 80000000", "vram -n ffffffff -w 8", "vram -n -1"}) {
        ProcessRun run = tkvcon(args);
        EXPECT_EQ(run.out, "\n") << args;
        EXPECT_EQ(run.exitCode, 0) << args;
    }
}

TEST(OneShot, WriteEchoesTheValueCutToItsWidth) {
    EXPECT_EQ(tkvcon("reg -o 1 -w 8 -v 1122334455667788").out, "[00000000]=55667788 11223344\n");
    EXPECT_EQ(tkvcon("reg -a 100 -o 1 -v 1ff").out, "[00000100]=ff\n");
    EXPECT_EQ(tkvcon("vram -a 100 -o 1 -w 2 -v 12345 -n 5").out, "[00000100]=2345\n");
    EXPECT_EQ(tkvcon("vram -o 1 -a 0x100 -v 123456789 -w 4").out, "[00000100]=23456789\n");
}

TEST(OneShot, ValuesWrittenInOneRunAreReadInTheNext) {
    DeviceStateFile state;
    CaseSampler sampler;  // the modes share the code down to the library's request
    for (std::string mode : {"reg", "vram"}) {
        if (!sampler.runs("mode")) continue;
        SCOPED_TRACE(mode);
        outOf(mode + " -a 1000 -o 1 -w 8 -v 1122334455667788", state);
        outOf(mode + " -a 1000 -o 1 -w 1 -v 1ff", state);
        outOf(mode + " -a 1002 -o 1 -w 2 -v 1abcd", state);
        EXPECT_EQ(outOf(mode + " -a 1000 -w 8", state), "00001000: abcd77ff 11223344\n");
        EXPECT_EQ(outOf(mode + " -a 1000 -n 8", state), "00001000: ff 77 cd ab 44 33 22 11\n");
    }
}

TEST(OneShot, ReadLinesCoverSixteenBytesInEveryWidth) {
    DeviceStateFile state;
    CaseSampler sampler;  // the modes share the code down to the library's request
    for (std::string mode : {"reg", "vram"}) {
        if (!sampler.runs("mode")) continue;
        SCOPED_TRACE(mode);
        // Bytes 00 to 13 at 100 to 113.
        outOf(mode + " -a 100 -o 1 -w 8 -v 0706050403020100", state);
        outOf(mode + " -a 108 -o 1 -w 8 -v 0f0e0d0c0b0a0908", state);
        outOf(mode + " -a 110 -o 1 -w 4 -v 13121110", state);
        EXPECT_EQ(outOf(mode + " -a 100 -n 11", state),
                  "00000100: 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f\n"
                  "00000110: 10\n");
        EXPECT_EQ(outOf(mode + " -a 100 -w 2 -n 9", state),
                  "00000100: 0100 0302 0504 0706 0908 0b0a 0d0c 0f0e\n"
                  "00000110: 1110\n");
        EXPECT_EQ(outOf(mode + " -a 104 -w 4 -n 5", state),
                  "00000104: 07060504 0b0a0908 0f0e0d0c 13121110\n"
                  "00000114: 00000000\n");
        EXPECT_EQ(outOf(mode + " -a 100 -w 8 -n 3", state),
                  "00000100: 03020100 07060504 0b0a0908 0f0e0d0c\n"
                  "00000110: 13121110 00000000\n");
    }
}

TEST(OneShot, OperandErrorsPrintTheirMessageAndTheUsage) {
    const std::string help = tkvcon("--help").out;
    EXPECT_EQ(tkvcon("vram -w 3").out, "Register operation width is error\n" + help);
    EXPECT_EQ(tkvcon("vram -o 2").out, "Vram operation type is error\n" + help);
    EXPECT_EQ(tkvcon("vram -o 2 -w 3").out, "Vram operation type is error\n" + help);
    EXPECT_EQ(tkvcon("reg -o 2").out, "Register operation type is error\n" + help);
    EXPECT_EQ(tkvcon("reg -w 0").out, "Register operation width is error\n" + help);
    ProcessRun badWrite = tkvcon("reg -o 1 -w 16 -v 1");
    EXPECT_EQ(badWrite.out, "Register operation width is error\n" + help);
    EXPECT_EQ(badWrite.exitCode, 0);
}

TEST(OneShot, UsageForAnyOtherFirstWord) {
    const std::string help = tkvcon("--help").out;
    EXPECT_EQ(help.rfind(std::string(TKVCON_PATH) + " usage.\n", 0), 0u) << help;
    for (const char *args : {"?", "-h", "foo", "REG", "Ver", "-a 100 reg"}) {
        ProcessRun run = tkvcon(args);
        EXPECT_EQ(run.out, help) << args;
        EXPECT_EQ(run.err, "") << args;
        EXPECT_EQ(run.exitCode, 0) << args;
    }
}

// The usage text's example lines name the program and a mode word, and the
// option lines under each name options that the mode takes.
TEST(OneShot, UsageDocumentsTheModesAndTheirOptions) {
    const std::string program = TKVCON_PATH;
    const std::string help = tkvcon("--help").out;
    std::istringstream lines(help);
    std::string line, mode;
    std::set<std::string> modes;
    int options = 0;
    CaseSampler sampler;  // the options of a mode share its parser
    for (std::getline(lines, line); std::getline(lines, line);) {
        if (line == "eg:" || (line[0] == '\t' && line[1] != '-')) continue;  // descriptions
        if (line[0] != '\t') {
            ASSERT_EQ(line.rfind(program, 0), 0u) << line;
            std::istringstream words(line.substr(program.size()));
            mode.clear();
            words >> mode;
            if (!mode.empty()) modes.insert(mode);
            continue;
        }
        // "\t-x -y: ..." documents -x and -y.
        for (size_t at = 1; at < line.find(':'); at = line.find('-', at + 1)) {
            const std::string option = line.substr(at, 2);
            ++options;
            if (!sampler.runs(mode)) continue;
            ProcessRun run = tkvcon(mode + " " + option + " 0");
            EXPECT_EQ(run.err.find("invalid option"), std::string::npos) << mode << " " << option;
            EXPECT_NE(run.out, help) << mode << " " << option;
        }
    }
    EXPECT_EQ(modes, (std::set<std::string>{"reg", "vram", "i2c", "zv", "ver"}));
    EXPECT_EQ(options, 5 + 5 + 5 + 9);
}

TEST(OneShot, VersionWords) {
    for (const char *args : {"ver", "VER", "version", "VERSION"}) {
        ProcessRun run = tkvcon(args);
        EXPECT_EQ(run.out, "1.0.0.0\n") << args;
        EXPECT_EQ(run.exitCode, 0) << args;
    }
    EXPECT_EQ(tkvcon("ver", {"TKVSIM_CORE_VERSION=2.5.17.3"}).out, "2.5.17.3\n");
}

TEST(OneShot, NoDeviceMeansNoUsageEither) {
    for (const char *args : {"--help", "reg"}) {
        ProcessRun run = tkvcon(args, {"TKVSIM_FAIL_OPEN=2"});
        EXPECT_EQ(run.out, "Open device tekvaro error\n") << args;
        EXPECT_EQ(run.err, "Opening device 0 failed with -1\n") << args;
        EXPECT_EQ(run.exitCode, 1) << args;
    }
}

TEST(OneShot, OptionsMayComeInAnyOrderAmongStrayWords) {
    DeviceStateFile state;
    outOf("vram -o 1 -a 200 -v 5a", state);
    EXPECT_EQ(outOf("vram stray -a 100 words -a 200", state), "00000200: 5a\n");

    const std::string program = TKVCON_PATH;
    ProcessRun unknown = tkvcon("vram -a 200 -q", {state.env()});
    EXPECT_EQ(unknown.out, "00000200: 5a\n");
    EXPECT_EQ(unknown.err, program + ": invalid option -- 'q'\n");
    ProcessRun missing = tkvcon("vram -n 2 -a", {state.env()});
    EXPECT_EQ(missing.out, "00000000: 00 00\n");
    EXPECT_EQ(missing.err, program + ": option requires an argument -- 'a'\n");
}

TEST(OneShot, RefusedOffsetsAreReportedByTheLibraryOnly) {
    ProcessRun read = tkvcon("reg -a 1000000 -w 4");
    EXPECT_EQ(read.out, "01000000: 00000000\n");
    EXPECT_EQ(read.err, kOutOfRange);
    ProcessRun write = tkvcon("vram -a 10000000 -o 1 -v 5");
    EXPECT_EQ(write.out, "[10000000]=05\n");
    EXPECT_EQ(write.err, kOutOfRange);
    EXPECT_EQ(write.exitCode, 0);
}

TEST(OneShot, SimulatorLauncherRunsTheProgramOnASavedDevice) {
    DeviceStateFile state;
    ProcessOptions options;
    options.program = TKVCON_SIM_PATH;
    options.preload = preloadWithoutSimulator();
    options.env = {state.env()};

    ProcessRun version = runProgram({"ver"}, options);
    EXPECT_EQ(version.out, "1.0.0.0\n");
    EXPECT_EQ(version.err, "");
    EXPECT_EQ(version.exitCode, 0);

    EXPECT_EQ(runProgram({"--help"}, options).out.rfind(std::string(TKVCON_SIM_PATH) + " usage.\n", 0), 0u);
    EXPECT_EQ(runProgram({"vram", "-a", "300", "-o", "1", "-v", "77"}, options).out, "[00000300]=77\n");
    EXPECT_EQ(outOf("vram -a 300", state), "00000300: 77\n");
}
