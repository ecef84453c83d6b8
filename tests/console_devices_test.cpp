// The i2c, zv, ddc, pci, version, info and help commands, typed into the
// console through a pipe: the transcript shows the prompt and the echo.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "console_driver.h"
#include "console_text.h"

namespace {

using Steps = std::vector<std::pair<std::string, std::string>>;  // line typed, what it prints

// Types each line and expects, after its echo, exactly what it prints.
void expectSession(const Steps &steps, std::vector<std::string> env = {}) {
    std::string input, expected;
    for (const auto &[line, printed] : steps) {
        input += line + "\n";
        expected += ">" + line + "\r\n" + printed;
    }
    expected += ">";  // the prompt that meets the end of input
    ProcessOptions options;
    options.input = input;
    options.env = std::move(env);
    ProcessRun run = runProgram({}, options);
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.exitCode, 0);
}

// A 16-a-row dump of `count` bytes where byte i is `start` + i (the EEPROM's
// pattern), rows headed with `digits` digits.
std::string patternDump(unsigned start, unsigned count, int digits) {
    std::string out;
    char piece[16];
    for (unsigned i = 0; i < count; ++i) {
        if (i % 16 == 0) {
            snprintf(piece, sizeof piece, "%s%0*x:", i ? "\n" : "", digits, start + i);
            out += piece;
        }
        snprintf(piece, sizeof piece, " %02x", (start + i) & 0xFF);
        out += piece;
    }
    return out + "\n";
}

const std::string kSetEeprom = "Set I2C to channel 0 with device address 0x50 (7-bit)\n";

}  // namespace

TEST(ConsoleI2c, SetKeepsWhatIsNotGiven) {
    expectSession({
        {"i2c set", "Set I2C to channel 0 with device address 0x00 (7-bit)\n"},
        {"i2c set 1", "Set I2C to channel 1 with device address 0x00 (7-bit)\n"},
        {"I2C SET 0 24", "Set I2C to channel 0 with device address 0x24 (7-bit)\n"},
        {"i2c set", "Set I2C to channel 0 with device address 0x24 (7-bit)\n"},
    });
}

TEST(ConsoleI2c, DumpsTheEepromInRowsOfSixteen) {
    expectSession({
        {"i2c set 0 50", kSetEeprom},
        {"i2c rbs 10 20", patternDump(0x10, 0x20, 4)},
        {"i2c rbs 0 200", patternDump(0, 256, 4)},  // never more than 256
        {"i2c rbs f8 3", patternDump(0xf8, 3, 4)},
        {"i2c rbs 0 0", "\n"},
        {"i2c rb 7", "0007: 07\n"},
    });
}

TEST(ConsoleI2c, WritesAreReadBack) {
    expectSession({
        {"i2c set 0 50", kSetEeprom},
        {"i2c wb 5 1a5", ""},
        {"i2c rb 5", "0005: a5\n"},
        {"i2c wb 5", kInvalidArgument},
    });
}

TEST(ConsoleI2c, ErrorsAndBadSubcommands) {
    expectSession({
        {"i2c wbs 0 1 2;i2c set",
         "Invalid I2C command. Use help or ? [i2c] for command info\n"
         "Set I2C to channel 0 with device address 0x00 (7-bit)\n"},
        {"i2c rb;i2c set", kInvalidArgument},
        {"i2c", kInvalidArgument},
        {"i2c rbs 5", kInvalidArgument},
        {"i2c set 2 50", "Set I2C to channel 2 with device address 0x50 (7-bit)\n"},
        {"i2c rb 5", "I2C error: I2c channel is not exist\n"},
        {"i2c set 0 33", "Set I2C to channel 0 with device address 0x33 (7-bit)\n"},
        {"i2c rbs 0 10", "I2C error: I2c slave device is not exist\n"},
        {"i2c wb 0 1", "I2C error: I2c slave device is not exist\n"},
    });
}

TEST(ConsoleI2c, AHungChannelIsGivenUp) {
    expectSession({{"i2c set 0 50", kSetEeprom}, {"i2c rb 0", "I2C error: I2c channel is not exist\n"}},
                  {"TKVSIM_I2C_HANG=0"});
}

TEST(ConsoleZoomVideo, PortIdIsRememberedAndANegativeOneSticks) {
    expectSession({
        {"zv stop", kInvalidArgument},
        {"zv init 1", ""},
        {"zv stop", ""},
        {"zv stop -1", kInvalidArgument},
        {"zv info", kInvalidArgument},
        {"zv", kInvalidArgument},
        {"zv foo;zv info 0",
         "Invalid zoom video command. Use help or ? [zc] for command info\n"
         "Zoom video [0]: X=0 Y=0 W=0 H=0 CutLeft=2013265920 ZoomW=0 ZoomH=0 "
         "Connector=0 CameraW=0 CameraH=0\n"},  // a cut measured from 0
    });
}

TEST(ConsoleZoomVideo, StartTakesTheCameraSizeOnceTheDecoderIsProgrammed) {
    const std::string started =
        "Zoom video [1]: X=0 Y=0 W=720 H=576 CutLeft=0 ZoomW=0 ZoomH=0 Connector=0 CameraW=720 "
        "CameraH=576\n";
    expectSession({
        {"zv start 1", kInvalidArgument},  // no decoder programmed: the camera shows 0 x 0
        {"ZV Init 1,1", ""},               // port 1's decoder sits on channel 1
        {"zv start 1", ""},
        {"zv info", started},
        {"zv start 1 640 480 10 20 3 1 2 7;zv info",
         "Zoom video [1]: X=10 Y=20 W=640 H=480 CutLeft=2 ZoomW=1 ZoomH=2 Connector=1 CameraW=720 "
         "CameraH=576\n"},
        {"i2c set 1 24", "Set I2C to channel 1 with device address 0x24 (7-bit)\n"},
        {"i2c rbs 2 4", "0002: c0 34 00 00\n"},  // what init programmed
        {"zv stop;zv restart;zv info 0",
         "Zoom video [0]: X=0 Y=0 W=0 H=0 CutLeft=2013265920 ZoomW=0 "
         "ZoomH=0 Connector=0 CameraW=0 CameraH=0\n"},
    });
}

TEST(ConsoleZoomVideo, AGivenWindowSizeSkipsTheCameraProbe) {
    std::string trace = testing::TempDir() + "/zv_trace_" + std::to_string(getpid());
    expectSession({{"zv init 0", ""}, {"zv start 0 720 572", ""}}, {"TKVSIM_TRACE=" + trace});
    std::ifstream in(trace);
    std::string line, all;
    while (std::getline(in, line)) all += line + "\n";
    remove(trace.c_str());
    EXPECT_EQ(all.find("size=2"), std::string::npos) << all;  // no word read of the camera size
    EXPECT_NE(all.find("offset=0x00010068 value=0x00000000023c02d0"), std::string::npos) << all;
}

TEST(ConsoleDdc, DumpsEachPort) {
    ProcessOptions options;
    options.input = "ddc 0\nddc 1\nddc 2\nddc 3\nddc 4\nddc a\nddc\n";
    ProcessRun run = runProgram({}, options);
    const std::string &out = run.out;
    EXPECT_NE(out.find(">ddc 0\r\n00000000: 00 ff ff ff ff ff ff 00"), std::string::npos) << out;
    EXPECT_NE(out.find("\n000000f0:"), std::string::npos);
    EXPECT_EQ(out.find("\n00000100:"), std::string::npos);
    size_t port1 = out.find(">ddc 1\r\n");
    size_t port2 = out.find(">ddc 2\r\n");
    ASSERT_NE(port1, std::string::npos);
    std::string rows1 = out.substr(port1, port2 - port1);
    EXPECT_NE(rows1.find("\n00000070:"), std::string::npos);
    EXPECT_EQ(rows1.find("\n00000080:"), std::string::npos);
    EXPECT_EQ(rows1.find("EDID is invalid"), std::string::npos);
    EXPECT_NE(out.find(">ddc 2\r\nDDC 2 get edid failed with err=-1\n>ddc 3\r\n"), std::string::npos);
    EXPECT_NE(out.find("\nEDID is invalid\n>ddc 4\r\nDDC 4 is not exist\n>ddc a\r\nDDC 10 is not exist\n"
                       ">ddc\r\n" +
                       kInvalidArgument + ">"),
              std::string::npos)
        << out;
}

TEST(ConsoleDdc, AnEmptyEdidPrintsAnEmptyLineAndIsInvalid) {
    std::string empty = testing::TempDir() + "/empty_edid_" + std::to_string(getpid());
    std::ofstream(empty).close();
    expectSession({{"ddc 1", "\nEDID is invalid\n"}}, {"TKVSIM_EDID1=" + empty});
    remove(empty.c_str());
}

TEST(ConsolePci, ReadsWritesAndSizesBars) {
    expectSession({
        {"pci 0", "00000000: 5a106b7a\n"},
        {"pci 4 0;pci 4", "00000004: 00000000\n"},
        {"pci 4 7", ""},
        {"pci 4", "00000004: 00000007\n"},
        {"pci 10 ffffffff;pci 10", "00000010: f0000008\n"},
        {"pci 0 12345678;pci 0", "00000000: 5a106b7a\n"},  // identity is read-only
        {"pci", kInvalidArgument},
        {"pci 2", "00000002: 00000000\n"},  // unaligned: the request fails, the value stays 0
    });
}

TEST(ConsoleVersion, VersionVerAndInfo) {
    const std::string banner = "VN701/VN702: 1024MB total video memory, driver version 2.5.0.17\n";
    expectSession(
        {
            {"version;ver;VERSION;Ver;vEr", "2.5.0.17\n2.5.0.17\n2.5.0.17\n2.5.0.17\n2.5.0.17\n"},
            {"info", banner},
            {"vers", invalidCommand("VERS")},
            {"versio", invalidCommand("VERSIO")},
        },
        {"TKVSIM_CORE_VERSION=2.5.0.17"});
    expectSession({{"ver;info",
                    "get tkvcore version failed with err=-1\n"
                    "get tkvcore version failed with err=-1\n"}},
                  {"TKVSIM_FAIL_REQUESTS=5"});
}

TEST(ConsoleHelp, TopicsAreCaseInsensitive) {
    const std::string ddcEntry = "ddc ch\n\t- hdmi ddc get edid\n\t    ch: ddc channel, 0, 1, 2 or 3\n\n";
    const std::string common =
        "help/h/? \n\t- show all help information\n"
        "help/h/? reg/vram/i2c/common\n\t- show special help information\n"
        "quit/q\n\t- quit from command line\n";
    const std::string pci =
        "pci addr\n\t- read pci configure register\npci addr value\n\t- write pci configure register\n";
    expectSession({
        {"help ddc", ddcEntry},
        {"h Common", common},
        {"?,PCI", pci},
        {"help foo", ""},
    });
    ProcessOptions options;
    options.input = "help\n";
    ProcessRun run = runProgram({}, options);
    EXPECT_EQ(
        run.out.rfind(
            ">help\r\nrrb/rrw/rrl/rrq  adr\n\t- read a/two/four/eight byte(s) on register region (hex)\n", 0),
        0u);
    EXPECT_NE(run.out.find(ddcEntry + pci + common + ">"), std::string::npos) << run.out;
    size_t entries = 0;
    for (size_t at = 0; (at = run.out.find("\n\t- ", at)) != std::string::npos; ++at) ++entries;
    EXPECT_EQ(entries, 24u);
}

TEST(ConsoleQuit, QuitEndsTheLineAndTheConsole) {
    ProcessOptions options;
    options.input = "quit; rrb 0\nrrb 0\n";
    ProcessRun run = runProgram({}, options);
    EXPECT_EQ(run.out, ">quit; rrb 0\r\n");
    EXPECT_EQ(run.exitCode, 0);
    options.input = "rrb 100;Q\nrrb 0\n";
    run = runProgram({}, options);
    EXPECT_EQ(run.out, ">rrb 100;Q\r\n00000100: 00\n");
    options.input = "qu\n";
    EXPECT_EQ(runProgram({}, options).out, ">qu\r\n" + invalidCommand("QU") + ">");
}
