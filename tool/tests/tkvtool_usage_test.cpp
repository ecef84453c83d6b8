// What tkvtool says about bad input and failures: one line (and for a usage
// error, where to find help), the right exit status, nothing on stdout.
#include <dirent.h>
#include <signal.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>

#include "tkvtool_run.h"

namespace {

struct UsageCase {
    std::vector<std::string> args;
    const char *topic;  // of the "Try" line; null: tkvtool --help
    std::string message;
};

const UsageCase kUsageCases[] = {
    {{}, nullptr, "missing command"},
    {{"frobnicate"}, nullptr, "unknown command 'frobnicate'"},
    {{"--frob"}, nullptr, "unknown option '--frob'"},
    {{"-d", "zz", "version"}, nullptr, "invalid device 'zz' (0 to ff)"},
    {{"-d"}, nullptr, "option '-d' needs a value"},
    {{"read"}, "read", "missing space"},
    {{"read", "reg"}, "read", "missing address"},
    {{"read", "reg", "0", "1"}, "read", "unexpected argument '1'"},
    {{"version", "extra"}, "version", "unexpected argument 'extra'"},
    {{"read", "rom", "0"}, "read", "invalid space 'rom' (reg, vram, crtc or pci)"},
    {{"read", "reg", "zz"}, "read", "invalid address 'zz'"},
    {{"read", "reg", "0x"}, "read", "invalid address '0x'"},
    {{"read", "reg", "10g"}, "read", "invalid address '10g'"},
    {{"read", "reg", "100000000"}, "read", "invalid address '100000000'"},
    {{"read", "reg", "1000000"}, "read", "address 0x1000000 is outside reg (0 to 0xffffff)"},
    {{"read", "crtc", "ff", "-w", "1"}, "read", "address 0xff is outside crtc (0 to 0xfe)"},
    {{"read", "reg", "fffffc", "-c", "2"},
     "read",
     "0x2 items from 0xfffffc run past the end of reg (0x1000000)"},
    {{"read", "reg", "0", "-w", "3"}, "read", "invalid width '3' (1, 2, 4 or 8)"},
    {{"read", "crtc", "0", "-w", "2"}, "read", "crtc has no 2-byte items"},
    {{"pci", "read", "0", "-w8"}, "pci read", "pci has no 8-byte items"},
    {{"read", "pci", "2"}, "read", "4-byte pci items from 0x2 cross 4-byte words"},
    {{"read", "pci", "1", "-w", "2", "-c", "2"}, "read", "2-byte pci items from 0x1 cross 4-byte words"},
    {{"read", "reg", "0", "-x"}, "read", "unknown option '-x'"},
    {{"read", "reg", "0", "-v"}, "read", "unknown option '-v'"},
    {{"read", "reg", "0", "-c"}, "read", "option '-c' needs a value"},
    {{"read", "reg", "0", "-c", "0"}, "read", "invalid count '0'"},
    {{"write", "reg", "0"}, "write", "missing value"},
    {{"write", "reg", "0", "-1"}, "write", "unknown option '-1'"},
    {{"write", "reg", "0", "100", "-w", "1"}, "write", "value 0x100 does not fit in 1 byte"},
    {{"write", "reg", "0", "1", "-m", "1ffff", "-w", "2"}, "write", "mask 0x1ffff does not fit in 2 bytes"},
    {{"write", "reg", "0", "10000000000000000", "-w", "8"}, "write", "invalid value '10000000000000000'"},
    {{"dump", "vram", "ffffff0", "20"},
     "dump",
     "0x20 bytes from 0xffffff0 run past the end of vram (0x10000000)"},
    {{"dump", "reg", "0", "3", "-w", "2"}, "dump", "length 0x3 is not a multiple of the width 2"},
    {{"load", "vram", "0"}, "load", "missing file"},
    {{"i2c"}, "i2c", "missing i2c command"},
    {{"i2c", "scan", "0"}, "i2c", "unknown i2c command 'scan'"},
    {{"i2c", "detect", "2"}, "i2c detect", "invalid channel '2' (0 or 1)"},
    {{"i2c", "get", "0", "a0", "0"}, "i2c get", "0xa0 is not a 7-bit address (did you mean 0x50?)"},
    {{"i2c", "get", "0", "f0", "0"}, "i2c get", "0xf0 is not a 7-bit address"},
    {{"i2c", "get", "0", "78", "0"}, "i2c get", "0x78 is a reserved address (use 0x03 to 0x77)"},
    {{"i2c", "get", "0", "50", "100"}, "i2c get", "invalid register '100'"},
    {{"i2c", "get", "0", "50", "0", "-c", "101"}, "i2c get", "count 0x101 is more than 0x100"},
    {{"i2c", "set", "0", "50", "0"}, "i2c set", "missing value"},
    {{"i2c", "set", "0", "50", "0", "1", "100"}, "i2c set", "invalid value '100'"},
    {{"edid", "4"}, "edid", "invalid port '4' (0 to 3)"},
    {{"zv", "info", "2"}, "zv info", "invalid port '2' (0 or 1)"},
    // Every range is checked before the device is touched.
    {{"read", "reg", "fffffe"}, "read", "a 4-byte item at 0xfffffe runs past the end of reg (0x1000000)"},
    {{"read", "vram", "ffffffc", "-w", "8"},
     "read",
     "an 8-byte item at 0xffffffc runs past the end of vram (0x10000000)"},
    {{"pci", "read", "100"}, "pci read", "address 0x100 is outside pci (0 to 0xff)"},
    {{"i2c", "set", "0", "50", "ff", "1", "2", "3"},
     "i2c set",
     "0x3 registers from 0xff run past register 0xff"},
    {{"i2c", "get", "0", "50", "fe", "-c", "4"}, "i2c get", "0x4 registers from 0xfe run past register 0xff"},
    // A part of a PCI dword is not written: the rest would be written back.
    {{"pci", "write", "4", "6", "-w", "1"},
     "pci write",
     "pci is written in whole 4-byte words: a 1-byte write would write back the rest of its word "
     "(use -m MASK to change some bits)"},
    {{"zv", "init", "0", "-a", "26"}, "zv init", "invalid decoder address '26' (24 or 25)"},
    {{"zv", "init", "0", "--layer=2"}, "zv init", "invalid layer '2' (1 or 3)"},
    {{"zv", "start", "0", "-w", "65536"}, "zv start", "invalid width '65536' (0 to 65535)"},
    {{"zv", "start", "0", "-x", "0x10"}, "zv start", "invalid x '0x10' (0 to 65535)"},
    {{"version", "-d", "zz"}, "version", "invalid device 'zz' (0 to ff)"},
};

}  // namespace

TEST(TkvtoolUsage, BadInputGetsOneLineWhereToFindHelpAndStatus2) {
    Tool tool;
    // The cases of one help topic differ only in which check of the parser
    // fails (the argument fuzzer takes those paths too).
    CaseSampler sampler;
    for (const UsageCase &c : kUsageCases) {
        const std::string topic = c.topic ? std::string(c.topic) + " " : "";
        if (!sampler.runs(topic)) continue;
        ProcessRun run = tool.run(c.args);
        std::string words;
        for (const auto &a : c.args) words += a + " ";
        EXPECT_EQ(run.err, "tkvtool: " + c.message + "\nTry 'tkvtool " + topic + "--help'\n") << words;
        EXPECT_EQ(run.exitCode, 2) << words;
        EXPECT_EQ(run.out, "") << words;
    }
}

TEST(TkvtoolUsage, HelpAndVersionGoToStandardOutput) {
    Tool tool;
    for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
             {"--help"}, {"read", "--help"}, {"i2c", "--help"}, {"i2c", "set", "-h"}, {"--version"}}) {
        ProcessRun run = tool.run(args);
        EXPECT_EQ(run.exitCode, 0) << args[0];
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out, "");
    }
    EXPECT_EQ(tool.out({"--version"}), "tkvtool 1.0.0\n");
    EXPECT_NE(tool.out({"read", "--help"}).find("  -c COUNT   how many items (default 1)\n"),
              std::string::npos);
    EXPECT_NE(tool.out({"i2c", "--help"}).find("  tkvtool i2c set CH ADDR REG VALUE... [-r]\n"),
              std::string::npos);
}

namespace {

struct FailureCase {
    std::vector<std::string> args;
    std::vector<std::string> env;
    std::string err;
};

const FailureCase kFailureCases[] = {
    {{"read", "reg", "10", "-w", "1"},
     {"TKVSIM_FAIL_REQUESTS=5"},
     "tkvtool: read reg 0x00000010 (1 byte): Input/output error\n"},
    {{"write", "vram", "8", "1"},
     {"TKVSIM_FAIL_REQUESTS=5"},
     "tkvtool: write vram 0x00000008 (4 bytes): Input/output error\n"},
    {{"write", "pci", "0", "0", "-r"},
     {},
     "tkvtool: write pci 0x00000000: wrote 0x00000000, read back 0x5a106b7a\n"},
    {{"version"}, {"TKVSIM_FAIL_OPEN=13"}, "tkvtool: cannot open device 0 (/dev/tkvrw): Permission denied\n"},
    {{"version"}, {"TKVSIM_FAIL_REQUESTS=5"}, "tkvtool: version: Input/output error\n"},
    {{"zv", "info", "1"}, {"TKVSIM_FAIL_NTH=3"}, "tkvtool: zv info 1: Input/output error\n"},
    {{"i2c", "get", "1", "50", "0"}, {}, "tkvtool: i2c get 1 0x50 0x00: no device answers\n"},
    {{"i2c", "set", "0", "24", "3", "1"},
     {"TKVSIM_I2C_HANG=0"},
     "tkvtool: i2c set 0 0x24 0x03: the channel does not respond\n"},
    {{"i2c", "detect", "0"}, {"TKVSIM_I2C_HANG=0"}, "tkvtool: i2c detect 0: the channel does not respond\n"},
    {{"edid", "2"}, {}, "tkvtool: edid 2: no monitor (No such device or address)\n"},
    {{"dump", "vram", "0", "10", "-o", "/nonexistent/x"},
     {},
     "tkvtool: cannot write '/nonexistent/x': No such file or directory\n"},
    {{"dump", "vram", "0", "10", "-o", "/dev/full"}, {}, "tkvtool: /dev/full: No space left on device\n"},
    {{"dump", "vram", "0", "10", "-o", "/dev/stdout"},
     {},
     "tkvtool: cannot write '/dev/stdout': is a symbolic link; use - for standard output\n"},
    {{"load", "vram", "0", "/nonexistent"},
     {},
     "tkvtool: cannot read '/nonexistent': No such file or directory\n"},
};

}  // namespace

TEST(TkvtoolFailures, AFailureIsOneLineAndStatus1WithNoValuePrinted) {
    Tool tool;
    for (const FailureCase &c : kFailureCases) {
        ProcessRun run = tool.run(c.args, c.env);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.exitCode, 1) << c.err;
        EXPECT_EQ(run.out, "") << c.err;
    }
}

TEST(TkvtoolFailures, OutputFilesAreNewAndPrivateNeverReachedThroughALinkAndKeptWhenNothingCame) {
    Tool tool;
    TempFile target("keep");
    EXPECT_EQ(tool.run({"edid", "2", "-o", target.path()}).exitCode, 1);
    EXPECT_EQ(target.contents(), "keep");
    const std::string link = target.path() + ".link";
    ASSERT_EQ(symlink(target.path().c_str(), link.c_str()), 0);
    ProcessRun run = tool.run({"dump", "vram", "0", "10", "-o", link});
    unlink(link.c_str());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(target.contents(), "keep");

    const std::string fresh = target.path() + ".new";
    EXPECT_EQ(tool.out({"dump", "vram", "0", "10", "-o", fresh}), "");
    struct stat st {};
    EXPECT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
    EXPECT_EQ(st.st_size, 16);
    unlink(fresh.c_str());
}

// -o FILE: a run that is ended by a signal or fails to write leaves FILE as
// it was and nothing beside it; one that succeeds replaces it, keeping its
// permissions.
TEST(TkvtoolFailures, AnOutputFileIsReplacedOnlyByARunThatSucceeded) {
    Tool tool;
    char folder[] = "/tmp/tkvtool-output-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string target = std::string(folder) + "/prev.bin";
    TempFile listing;
    {
        FILE *f = fopen(target.c_str(), "w");
        ASSERT_NE(f, nullptr);
        fputs("precious", f);
        fclose(f);
    }
    const std::string killed =
        "\"$0\" dump vram 0 10000000 -w 1 -q -o \"$1\" & pid=$!\n"
        "until [ \"$(ls -A \"${1%/*}\" | wc -l)\" -gt 1 ]; do sleep 0.01; done\n"
        "kill -TERM $pid; wait $pid; echo $?; ls -A \"${1%/*}\"\n";
    EXPECT_EQ(tool.run({"-c", killed, TKVCON_PATH, target}, {}, "", "/bin/sh").out, "143\nprev.bin\n");
    const std::string tooLarge =
        "ulimit -f 8; trap '' XFSZ; \"$0\" dump vram 0 100000 -q -o \"$1\"\n"
        "echo $?; ls -A \"${1%/*}\"\n";
    ProcessRun failed = tool.run({"-c", tooLarge, TKVCON_PATH, target}, {}, "", "/bin/sh");
    EXPECT_EQ(failed.out, "1\nprev.bin\n");
    EXPECT_EQ(failed.err, "tkvtool: " + target + ": File too large\n");
    std::ifstream kept(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "precious");

    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    EXPECT_EQ(tool.out({"dump", "vram", "0", "10", "-o", target}), "");
    struct stat st {};
    EXPECT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 16);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    unlink(target.c_str());
    rmdir(folder);
}

// A signal that ends dump -o at any moment, once or twice (timeout(1) sends
// it to the process and to its group), leaves FILE as it was or wholly new
// and nothing beside it, and the run dies of it; a run done first succeeds.
TEST(TkvtoolFailures, ASignalAtAnyMomentLeavesTheOutputFileWholeAndNothingBesideIt) {
    Tool tool;
    char folder[] = "/tmp/tkvtool-signal-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string target = std::string(folder) + "/dump.bin";
    const std::vector<std::string> dump = {"dump", "vram", "0", "400000", "-q", "-o", target};
    constexpr off_t kWhole = 0x400000;
    auto sizeOf = [&target] {
        struct stat st {};
        return stat(target.c_str(), &st) == 0 ? st.st_size : off_t{-1};
    };
    // The moments spread over a whole run here and a little beyond it.
    const auto started = std::chrono::steady_clock::now();
    tool.out(dump);
    const auto wholeUs =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started)
            .count();
    ASSERT_EQ(sizeOf(), kWhole);
    const int moments = underCheckingTool() ? 3 : 20;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        for (int moment = 0; moment < moments; ++moment) {
            ASSERT_EQ(truncate(target.c_str(), 3), 0);  // "the old file": 3 bytes
            ProcessOptions options;
            options.env = {tool.state().env()};
            options.timedSignal = signal;
            options.signalAfterUs = static_cast<long>(wholeUs * 6 / 5 * moment / moments);
            const ProcessRun run = runProgram(dump, options);
            const off_t size = sizeOf();
            const std::string when =
                strsignal(signal) + (" after " + std::to_string(options.signalAfterUs)) + " us";
            if (run.exitCode == 0) {
                EXPECT_EQ(size, kWhole) << when;
            } else {
                EXPECT_EQ(run.signal, signal) << when << ": exit " << run.exitCode << " " << run.err;
                EXPECT_TRUE(size == 3 || size == kWhole) << when << ": " << size << " bytes";
            }
            DIR *listing = opendir(folder);
            ASSERT_NE(listing, nullptr);
            std::vector<std::string> names;
            while (const dirent *entry = readdir(listing))
                if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
                    names.emplace_back(entry->d_name);
            closedir(listing);
            EXPECT_EQ(names, std::vector<std::string>{"dump.bin"}) << when;
        }
    unlink(target.c_str());
    rmdir(folder);
}

TEST(TkvtoolFailures, ADisabledI2cChannelRunsNoTransaction) {
    Tool tool;
    EXPECT_EQ(tool.out({"write", "reg", "2", "0", "-w", "1"}), "");
    EXPECT_EQ(
        tool.out({"i2c", "list"}),
        "i2c-0\tdisabled\tprescale 0x0031\tI2C master 0\ni2c-1\tenabled\tprescale 0x0031\tI2C master 1\n");
    for (const std::vector<std::string> &args :
         std::vector<std::vector<std::string>>{{"i2c", "detect", "0"},
                                               {"i2c", "dump", "0", "50"},
                                               {"i2c", "get", "0", "33", "0"},
                                               {"i2c", "set", "0", "50", "0", "1"},
                                               {"zv", "init", "0"}}) {
        ProcessRun run = tool.run(args);
        EXPECT_EQ(run.err, "tkvtool: I2C channel 0 is disabled (control 0x00)\n") << args[1];
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(tool.out({"write", "reg", "2", "80", "-w", "1"}), "");
    EXPECT_EQ(tool.out({"i2c", "get", "0", "50", "1"}), "0x01\n");
}
