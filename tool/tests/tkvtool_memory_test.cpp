// read, write, dump and load on the four address spaces, with the real
// hexdump and xxd as the measure of the layouts.
#include "tkvtool_run.h"

namespace {

// Bytes that exercise the table: repeated rows, every byte value, text, and
// a short last row.
std::string tableBytes() {
    std::string bytes(48, '\0');
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    bytes += "Hello, world! 0123456789abcdef";
    bytes += std::string(40, 'x');
    return bytes + randomBytes(301, 7);
}

}  // namespace

TEST(TkvtoolMemory, ValuesWrittenAreReadBackInEveryWidthAndSpace) {
    Tool tool;
    EXPECT_EQ(tool.out({"write", "reg", "100", "1122334455667788", "-w", "8"}), "");
    EXPECT_EQ(tool.out({"read", "reg", "100", "-w", "8"}), "0x1122334455667788\n");
    EXPECT_EQ(tool.out({"read", "reg", "0x100", "-c", "2"}), "0x55667788\n0x11223344\n");
    EXPECT_EQ(tool.out({"read", "reg", "103", "-w1", "-c3"}), "0x55\n0x44\n0x33\n");
    EXPECT_EQ(tool.out({"read", "-w", "2", "reg", "106"}), "0x1122\n");
    EXPECT_EQ(tool.out({"write", "crtc", "fe", "5a"}), "");
    EXPECT_EQ(tool.out({"read", "crtc", "fe"}), "0x5a\n");
    // PCI: bytes and words cut out of their dword; written a whole dword at a time.
    EXPECT_EQ(tool.out({"pci", "read", "0"}), "0x5a106b7a\n");
    EXPECT_EQ(tool.out({"read", "pci", "2", "-w", "2"}), "0x5a10\n");
    EXPECT_EQ(tool.out({"read", "pci", "1", "-w", "1"}), "0x6b\n");
    EXPECT_EQ(tool.out({"read", "pci", "1", "-w", "2"}), "0x106b\n");
    EXPECT_EQ(tool.out({"pci", "write", "4", "107", "-r"}), "");
    EXPECT_EQ(tool.out({"read", "pci", "4"}), "0x00000107\n");
}

TEST(TkvtoolMemory, MaskChangesOnlyItsBits) {
    Tool tool;
    tool.out({"write", "vram", "40", "12345678"});
    EXPECT_EQ(tool.out({"write", "vram", "40", "ff00ff00", "-m", "ffff", "-r"}), "");
    EXPECT_EQ(tool.out({"read", "vram", "40"}), "0x1234ff00\n");
}

TEST(TkvtoolMemory, DumpIsByteForByteWhatHexdumpPrints) {
    SKIP_WITHOUT(hexdumpPath, "hexdump");
    Tool tool;
    const std::string bytes = tableBytes();
    TempFile file(bytes);
    tool.loadVram(bytes);
    const std::string length = "0x" + [&] {
        char text[16];
        snprintf(text, sizeof text, "%zx", bytes.size());
        return std::string(text);
    }();
    EXPECT_EQ(tool.out({"dump", "vram", "0", length}), runPeer(hexdumpPath, {"-C", file.path()}).out);
    EXPECT_EQ(tool.out({"dump", "vram", "0", length, "-v", "-w", "1"}),
              runPeer(hexdumpPath, {"-C", "-v", file.path()}).out);
    // From another start the rows begin there, as with hexdump -s.
    EXPECT_EQ(tool.out({"dump", "vram", "5", "1f3"}),
              runPeer(hexdumpPath, {"-C", "-s", "5", "-n", "499", file.path()}).out);
    EXPECT_EQ(tool.out({"dump", "vram", "0", "0"}), "");
}

TEST(TkvtoolMemory, FailedItemsShowAsXXInTheTableAndEndARawDump) {
    Tool tool;
    tool.loadVram(std::string(32, 'A'));
    // The second of four quad requests fails.
    ProcessRun table = tool.run({"dump", "vram", "0", "20"}, {"TKVSIM_FAIL_NTH=2"});
    EXPECT_EQ(table.out,
              "00000000  41 41 41 41 41 41 41 41  XX XX XX XX XX XX XX XX  |AAAAAAAAXXXXXXXX|\n"
              "00000010  41 41 41 41 41 41 41 41  41 41 41 41 41 41 41 41  |AAAAAAAAAAAAAAAA|\n"
              "00000020\n");
    EXPECT_EQ(table.err, "tkvtool: dump vram 0x00000008 (8 bytes): Input/output error\n");
    EXPECT_EQ(table.exitCode, 1);
    ProcessRun raw = tool.run({"dump", "vram", "0", "20", "-o", "-"}, {"TKVSIM_FAIL_NTH=2"});
    EXPECT_EQ(raw.out, std::string(8, 'A'));
    EXPECT_EQ(raw.err, table.err);
    EXPECT_EQ(raw.exitCode, 1);
}

TEST(TkvtoolMemory, LoadThenRawDumpRoundTripsOneMiB) {
    Tool tool;
    const std::string bytes = randomBytes(1 << 20, 13);
    TempFile in(bytes), out;
    // An odd start: narrow requests first, then quads.
    EXPECT_EQ(tool.out({"load", "vram", "3", in.path(), "--verify"}), "");
    EXPECT_EQ(tool.out({"dump", "vram", "3", "100000", "-o", out.path()}), "");
    EXPECT_TRUE(out.contents() == bytes);
    EXPECT_TRUE(tool.out({"dump", "vram", "3", "100000", "-o", "-", "-q"}) == bytes);
}

TEST(TkvtoolMemory, LoadTakesStandardInputAndStopsAtTheEndOfTheSpace) {
    SKIP_WITHOUT(xxdPath, "xxd");
    Tool tool;
    const std::string bytes = runPeer(xxdPath, {"-r", "-p"}, "00112233445566778899aabbccddeeff\n").out;
    ASSERT_EQ(bytes.size(), 16u);
    EXPECT_EQ(tool.run({"load", "crtc", "e0", "-"}, {}, bytes).exitCode, 0);
    EXPECT_EQ(tool.out({"read", "crtc", "ef"}), "0xff\n");
    EXPECT_EQ(runPeer(xxdPath, {"-p"}, tool.out({"dump", "crtc", "e0", "10", "-o", "-"})).out,
              "00112233445566778899aabbccddeeff\n");
    // Too long: refused before anything is written.
    ProcessRun past = tool.run({"load", "crtc", "f0", "-"}, {}, bytes + "!");
    EXPECT_EQ(past.err,
              "tkvtool: standard input (more than 0xf bytes) runs past the end of crtc (0xff)\n"
              "Try 'tkvtool load --help'\n");
    EXPECT_EQ(past.exitCode, 2);
    EXPECT_EQ(tool.out({"read", "crtc", "f0"}), "0x00\n");
    TempFile file(bytes);
    ProcessRun tooLong = tool.run({"load", "crtc", "f8", file.path()});
    EXPECT_EQ(tooLong.err,
              "tkvtool: '" + file.path() +
                  "' (0x10 bytes) runs past the end of crtc (0xff)\nTry 'tkvtool load --help'\n");
    EXPECT_EQ(tooLong.exitCode, 2);
}

// The load writes the bytes it measured: a file that grows or shrinks while
// it is read fails the load, and nothing lands past the measured range.
TEST(TkvtoolMemory, AnInputThatChangesSizeDuringALoadFailsIt) {
    struct Change {
        const char *command;
        const char *message;
    };
    const Change changes[] = {
        {"head -c 4096 /dev/zero >>\"$1\"",
         "grew while it was loaded (its first 0x40000 bytes were written)"},
        {"truncate -s 65536 \"$1\"", "shrank while it was loaded"},
    };
    for (const Change &change : changes) {
        Tool tool;
        TempFile input(std::string(0x40000, '\x5a')), trace;
        // Once the load has made its first requests, the input changes.
        const std::string script =
            "\"$0\" load vram 0 \"$1\" -w 1 -q & pid=$!\n"
            "until [ \"$(wc -l <\"$2\")\" -gt 100 ]; do sleep 0.01; done\n" +
            std::string(change.command) + "\nwait $pid\n";
        ProcessRun run = tool.run({"-c", script, TKVCON_PATH, input.path(), trace.path()},
                                  {"TKVSIM_TRACE=" + trace.path()}, "", "/bin/sh");
        EXPECT_NE(run.err.find(change.message), std::string::npos) << run.err;
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(tool.out({"read", "vram", "40000", "-w", "1"}), "0x00\n");
    }
}

// load --hex takes the rows that tkvtool dump, hexdump -C and xxd print, "*"
// included, and refuses a malformed line with its number, writing nothing.
TEST(TkvtoolMemory, LoadHexReadsTheRowsOfTheDumpFormats) {
    SKIP_WITHOUT(hexdumpPath, "hexdump");
    SKIP_WITHOUT(xxdPath, "xxd");
    const std::string bytes = randomBytes(300, 3) + std::string(64, 'A') + "tail";
    TempFile file(bytes);
    const std::string texts[] = {runPeer(hexdumpPath, {"-C", file.path()}).out,
                                 runPeer(xxdPath, {file.path()}).out,
                                 runPeer(xxdPath, {"-g1", file.path()}).out};
    for (const std::string &text : texts) {
        Tool fresh;
        EXPECT_EQ(fresh.run({"load", "vram", "10", "-", "--hex"}, {}, text).exitCode, 0) << text;
        EXPECT_TRUE(fresh.out({"dump", "vram", "10", "170", "-o", "-"}) == bytes);
    }
    Tool tool;
    tool.loadVram(bytes);
    const std::string dumped = tool.out({"dump", "vram", "0", "170"});
    EXPECT_EQ(tool.run({"load", "vram", "1000", "-", "--hex"}, {}, dumped).exitCode, 0);
    EXPECT_TRUE(tool.out({"dump", "vram", "1000", "170", "-o", "-"}) == bytes);

    struct Malformed {
        const char *text, *error;
    };
    const Malformed malformed[] = {
        {"00000000  41 zz  |A.|\n", "line 1: 'zz' is not a hex byte"},
        {"00000000  41 41\n00000004  41\n", "line 2: the offset does not follow the row before"},
        {"00000000  41 41\n*\n", "line 3: '*' at the end: no offset says how far it repeats"},
        {"00000000  41 41\n*\n00000005\n", "line 3: the offset after '*' is not a whole number of rows on"},
        {"00000002\n00000002  41\n", "line 2: a line after the closing offset"},
        {"hello world\n", "line 1: 'hello world' is not a row of a hex dump"},
        {"00000000  XX 41\n", "line 1: 'XX' is not a hex byte"},
    };
    CaseSampler sampler;  // one reporting path; the reader's checks are fuzzed
    for (const Malformed &m : malformed) {
        if (!sampler.runs("malformed")) continue;
        ProcessRun run = tool.run({"load", "vram", "2000", "-", "--hex"}, {}, m.text);
        EXPECT_EQ(run.err, std::string("tkvtool: load: 'standard input' ") + m.error + "\n");
        EXPECT_EQ(run.exitCode, 1);
    }
    EXPECT_EQ(tool.out({"read", "vram", "2000", "-w", "1"}), "0x00\n");
}
