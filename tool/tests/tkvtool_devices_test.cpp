// The I2C, EDID, PCI, zoom video and version commands on the simulated
// controller, against edid-decode and lspci where they are installed.
#include <algorithm>

#include "tkvtool_run.h"

#ifdef TKV_PNG
#include <spng.h>
#endif

namespace {

const std::string kDetectGrid =
    "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n"
    "00:          -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
    "10: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
    "20: -- -- -- -- 24 -- -- -- -- -- -- -- -- -- -- -- \n"
    "30: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
    "40: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
    "50: 50 -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
    "60: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
    "70: -- -- -- -- -- -- -- --                         \n";

}  // namespace

TEST(TkvtoolI2c, DetectShowsTheEepromAndTheDecoder) {
    Tool tool;
    EXPECT_EQ(tool.out({"i2c", "detect", "0"}), kDetectGrid);
    std::string withoutEeprom = kDetectGrid;
    withoutEeprom.replace(withoutEeprom.find("50: 50"), 6, "50: --");
    EXPECT_EQ(tool.run({"i2c", "detect", "0"}, {"TKVSIM_I2C_ABSENT=0:50"}).out, withoutEeprom);
}

TEST(TkvtoolI2c, DumpHasTheByteTableAndXXForADeviceThatDoesNotAnswer) {
    Tool tool;
    tool.out({"i2c", "set", "0", "50", "20", "41", "ff", "7f"});
    const std::string table = tool.out({"i2c", "dump", "0", "50"});
    EXPECT_EQ(table.substr(0, 216),
              "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n"
              "00: 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f    .???????????????\n"
              "10: 10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f    ????????????????\n");
    EXPECT_NE(table.find("20: 41 ff 7f 23 "), std::string::npos);
    EXPECT_NE(table.find("    A.?#$%&'()*+,-./\n"), std::string::npos);
    EXPECT_NE(table.find("\nf0: f0 f1 "), std::string::npos);
    ProcessRun absent = tool.run({"i2c", "dump", "1", "50"});
    EXPECT_NE(absent.out.find("f0: XX XX XX XX XX XX XX XX XX XX XX XX XX XX XX XX    XXXXXXXXXXXXXXXX\n"),
              std::string::npos);
    EXPECT_EQ(absent.err, "tkvtool: i2c dump 1 0x50 0x00: no device answers\n");
    EXPECT_EQ(absent.exitCode, 1);
}

TEST(TkvtoolI2c, SetWritesWhatGetReadsAndReadBackCatchesARegisterThatDoesNotStick) {
    Tool tool;
    EXPECT_EQ(tool.out({"i2c", "set", "0", "0x50", "10", "aa", "bb", "-r"}), "");
    EXPECT_EQ(tool.out({"i2c", "get", "0", "50", "f", "-c", "4"}), "0x0f\n0xaa\n0xbb\n0x12\n");
    // The decoder's register 0 is its read-only chip version.
    ProcessRun run = tool.run({"i2c", "set", "1", "24", "0", "5", "-r"});
    EXPECT_EQ(run.err, "tkvtool: i2c set 1 0x24 0x00: wrote 0x05, read back 0x11\n");
    EXPECT_EQ(run.exitCode, 1);
}

TEST(TkvtoolEdid, RawBytesPassEdidDecodesConformityCheck) {
    SKIP_WITHOUT(edidDecode, "edid-decode");
    Tool tool;
    const std::string edid = tool.out({"edid", "0"});
    ASSERT_EQ(edid.size(), 256u);
    ProcessRun decoded = runPeer(edidDecode, {"-c"}, edid);
    EXPECT_NE(decoded.out.find("EDID conformity: PASS"), std::string::npos) << decoded.out;
    TempFile file;
    EXPECT_EQ(tool.out({"edid", "1", "-o", file.path()}).size(), 0u);
    EXPECT_EQ(file.contents().size(), 128u);
}

TEST(TkvtoolEdid, ABadChecksumStillGivesTheBytesAndFails) {
    Tool tool;
    ProcessRun run = tool.run({"edid", "3"});
    EXPECT_EQ(run.out.size(), 128u);
    EXPECT_EQ(run.err, "tkvtool: edid 3: block 0 has a bad checksum\n");
    EXPECT_EQ(run.exitCode, 1);
}

TEST(TkvtoolTerminal, EdidShowsHexRowsAndRawBytesAreNotWrittenToATerminal) {
    Tool tool;
    TerminalOutput rows = runOnTerminal({"edid", "1"}, tool.state());
    EXPECT_EQ(rows.exitCode, 0);
    EXPECT_EQ(rows.text.substr(0, 48), "00 ff ff ff ff ff ff 00 6b 53 24 10 00 00 00 00\n");
    EXPECT_EQ(std::count(rows.text.begin(), rows.text.end(), '\n'), 8);
    TerminalOutput raw = runOnTerminal({"dump", "vram", "0", "10", "-o", "-"}, tool.state());
    EXPECT_EQ(raw.text, "tkvtool: raw bytes are not written to a terminal\nTry 'tkvtool dump --help'\n");
    EXPECT_EQ(raw.exitCode, 2);
}

TEST(TkvtoolTerminal, ALongTransferShowsAProgressBarThatItWipes) {
    Tool tool;
    // Its output held up for longer than the bar's delay of a second, the
    // dump cannot end sooner, however fast the build is.
    TerminalOutput run = runOnTerminal({"dump", "vram", "0", "800000", "-o", "-"}, tool.state(), 1200);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.pipedBytes, 0x800000u);
    EXPECT_NE(run.text.find("%"), std::string::npos) << run.text;
    EXPECT_EQ(run.text.back(), '\r');
}

TEST(TkvtoolPci, DumpReadsAsLspciDoes) {
    SKIP_WITHOUT(lspci, "lspci");
    Tool tool;
    const std::string rows = tool.out({"pci", "dump"});
    EXPECT_EQ(rows.substr(0, 52), "00: 7a 6b 10 5a 07 00 00 00 01 00 00 03 00 00 00 00\n");
    TempFile file("00:00.0 dump\n" + rows);
    EXPECT_EQ(runPeer(lspci, {"-F", file.path(), "-nn"}).out,
              "00:00.0 VGA compatible controller [0300]: Device [6b7a:5a10] (rev 01)\n");
    EXPECT_NE(runPeer(lspci, {"-F", file.path(), "-xxx"}).out.find(rows), std::string::npos);
}

TEST(TkvtoolInfo, ZvInfoReadsThePortsWindowAndCamera) {
    Tool tool;
    // Decoder programmed, capture on into hardware layer 1, a window at 16,8
    // of 640x480 cut by 8 pixels, zoom x2 across, on CRTC 1.
    tool.out({"i2c", "set", "0", "24", "2", "c0"});
    tool.out({"write", "reg", "100c0", "511"});
    tool.out({"write", "reg", "10064", "80010"});
    tool.out({"write", "reg", "10068", "1e00280"});
    tool.out({"write", "reg", "10038", "4000004"});
    tool.out({"write", "reg", "10060", "2108"});
    EXPECT_EQ(
        tool.out({"zv", "info", "0"}),
        "state capturing\nlayer 1\nx 16\ny 8\nwidth 640\nheight 480\ncut-left 8\nzoom-width 2\nzoom-height 1\ncrtc 1\n"
        "camera-width 720\ncamera-height 576\n");
}

TEST(TkvtoolInfo, ZvCommandsSetUpStartStopAndRestartAPort) {
    Tool tool;
    EXPECT_EQ(tool.out({"zv", "info", "1"}), "state stopped\nlayer none\ncamera-width 0\ncamera-height 0\n");
    ProcessRun early = tool.run({"zv", "start", "1"});
    EXPECT_EQ(early.err, "tkvtool: zv start 1: the port feeds no layer; run 'tkvtool zv init 1' first\n");
    EXPECT_EQ(early.exitCode, 1);
    // Port 1's decoder is on channel 1; the window defaults to the camera's size.
    EXPECT_EQ(tool.out({"zv", "init", "1", "--layer", "3"}), "");
    EXPECT_EQ(tool.out({"read", "reg", "100d0"}), "0x00000610\n");
    EXPECT_EQ(tool.out({"zv", "start", "1", "-x", "16", "-y", "8", "-l", "4", "-t", "1"}), "");
    const std::string window =
        "x 16\ny 8\nwidth 720\nheight 576\ncut-left 4\nzoom-width 1\nzoom-height 1\n"
        "crtc 1\ncamera-width 720\ncamera-height 576\n";
    EXPECT_EQ(tool.out({"zv", "info", "1"}), "state capturing\nlayer 3\n" + window);
    // The simulated camera's first frame, in port 1's buffers: a white bar on
    // the left, a black one on the right (U Y V Y).
    EXPECT_EQ(tool.out({"read", "vram", "4000000"}), "0xeb80eb80\n");
    EXPECT_EQ(tool.out({"read", "vram", "600059c"}), "0x10801080\n");
    EXPECT_EQ(tool.out({"zv", "stop", "1"}), "");
    EXPECT_EQ(tool.out({"zv", "info", "1"}), "state stopped\nlayer 3\n" +
                                                 window.substr(0, window.find("camera")) +
                                                 "camera-width 0\ncamera-height 0\n");
    EXPECT_EQ(tool.out({"zv", "restart", "1"}), "");
    EXPECT_EQ(tool.out({"zv", "info", "1"}), "state capturing\nlayer 3\n" + window);
    ProcessRun noDecoder = tool.run({"zv", "init", "0", "-a", "25"});
    EXPECT_EQ(noDecoder.err, "tkvtool: zv init 0: the decoder at 0x25 on I2C channel 0: no device answers\n");
    EXPECT_EQ(noDecoder.exitCode, 1);
}

TEST(TkvtoolInfo, VersionIsTheDriversInDottedForm) {
    Tool tool;
    EXPECT_EQ(tool.out({"version"}), "1.0.0.0\n");
    EXPECT_EQ(tool.run({"-d", "2", "version"}, {"TKVSIM_CORE_VERSION=2.3.4.5"}).out, "2.3.4.5\n");
    EXPECT_EQ(tool.run({"version", "-d", "2"}, {"TKVSIM_CORE_VERSION=2.3.4.5"}).out, "2.3.4.5\n");
}

#ifdef TKV_PNG
// A frame grab of the simulated camera decodes to its colour bars.
TEST(TkvtoolCapture, AFrameGrabIsAPngOfTheCamerasColourBars) {
    Tool tool;
    ProcessRun early = tool.run({"capture", "1", "-o", "-"});
    EXPECT_EQ(early.err, "tkvtool: capture 1: no frame size: the port does not capture and has no window\n");
    EXPECT_EQ(early.exitCode, 1);
    tool.out({"zv", "init", "0"});
    tool.out({"zv", "start", "0"});
    const std::string png = tool.out({"capture", "0", "-o", "-"});
    spng_ctx *decoder = spng_ctx_new(0);
    ASSERT_EQ(spng_set_png_buffer(decoder, png.data(), png.size()), 0);
    spng_ihdr header{};
    ASSERT_EQ(spng_get_ihdr(decoder, &header), 0);
    EXPECT_EQ(header.width, 720u);
    EXPECT_EQ(header.height, 576u);
    std::vector<uint8_t> rgb(720 * 576 * 3);
    ASSERT_EQ(spng_decode_image(decoder, rgb.data(), rgb.size(), SPNG_FMT_RGB8, 0), 0);
    spng_ctx_free(decoder);
    const uint8_t bars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
    for (int bar = 0; bar < 8; ++bar) {
        const uint8_t *pixel = &rgb[static_cast<size_t>(100 * 720 + bar * 90 + 45) * 3];
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(pixel[c], bars[bar][c], 2) << "bar " << bar;
    }
}
#endif

// --json: one document that Python's json module reads, with the values the
// text output shows.
TEST(TkvtoolJson, EveryCommandThatPrintsValuesGivesOneJsonDocument) {
    SKIP_WITHOUT(python, "python3");
    Tool tool;
    tool.out({"write", "reg", "100", "1122"});
    struct JsonCase {
        std::vector<std::string> args;
        const char *check;  // a Python expression on the document d
    };
    const JsonCase cases[] = {
        {{"read", "reg", "100", "-c", "2"},
         "d['values'] == [{'address': 256, 'value': 4386}, {'address': 260, 'value': 0}]"},
        {{"pci", "read", "0", "-w", "2"}, "d['space'] == 'pci' and d['values'][0]['value'] == 0x6b7a"},
        {{"i2c", "list"}, "d[0] == {'channel': 0, 'enabled': True, 'prescale': 0x31}"},
        {{"i2c", "detect", "0"}, "d['addresses'] == [0x24, 0x50]"},
        {{"i2c", "dump", "0", "50"}, "d['registers'] == list(range(256))"},
        {{"i2c", "get", "0", "50", "10", "-c", "2"}, "d['values'] == [16, 17]"},
        {{"pci", "dump"}, "d['header'][:4] == [0x7a, 0x6b, 0x10, 0x5a] and len(d['header']) == 256"},
        {{"edid", "1"}, "d['length'] == 128 and d['bytes'].startswith('00ffffffffffff00') and d['valid']"},
        {{"zv", "info", "0"}, "d['state'] == 'stopped' and d['layer'] is None and d['window'] is None"},
        {{"version"}, "d == {'driver': '1.0.0.0', 'tool': '1.0.0'}"},
        {{"regs", "ZV0.*"},
         "[r['name'] for r in d] == ['ZV0.PORT_CTRL', 'ZV0.BUF0', 'ZV0.BUF1', 'ZV0.SIZE']"},
        {{"show", "ZV1"}, "d[0]['block'] == 'ZV1' and d[0]['registers'][0]['fields']['capture'] == 0"},
        {{"i2c", "show", "0", "24"}, "d[0]['block'] == 'SAA7111A' and d[0]['registers'][0]['value'] == 0x11"},
    };
    for (const JsonCase &c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("--json");
        const std::string document = tool.out(args);
        ProcessRun parsed = runPeer(
            python, {"-c", std::string("import json, sys; d = json.load(sys.stdin); assert ") + c.check},
            document);
        EXPECT_EQ(parsed.exitCode, 0) << c.args[0] << " " << c.args[1] << ": " << document << parsed.err;
    }
}

// i2c show decodes a device of a type the maps know, and names the types
// it knows for any other address.
TEST(TkvtoolI2c, ShowDecodesTheDecoderByItsRegisterMap) {
    Tool tool;
    const std::string shown = tool.out({"i2c", "show", "0", "24"});
    EXPECT_EQ(shown.substr(0, shown.find('\n', shown.find('\n') + 1) + 1),
              "SAA7111A: SAA7111A video input processor (I2C channel 0 address 0x24)\n"
              "  CHIP_VERSION     0x00 = 0x11\n");
    ProcessRun unknown = tool.run({"i2c", "show", "0", "50"});
    EXPECT_EQ(unknown.err,
              "tkvtool: the register maps know no device at 0x50 (SAA7111A at 0x24, 0x25)\n"
              "Try 'tkvtool i2c show --help'\n");
    EXPECT_EQ(unknown.exitCode, 2);
}
