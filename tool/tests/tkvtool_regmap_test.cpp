// The register map through tkvtool: regmap check's faults, every shipped
// name against the simulated device, and reads and writes by name.
#include <fstream>
#include <iterator>
#include <sstream>

#include "tkvtool_run.h"

namespace {

// A block for the check cases: lines 1 to 5, then the registers from line 6 on.
std::string block(const std::string &registers, const std::string &base = "0") {
    return "[[block]]\nname = \"X\"\nspace = \"reg\"\ninstances = [{ name = \"X\", base = " + base +
           " }]\nregister = [\n" + registers + "]\n";
}

struct CheckCase {
    std::string map;
    std::string fault;  // after "FILE:"
};

const CheckCase kCheckCases[] = {
    {"[[block]]\nname = \"X\nspace = \"reg\"\n", "2: "},  // syntax: the rest is toml++'s wording
    {block("{ name = \"A\", offset = 0, width = 32 },\n", "0xfffffe"),
     "6: X.A at 0xfffffe is outside reg (0 to 0xffffff)\n"},
    {block("{ name = \"A\", offset = 0, width = 32 },\n{ name = \"B\", offset = 2, width = 16 },\n"),
     "7: X.B at 0x2 overlaps X.A at 0x0\n"},
    {block("{ name = \"A\", offset = 0, width = 8, fields = [{ name = \"f\", bits = \"4-8\" }] },\n"),
     "6: X.A.f (bits 4-8) is beyond the register's 8 bits\n"},
    {block("{ name = \"A\", offset = 0, width = 8, fields = [\n{ name = \"f\", bits = \"0-3\" },\n"
           "{ name = \"g\", bits = 3 }] },\n"),
     "8: field g overlaps field f of X.A\n"},
    {block("{ name = \"A\", offset = 0, width = 8 },\n{ name = \"a\", offset = 4, width = 8 },\n"),
     "7: duplicate name X.a (also at line 6)\n"},
    // What the TOML reader would mishandle is refused before it reads.
    {"[[block]]\nname = \"X\"\nspace = reg\xC3\xA9\n",
     "3: a character that is not ASCII outside a string or comment\n"},
    {"[[block]]\nname = \"X\"\nspace = 0\"\xC3\xA9\"\n",
     "3: a character that is not ASCII outside a string or comment\n"},
    {"[[block]]\nname = \"X\"\ndescription = \"\"\"a \\\n  \xC3\xA9\"\"\"\n",
     "3: a character that is not ASCII after a backslash\n"},
    {"[[block]]\nname = \"X\"\ninstances = [ # none\n}]\n", "4: '}' where a value is expected\n"},
};

TEST(TkvtoolRegmap, CheckReportsEachFaultWithItsFileAndLine) {
    Tool tool;
    CaseSampler sampler;  // one reporting path; the reader's checks are fuzzed
    for (const CheckCase &c : kCheckCases) {
        if (!sampler.runs("fault")) continue;
        TempFile map(c.map);
        ProcessRun run = tool.run({"regmap", "check", map.path()});
        EXPECT_EQ(run.out.rfind(map.path() + ":" + c.fault, 0), 0u) << run.out;
        EXPECT_EQ(run.exitCode, 1) << c.map;
    }
    // A read-only and a write-only register may share their address; text
    // that is not ASCII is fine in strings and comments.
    TempFile pair(
        block("{ name = \"R\", offset = 0, width = 8, access = \"ro\", description = \"\xC2\xB5s\" },\n"
              "# \xC3\xA9t\xC3\xA9 ''' \" [ ,\n"
              "{ name = \"W\", offset = 0, width = 8, access = \"wo\" },\n"));
    ProcessRun run = tool.run({"regmap", "check", pair.path()});
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_EQ(run.exitCode, 0);
    // The shipped files, compiled into the programs, are still read as files.
    const std::string shipped = TKV_REGMAPS;
    run = tool.run({"regmap", "check", shipped + "/crtc.toml", shipped + "/i2c_master.toml",
                    shipped + "/layers.toml", shipped + "/pci.toml", shipped + "/saa7111a.toml",
                    shipped + "/zoom_video.toml"});
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_EQ(run.exitCode, 0);
}

// Where the controller's registers are, as its documentation gives them.
const std::pair<const char *, unsigned> kDocumentedAddresses[] = {
    {"I2C0.TXR", 0x03},          {"I2C0.SR", 0x04},          {"I2C1.RXR", 0x13},
    {"I2C1.CR", 0x14},           {"ZV0.PORT_CTRL", 0x100C0}, {"ZV0.BUF0", 0x100C4},
    {"ZV0.BUF1", 0x100C8},       {"ZV0.SIZE", 0x100CC},      {"ZV1.PORT_CTRL", 0x100D0},
    {"ZV1.BUF0", 0x100D4},       {"ZV1.BUF1", 0x100D8},      {"ZV1.SIZE", 0x100DC},
    {"LAYER1.ADDR0", 0x10038},   {"LAYER1.ADDR1", 0x1003C},  {"LAYER1.CTRL", 0x10060},
    {"LAYER1.POS", 0x10064},     {"LAYER1.SIZE", 0x10068},   {"LAYER1.AUX0", 0x1006C},
    {"LAYER1.AUX1", 0x10070},    {"LAYER3.ADDR0", 0x10048},  {"LAYER3.ADDR1", 0x1004C},
    {"LAYER3.CTRL", 0x10080},    {"LAYER3.POS", 0x10084},    {"LAYER3.SIZE", 0x10088},
    {"LAYER3.AUX0", 0x1008C},    {"LAYER3.AUX1", 0x10090},   {"CRTC_PORT.INDEX", 0x103D4},
    {"CRTC_PORT.DATA", 0x103D5},
};

struct Listed {
    std::string name, space, access;
    unsigned address = 0, width = 0;
};

std::vector<Listed> listed(const Tool &tool) {
    std::vector<Listed> registers;
    std::istringstream lines(tool.out({"regs"}));
    for (std::string line; std::getline(lines, line);) {
        Listed r;
        std::istringstream words(line);
        words >> r.name >> r.space >> std::hex >> r.address >> std::dec >> r.width >> r.access;
        registers.push_back(r);
    }
    return registers;
}

// The request a read or write by name made: "OFFSET SIZE" of the memory
// request that reached the register (for crtc, the index written first).
std::string request(const std::string &trace, const std::string &space) {
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        const size_t offset = line.find("offset=0x"), size = line.find("size=");
        if (space == "pci" && line.rfind("pci ", 0) == 0) return line.substr(offset + 7, 10);
        if (line.rfind("mmio ", 0) != 0) continue;
        if (space == "crtc") return line.substr(line.find("value=0x") + 22, 2);  // the index's low byte
        return line.substr(offset + 7, 10) + " " + line.substr(size + 5, 1);
    }
    return "";
}

TEST(TkvtoolRegmap, EveryShippedNameReachesItsAddress) {
    Tool tool;
    const std::vector<Listed> registers = listed(tool);
    ASSERT_GT(registers.size(), 100u);
    for (const auto &[name, address] : kDocumentedAddresses) {
        bool found = false;
        for (const Listed &r : registers) found = found || (r.name == name && r.address == address);
        EXPECT_TRUE(found) << name;
    }
    // The registers of one kind differ only in the map's numbers.
    CaseSampler sampler;
    for (const Listed &r : registers) {
        if (r.space == "i2c") continue;
        if (!sampler.runs(r.space + " " + std::to_string(r.width) + " " + r.access)) continue;
        TempFile trace;
        std::vector<std::string> args = {"read", r.name};
        if (r.access == "wo") args = {"write", r.name, "0"};
        ProcessRun run = tool.run(args, {"TKVSIM_TRACE=" + trace.path()});
        ASSERT_EQ(run.exitCode, 0) << r.name << ": " << run.err;
        char expected[32];
        if (r.space == "reg")
            snprintf(expected, sizeof expected, "0x%08x %u", r.address, r.width / 8);
        else if (r.space == "crtc")
            snprintf(expected, sizeof expected, "%02x", r.address);
        else
            snprintf(expected, sizeof expected, "0x%08x", r.address & ~3u);
        EXPECT_EQ(request(trace.contents(), r.space), expected) << r.name;
    }
}

TEST(TkvtoolRegmap, ShowDecodesAStartedPort) {
    Tool tool;
    tool.out({"zv", "init", "0"});
    tool.out({"zv", "start", "0"});
    const std::string shown = tool.out({"show", "zv0", "LAYER1"});
    EXPECT_NE(shown.find("  PORT_CTRL        0x000100c0 = 0x00000511\n"
                         "      capture = 1 (on)\n"
                         "      layer1 = 1\n"
                         "      layer3 = 0\n"),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find("      enable = 1 (on)\n      connector = 0 (crtc0)\n      camera_width = 720\n"),
              std::string::npos)
        << shown;
    EXPECT_EQ(tool.out({"read", "ZV0.SIZE", "-D"}), "0x024002d0\n  width = 720\n  height = 576\n");
    EXPECT_EQ(tool.out({"read", "zv0.port_ctrl.CAPTURE"}), "0x1\n");
}

TEST(TkvtoolRegmap, FieldWritesReadOnceWriteOnceAndKeepTheOtherBits) {
    Tool tool;
    tool.out({"write", "ZV1.PORT_CTRL", "710"});
    TempFile trace;
    ProcessRun run =
        tool.run({"write", "ZV1.PORT_CTRL", "capture=1", "layer3=0", "-r"}, {"TKVSIM_TRACE=" + trace.path()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string requests = trace.contents();
    EXPECT_NE(requests.find("direction=0 size=4 offset=0x000100d0"), std::string::npos);
    EXPECT_NE(requests.find("direction=1 size=4 offset=0x000100d0 value=0x0000000000000511"),
              std::string::npos);
    tool.out({"write", "LAYER3.CTRL.connector", "crtc1"});
    EXPECT_EQ(tool.out({"read", "reg", "10080"}), "0x00002000\n");
    EXPECT_EQ(tool.out({"read", "ZV1.PORT_CTRL"}), "0x00000511\n");
}

struct NameCase {
    std::vector<std::string> args;
    std::string message;
};

const NameCase kNameCases[] = {
    {{"read", "ZV0.PORT_CTL"}, "unknown register 'ZV0.PORT_CTL' (did you mean ZV0.PORT_CTRL?)"},
    {{"read", "SIZE"}, "'SIZE' is ambiguous: LAYER1.SIZE, LAYER3.SIZE, ZV0.SIZE, ZV1.SIZE"},
    {{"read", "I2C0.CR"}, "I2C0.CR is write-only"},
    {{"write", "ZV0.SIZE", "0"}, "ZV0.SIZE is read-only"},
    {{"write", "PCI.STATUS", "devsel=1"}, "PCI.STATUS.devsel is read-only"},
    {{"write", "LAYER1.CTRL", "zoom_width=4"}, "value 0x4 does not fit in zoom_width (2 bits)"},
    {{"write", "LAYER1.CTRL", "zoom=1"},
     "LAYER1.CTRL has no field 'zoom' (zoom_width, zoom_height, enable, connector, camera_width)"},
    {{"read", "vram", "ZV0.BUF0"}, "ZV0.BUF0 is in reg space, not vram"},
    {{"read", "ZV0.BUF0", "-w", "2"}, "ZV0.BUF0 is 4 bytes wide"},
    {{"read", "SAA7111A.HUE"},
     "SAA7111A.HUE is a register of an I2C device (tkvtool i2c get CH ADDR SAA7111A.HUE)"},
};

TEST(TkvtoolRegmap, NamesThatCannotBeUsedAreUsageErrors) {
    Tool tool;
    CaseSampler sampler;  // one reporting path a command
    for (const NameCase &c : kNameCases) {
        if (!sampler.runs(c.args[0])) continue;
        ProcessRun run = tool.run(c.args);
        EXPECT_EQ(run.err, "tkvtool: " + c.message + "\nTry 'tkvtool " + c.args[0] + " --help'\n");
        EXPECT_EQ(run.exitCode, 2) << c.message;
        EXPECT_EQ(run.out, "");
    }
}

TEST(TkvtoolRegmap, UserMapsAddAndReplaceBlocks) {
    Tool tool;
    TempFile mine(
        "[[block]]\nname = \"ZV\"\nspace = \"reg\"\ninstances = [{ name = \"CAM\", base = 0x100C0 }]\n"
        "register = [{ name = \"CTRL\", offset = 0, width = 32 }]\n");
    EXPECT_EQ(tool.out({"write", "CAM.CTRL", "5", "--map", mine.path()}), "");
    EXPECT_EQ(tool.out({"read", "--map=" + mine.path(), "cam.ctrl"}), "0x00000005\n");
    // The user's block replaced the shipped one of its name.
    EXPECT_EQ(tool.run({"read", "ZV0.BUF0", "--map", mine.path()}).exitCode, 2);
    // An empty search path leaves only the maps given.
    ProcessRun run = tool.run({"read", "LAYER1.CTRL", "--map", mine.path()}, {"TEKVARO_REGMAP_PATH="});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(tool.run({"read", "ZV0.BUF0"}, {"TEKVARO_REGMAP_PATH="}).exitCode, 2);
}

// Registers of each width their spaces have, the crtc one without a width.
const char kEveryWidth[] =
    "[[block]]\nname = \"H\"\nspace = \"crtc\"\nregister = [{ name = \"C8\", offset = 0x40 }]\n"
    "[[block]]\nname = \"Q\"\nspace = \"pci\"\nregister = [{ name = \"B\", offset = 0x40, width = 8 },\n"
    "{ name = \"W\", offset = 0x42, width = 16 }, { name = \"D\", offset = 0x44 }]\n";

TEST(TkvtoolRegmap, EveryCommandThatReadsBlocksWholeTakesWhatTheLoaderAccepts) {
    Tool tool;
    TempFile map(kEveryWidth), snapshot;
    ProcessRun run = tool.run({"snapshot", "--map", map.path(), "-o", snapshot.path()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(snapshot.contents().find("\"H.C8\""), std::string::npos);
    EXPECT_EQ(tool.run({"diff", snapshot.path(), "--map", map.path()}).exitCode, 0);
    run = tool.run({"show", "H", "Q", "--map", map.path()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("  C8               0x00000040 = 0x"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  W                0x00000042 = 0x"), std::string::npos) << run.out;
    // watch's first reads, then one change.
    TempFile lines;
    const std::string script =
        "\"$0\" watch H.C8 Q.W --map \"$2\" -i 5 -n 1 >\"$1\" & pid=$!\n"
        "until [ -s \"$1\" ]; do sleep 0.01; done\n"
        "\"$0\" write crtc 40 7\nwait $pid\n";
    run = tool.run({"-c", script, TKVCON_PATH, lines.path(), map.path()}, {}, "", "/bin/sh");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(lines.contents().find(" H.C8 0x00 -> 0x07\n"), std::string::npos) << lines.contents();
    // A width the space has no requests for stops every command that loads maps.
    TempFile wide(
        "[[block]]\nname = \"H\"\nspace = \"crtc\"\nregister = [{ name = \"C32\", offset = 0x40, width = 32 }]\n");
    for (const char *command : {"snapshot", "regs", "show"}) {
        run = tool.run({command, "--map", wide.path()});
        EXPECT_EQ(run.err, "tkvtool: " + wide.path() + ":4: crtc has no 32-bit registers (8)\n") << command;
        EXPECT_EQ(run.exitCode, 2) << command;
    }
}

TEST(TkvtoolRegmap, UnknownKeysAndControlCharactersAreFaultsOfEveryProgram) {
    Tool tool;
    TempFile map(
        "[[block]]\nname = \"ZV\"\nspace = \"reg\"\ninstances = [{ name = \"CAM\", base = 0x100C0 }]\n"
        "[[block.register]]\nname = \"CTRL\"\noffset = 0\nacess = \"ro\"\n"
        "description = \"\\u001b[2J\\u0000\"\n");
    // Quoted file content reaches the terminal escaped.
    const std::string faults = map.path() + ":8: unknown key 'acess' (did you mean 'access'?)\n" +
                               map.path() + ":9: description '\\x1b[2J\\x00' has a control character\n";
    ProcessRun run = tool.run({"write", "CAM.CTRL", "5", "--map", map.path()});
    EXPECT_EQ(run.err, "tkvtool: " + map.path() +
                           ":8: unknown key 'acess' (did you mean 'access'?)\ntkvtool: " + map.path() +
                           ":9: description '\\x1b[2J\\x00' has a control character\n");
    EXPECT_EQ(run.exitCode, 2);
    run = tool.run({"regmap", "check", map.path()});
    EXPECT_EQ(run.out, faults);
    EXPECT_EQ(run.exitCode, 1);
}

TEST(TkvtoolRegmap, TheManualsExampleIsASoundMap) {
    std::ifstream page(TKV_REGMAP_PAGE);
    const std::string text((std::istreambuf_iterator<char>(page)), {});
    const size_t start = text.find(".SH EXAMPLE\n.nf\n"), end = text.find("\n.fi\n", start);
    ASSERT_NE(end, std::string::npos);
    TempFile example(text.substr(start + 16, end + 1 - (start + 16)));
    ProcessRun run = Tool().run({"regmap", "check", example.path()});
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.exitCode, 0);
}

TEST(TkvtoolRegmap, MapsMayBeGivenBeforeTheCommand) {
    Tool tool;
    TempFile first(
        "[[block]]\nname = \"ZV\"\nspace = \"reg\"\ninstances = [{ name = \"CAM\", base = 0x100C0 }]\n"
        "register = [{ name = \"CTRL\", offset = 0 }]\n"),
        second(
            "[[block]]\nname = \"ZV\"\nspace = \"reg\"\ninstances = [{ name = \"CAM\", base = 0x100C0 }]\n"
            "register = [{ name = \"PORT\", offset = 0 }]\n");
    EXPECT_EQ(tool.out({"--map", first.path(), "write", "CAM.CTRL", "5"}), "");
    EXPECT_EQ(tool.out({"-d", "0", "--map=" + first.path(), "read", "cam.ctrl", "-D"}), "0x00000005\n");
    // Those before the command are read first: a later block replaces theirs.
    EXPECT_EQ(tool.out({"--map", first.path(), "read", "CAM.PORT", "--map", second.path()}), "0x00000005\n");
    ProcessRun run = tool.run({"--map", first.path(), "version"});
    EXPECT_EQ(run.err, "tkvtool: unknown option '--map'\nTry 'tkvtool version --help'\n");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(tool.run({"--map"}).err, "tkvtool: option '--map' needs a value\nTry 'tkvtool --help'\n");
}

}  // namespace
