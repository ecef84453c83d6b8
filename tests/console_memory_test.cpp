// The memory commands: output formats of every width, dump rows, counts,
// fills, and what the console does with offsets the library refuses.
#include <gtest/gtest.h>

#include "console_driver.h"
#include "console_text.h"

using namespace keys;

namespace {

// Runs each command as its own line; returns what the commands printed
// (prompts and echoes removed) and what went to standard error.
struct Printed {
    std::string out, err;
};

Printed run(const std::vector<std::string> &commands) {
    std::string typed, echoes;
    for (const auto &command : commands) {
        typed += command + kEnter;
        echoes += ">" + command + "\r\n";
    }
    TerminalRun result = runConsole(typed + kCtrlC);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0);
    // Strip the echoes and prompts in order, keeping what comes between them.
    Printed printed{"", result.errors};
    size_t at = 0;
    for (const auto &command : commands) {
        std::string echo = ">" + command + "\r\n";
        size_t found = result.output.find(echo, at);
        EXPECT_NE(found, std::string::npos) << "no echo of " << command << " in " << result.output;
        if (found == std::string::npos) return printed;
        printed.out += result.output.substr(at, found - at);
        at = found + echo.size();
    }
    const bool endsWithPrompt = result.output.size() > at && result.output.back() == '>';
    EXPECT_TRUE(endsWithPrompt) << result.output;
    if (endsWithPrompt) printed.out += result.output.substr(at, result.output.size() - 1 - at);
    return printed;
}

std::string repeated(const std::string &text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

}  // namespace

TEST(ConsoleMemory, WritesReadBackInEveryWidth) {
    for (std::string region : {"r", "v"}) {
        SCOPED_TRACE("region " + region);
        Printed p = run({region + "wb 200 1ff", region + "ww 210 12345", region + "wl 220 123456789",
                         region + "wq 230 1122334455667788", region + "rb 200", region + "rw 210",
                         region + "rl 220", region + "rq 230"});
        EXPECT_EQ(p.out,
                  "00000200: ff\n"
                  "00000210: 2345\n"
                  "00000220: 23456789\n"
                  "00000230: 55667788 11223344\n");
        EXPECT_EQ(p.err, "");
    }
}

TEST(ConsoleMemory, DumpRowsCoverSixteenBytes) {
    for (std::string region : {"r", "v"}) {
        SCOPED_TRACE("region " + region);
        // Bytes 00 to 13 at 100 to 113.
        const std::string fill = region + "wq 100 0706050403020100;" + region + "wq 108 0f0e0d0c0b0a0908;" +
                                 region + "wl 110 13121110";
        Printed p = run({fill, region + "rbs 100 12", region + "rbs 100 10", region + "rws 100 9",
                         region + "rls 104 5", region + "rqs 100 3", region + "rbs 100"});
        EXPECT_EQ(p.out,
                  "00000100: 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f\n"
                  "00000110: 10 11\n"
                  "00000100: 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f\n"
                  "00000100: 0100 0302 0504 0706 0908 0b0a 0d0c 0f0e\n"
                  "00000110: 1110\n"
                  "00000104: 07060504 0b0a0908 0f0e0d0c 13121110\n"
                  "00000114: 00000000\n"
                  "00000100: 03020100 07060504 0b0a0908 0f0e0d0c\n"
                  "00000110: 13121110 00000000\n"
                  "00000100: 00\n");
    }
}

TEST(ConsoleMemory, ReadsWithoutWordsUseAddressZeroAndCountOne) {
    Printed p = run({"vwq 0 8877665544332211", "cwb 0 3c", "vrb", "vrw", "vrl", "vrq", "vrbs", "vrqs", "crb",
                     "vrb 10 20"});
    EXPECT_EQ(p.out,
              "00000000: 11\n"
              "00000000: 2211\n"
              "00000000: 44332211\n"
              "00000000: 44332211 88776655\n"
              "00000000: 11\n"
              "00000000: 44332211 88776655\n"
              "CRTC0 00: 3c\n"
              "00000010: 00\n");
}

TEST(ConsoleMemory, ZeroOrNegativeCountsPrintOnlyANewline) {
    Printed p = run({"vrbs 100 0", "vrbs 100 ffffffff", "vrbs 100 80000000", "vrbs 100 -1", "rrqs 100 0",
                     "crbs 5 fffffff0"});
    EXPECT_EQ(p.out, repeated("\n", 6));
}

TEST(ConsoleMemory, NumbersKeepTheirLow32BitsAndLeadingDigits) {
    Printed p =
        run({"vwb 120 99", "vrb 100000120", "rwb 100000121 0x1ff", "rrb 121", "vrbs 120 2zz", "vrb 12g"});
    EXPECT_EQ(p.out,
              "00000120: 99\n"
              "00000121: ff\n"
              "00000120: 99 00\n"
              "00000012: 00\n");
}

TEST(ConsoleMemory, CrtcRegisters) {
    Printed p = run({"cwb 5 a5", "cwb 6 15a", "crb 5", "crbs 5 2", "cwb 7", "crb ff", "crb 1ab"});
    EXPECT_EQ(p.out,
              "CRTC0 05: a5\n"
              "00000005: a5 5a\n" +
                  kInvalidArgument +
                  "CRTC0 ff: 00\n"
                  "CRTC0 1ab: 00\n");
    EXPECT_EQ(p.err, repeated(kOutOfRange, 2));
}

TEST(ConsoleMemory, FillsWriteEveryItemOfTheirWidth) {
    Printed p = run({"vwbs 1000 4 ab", "vrbs ffe 8",          //
                     "vwws 2000 2 1abcd", "vrws 2000 3",      //
                     "vwls 3000 2 123456789", "vrls 3000 3",  //
                     "vwqs 4000 2 1", "vrqs 4000 3",          //
                     "vwbs 5000 0 ab;vwbs 5001 ffffffff ab", "vrbs 5000 2"});
    EXPECT_EQ(p.out,
              "00000ffe: 00 00 ab ab ab ab 00 00\n"
              "00002000: abcd abcd 0000\n"
              "00003000: 23456789 23456789 00000000\n"
              "00004000: 00000001 00000000 00000001 00000000\n"
              "00004010: 00000000 00000000\n"
              "00005000: 00 00\n");
}

TEST(ConsoleMemory, WritesWithMissingWordsWriteNothing) {
    std::vector<std::string> commands;
    for (std::string write : {"rwb", "rww", "rwl", "rwq", "vwb", "vww", "vwl", "vwq", "cwb"}) {
        commands.push_back(write);
        commands.push_back(write + " 300");
    }
    for (std::string fill : {"vwbs", "vwws", "vwls", "vwqs"}) {
        commands.push_back(fill + " 300");
        commands.push_back(fill + " 300 4");
    }
    commands.push_back("rrq 300;vrqs 300 2");
    Printed p = run(commands);
    EXPECT_EQ(p.out, repeated(kInvalidArgument, 26) + "00000300: 00000000 00000000\n" +
                         "00000300: 00000000 00000000 00000000 00000000\n");
}

TEST(ConsoleMemory, RefusedOffsetsPrintZeroAfterTheLibrarysComplaint) {
    Printed p = run({"rwb fffffe ab;rwb ffffff cd", "rrbs fffffe 4",  //
                     "rwl fffffc 12345678;rrl fffffc;rrl 1000000",    //
                     "vwb 10000000 1;vrq 10000000", "rwl 1000000 5"});
    EXPECT_EQ(p.out,
              "00fffffe: ab cd 00 00\n"
              "00fffffc: 12345678\n"
              "01000000: 00000000\n"
              "10000000: 00000000 00000000\n");
    EXPECT_EQ(p.err, repeated(kOutOfRange, 6));
}
