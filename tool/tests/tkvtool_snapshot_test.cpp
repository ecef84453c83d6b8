// snapshot, diff and watch on the simulated controller: a change between two
// snapshots is named exactly, by register and field.
#include <ctime>
#include <fstream>
#include <nlohmann/json.hpp>

#include "regmap_files.h"
#include "snapshot.h"
#include "tkvtool_run.h"

namespace {

std::string writeTo(const TempFile &file, const std::string &text) {
    std::ofstream(file.path()) << text;
    return file.path();
}

}  // namespace

TEST(TkvtoolSnapshot, ADiffNamesTheRegisterAndFieldThatChanged) {
    Tool tool;
    tool.out({"zv", "init", "0"});
    TempFile before, again, other;
    writeTo(before, tool.out({"snapshot"}));
    EXPECT_EQ(tool.out({"snapshot", "-o", again.path()}), "");
    ProcessRun same = tool.run({"diff", before.path(), again.path()});
    EXPECT_EQ(same.out, "");
    EXPECT_EQ(same.exitCode, 0);

    tool.out({"write", "LAYER3.POS", "x=5"});
    ProcessRun changed = tool.run({"diff", before.path()});
    EXPECT_EQ(changed.out, "LAYER3.POS 0x00000000 -> 0x00000005 (x 0 -> 5)\n");
    EXPECT_EQ(changed.exitCode, 1);
    ProcessRun asJson = tool.run({"diff", before.path(), "--json"});
    EXPECT_NE(asJson.out.find("\"fields\": {\n      \"x\": [\n        0,\n        5"), std::string::npos)
        << asJson.out;
    EXPECT_EQ(tool.run({"diff", before.path(), "--ignore", "layer3.*"}).exitCode, 0);

    // Trouble is status 2, as with diff and cmp.
    writeTo(other, "{\"kind\": \"something else\"}");
    ProcessRun notOne = tool.run({"diff", before.path(), other.path()});
    EXPECT_EQ(notOne.err, "tkvtool: diff: the second snapshot: not a tekvaro snapshot\n");
    EXPECT_EQ(notOne.exitCode, 2);
    EXPECT_EQ(tool.run({"diff", "/nonexistent.json"}).exitCode, 2);
}

TEST(TkvtoolSnapshot, ASnapshotHasEveryPartAndRecordsWhatCouldNotBeRead) {
    SKIP_WITHOUT(python, "python3");
    Tool tool;
    const std::string check =
        "import json, sys; d = json.load(sys.stdin); assert d['format'] == 1 and d['kind'] == 'tekvaro-snapshot'; "
        "assert d['registers']['ZV0.PORT_CTRL'] == 0 and len(d['pci']) == 256 and len(d['crtc']) == 255; "
        "assert [x['address'] for x in d['i2c'][0]['devices']] == [0x24]; "
        "assert d['edid'][2] == {'port': 2, 'error': 'no monitor'} and d['edid'][3]['valid'] is False; "
        "assert d['zv'][0]['state'] == 'stopped'";
    EXPECT_EQ(runPeer(python, {"-c", check}, tool.out({"snapshot"})).exitCode, 0);
    ProcessRun failing = tool.run({"snapshot"}, {"TKVSIM_FAIL_NTH=600"});
    EXPECT_EQ(failing.exitCode, 1);
    EXPECT_EQ(failing.err, "tkvtool: snapshot: some parts could not be read (see the \"error\" entries)\n");
    EXPECT_NE(failing.out.find("\"error\": "), std::string::npos);
}

// watch prints the starting value, then each change with its fields, and
// ends after -n changes.
TEST(TkvtoolSnapshot, WatchPrintsEachChangeFieldByField) {
    Tool tool;
    TempFile lines;
    const std::string script =
        "\"$0\" watch ZV0.PORT_CTRL -i 5 -n 1 >\"$1\" & pid=$!\n"
        "until [ -s \"$1\" ]; do sleep 0.01; done\n"
        "\"$0\" write ZV0.PORT_CTRL capture=1\nwait $pid\n";
    ProcessRun run = tool.run({"-c", script, TKVCON_PATH, lines.path()}, {}, "", "/bin/sh");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string text = lines.contents();
    EXPECT_NE(text.find(" ZV0.PORT_CTRL = 0x00000000\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" ZV0.PORT_CTRL 0x00000000 -> 0x00000001 (capture 0 -> 1)\n"), std::string::npos)
        << text;
}

namespace {

using Json = nlohmann::ordered_json;

const regmap::Map &shippedMap() {
    static const regmap::Map map = [] {
        regmap::Map m;
        regmap::addBlocks(m, regmap::shippedBlocks());
        return m;
    }();
    return map;
}

// A fresh snapshot of the simulated board, as a document to edit.
Json freshSnapshot() {
    static const std::string text = Tool().out({"snapshot"});
    return Json::parse(text);
}

std::string compared(const std::string &a, const std::string &b,
                     std::vector<snapshot::Difference> *out = nullptr) {
    std::vector<snapshot::Difference> differences;
    std::string why;
    if (!snapshot::compare(a, b, shippedMap(), {}, differences, why)) return why;
    if (out) *out = differences;
    return "";
}

// A map that moves ZV0.PORT_CTRL: 16 bits at 0x100c4, with a field of its own.
const char kMovedMap[] =
    "[[block]]\nname = \"ZV\"\nspace = \"reg\"\ninstances = [{ name = \"ZV0\", base = 0x100C0 }]\n"
    "[[block.register]]\nname = \"PORT_CTRL\"\noffset = 0x4\nwidth = 16\nfields = [{ name = \"odd\", bits = 4 }]\n";

}  // namespace

// A hand-edited snapshot is refused with the path of its first fault.
TEST(TkvtoolSnapshot, AnUnsoundSnapshotIsRefusedWithThePathOfItsFirstFault) {
    const Json fresh = freshSnapshot();
    struct Case {
        const char *pointer;  // where the edit goes (a JSON pointer), and what it puts there
        const char *value;    // JSON text; "" to remove it
        const char *why;
    };
    const Case cases[] = {
        {"/registers/ZV0.PORT_CTRL", "\"0x510\"",
         "registers.\"ZV0.PORT_CTRL\": not a number from 0 to 2^64-1"},
        {"/registers/ZV0.PORT_CTRL", "-1", "registers.\"ZV0.PORT_CTRL\": not a number from 0 to 2^64-1"},
        {"/registers/ZV0.PORT_CTRL", "1.5", "registers.\"ZV0.PORT_CTRL\": not a number from 0 to 2^64-1"},
        {"/registers/ZV0.PORT_CTRL", "[1]", "registers.\"ZV0.PORT_CTRL\": not a number from 0 to 2^64-1"},
        {"/registers/ZV0.PORT_CTRL", "18446744073709551616",
         "registers.\"ZV0.PORT_CTRL\": not a number from 0 to 2^64-1"},
        {"/registers/ZV0.PORT_CTRL", "{\"error\": 5}",
         "registers.\"ZV0.PORT_CTRL\": not a number from 0 to 2^64-1"},
        {"/registers/A B", "1", "registers.\"A B\": not a register name (one word of printable characters)"},
        {"/pci/3", "256", "pci[3]: not a byte (0 to 255) or null"},
        {"/crtc/0", "-1", "crtc[0]: not a byte (0 to 255) or null"},
        {"/crtc/254", "", "crtc: not a list of 255 bytes"},
        {"/pci", "", "pci: not a list of 256 bytes"},
        {"/registers", "null", "registers: not an object of register values"},
        {"/zv", "", "zv: not a list"},
        {"/maps", "null", "maps: not a list of files"},
        {"/i2c/0/devices/0/registers/SAA7111A.BRIGHTNESS", "\"x\"",
         "i2c[0].devices[0].registers.\"SAA7111A.BRIGHTNESS\": not a number from 0 to 2^64-1"},
        {"/i2c/1/channel", "256", "i2c[1].channel: not a number from 0 to 255"},
        {"/edid/0/bytes", "\"0g\"", "edid[0].bytes: not up to 512 bytes in hexadecimal"},
        {"/zv/0/window", "[1]", "zv[0].window: not a plain value or an object of them"},
        {"/layout/ZV0.PORT_CTRL/width", "12", "layout.\"ZV0.PORT_CTRL\".width: not 8, 16, 32 or 64"},
        {"/layout/ZV0.PORT_CTRL/space", "\"vram\"",
         "layout.\"ZV0.PORT_CTRL\".space: not reg, crtc, pci or i2c"},
    };
    for (const Case &c : cases) {
        Json edited = fresh;
        const Json::json_pointer at(c.pointer);
        if (*c.value)
            edited[at] = Json::parse(c.value);
        else if (edited[at.parent_pointer()].is_array())
            edited[at.parent_pointer()].erase(std::stoul(at.back()));
        else
            edited[at.parent_pointer()].erase(at.back());
        const std::string text = edited.dump();
        EXPECT_EQ(compared(fresh.dump(), text), std::string("the second snapshot: ") + c.why) << c.pointer;
        std::string why;
        EXPECT_FALSE(snapshot::check(text, why)) << c.pointer;
    }
    // The same text twice in one object is not read one way or the other.
    EXPECT_EQ(compared("{\"kind\": \"tekvaro-snapshot\", \"kind\": \"x\"}", fresh.dump()),
              "the first snapshot: not JSON");

    // tkvtool says it in one line, status 2.
    Tool tool;
    Json edited = fresh;
    edited["registers"]["ZV0.PORT_CTRL"] = "0x510";
    TempFile good(fresh.dump()), bad(edited.dump());
    ProcessRun run = tool.run({"diff", good.path(), bad.path()});
    EXPECT_EQ(
        run.err,
        "tkvtool: diff: the second snapshot: registers.\"ZV0.PORT_CTRL\": not a number from 0 to 2^64-1\n");
    EXPECT_EQ(run.exitCode, 2);
}

// Snapshots taken with different maps: the maps are told first, a name for
// two registers is not paired, and fields are decoded only with the map both
// snapshots were taken with.
TEST(TkvtoolSnapshot, SnapshotsOfDifferentMapsAreNotReadAsOne) {
    Tool tool;
    TempFile moved(kMovedMap), withMoved, shipped, changed;
    tool.out({"zv", "init", "0"});
    tool.out({"snapshot", "--map", moved.path(), "-o", withMoved.path()});
    tool.out({"snapshot", "-o", shipped.path()});
    ProcessRun across = tool.run({"diff", withMoved.path(), shipped.path()});
    EXPECT_EQ(across.exitCode, 1);
    std::string shippedFile;
    for (const regmap::Block &b : shippedMap().blocks)
        if (b.name == "ZV") shippedFile = b.file;
    EXPECT_EQ(
        across.out.substr(0, across.out.find('\n') + 1),
        "maps differ: only in the first: " + moved.path() + "; only in the second: " + shippedFile + "\n");
    EXPECT_NE(across.out.find(
                  "\nZV0.PORT_CTRL: not the same register (reg 0x100c4, 16 bits / reg 0x100c0, 32 bits)\n"),
              std::string::npos)
        << across.out;

    // Both taken with the moved map: decoded with it where it is loaded, else not at all.
    tool.out({"write", "reg", "0x100c4", "0x10", "-w", "2"});
    tool.out({"snapshot", "--map", moved.path(), "-o", changed.path()});
    EXPECT_EQ(tool.run({"diff", withMoved.path(), changed.path(), "--map", moved.path()}).out,
              "ZV0.PORT_CTRL 0x0000 -> 0x0010 (odd 0 -> 1)\n");
    EXPECT_EQ(tool.run({"diff", withMoved.path(), changed.path()}).out, "ZV0.PORT_CTRL 0x0000 -> 0x0010\n");
}

// A snapshot written before snapshots recorded their maps' digest and layout
// is still decoded where it names the shipped maps alone.
TEST(TkvtoolSnapshot, AnOlderSnapshotOfTheShippedMapsIsStillDecoded) {
    Json before = freshSnapshot();
    before.erase("map_digest");
    before.erase("layout");
    Json after = before;
    after["registers"]["LAYER3.POS"] = 5;
    std::vector<snapshot::Difference> differences;
    EXPECT_EQ(compared(before.dump(), after.dump(), &differences), "");
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0].line, "LAYER3.POS 0x00000000 -> 0x00000005 (x 0 -> 5)");
    // Another map's file list: no longer known, so neither width nor fields.
    before["maps"] = after["maps"] = Json::array({"/elsewhere/layers.toml"});
    EXPECT_EQ(compared(before.dump(), after.dump(), &differences), "");
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0].line, "LAYER3.POS 0x0 -> 0x5");
}

// What diff prints: a port without a layer as such, text from the files
// escaped, and --json in the text's order with its marks for what is absent.
TEST(TkvtoolSnapshot, DiffLinesAreEscapedAndItsJsonFollowsThem) {
    Tool tool;
    TempFile before, after;
    tool.out({"snapshot", "-o", before.path()});
    tool.out({"zv", "init", "1"});
    ProcessRun text = tool.run({"diff", before.path()});
    EXPECT_NE(text.out.find("\nzv 1 layer no layer -> 1\n"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find("unreadable"), std::string::npos) << text.out;

    Json edited = Json::parse(tool.out({"snapshot"}));
    edited["zv"][0]["state"] = "\x1b[2J";
    edited["registers"].erase("ZV0.BUF0");
    writeTo(after, edited.dump());
    text = tool.run({"diff", before.path(), after.path()});
    EXPECT_NE(text.out.find("\nzv 0 state stopped -> \\x1b[2J\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\nZV0.BUF0 0x00000000 -> (none)\n"), std::string::npos) << text.out;
    const Json list = Json::parse(tool.run({"diff", before.path(), after.path(), "--json"}).out);
    // Entry by entry, each line starts with its entry's name.
    size_t at = 0;
    for (const Json &d : list) {
        EXPECT_EQ(text.out.compare(at, d["name"].get<std::string>().size(), d["name"].get<std::string>()), 0)
            << d["name"] << " at " << text.out.substr(at, 40);
        at = text.out.find('\n', at) + 1;
    }
    EXPECT_EQ(at, text.out.size());
    bool absentMarked = false;
    for (const Json &d : list)
        if (d["name"] == "ZV0.BUF0") absentMarked = d.value("after_absent", false) && d["after"].is_null();
    EXPECT_TRUE(absentMarked);
}

// Snapshots of many register names, all changed and in the reverse order:
// four times the names take about four times the time (a look-up per name
// made it sixteen), in CPU time, which other work on the machine leaves alone.
double secondsToCompare(unsigned names) {
    Json before = freshSnapshot(), after = before;
    Json registers = Json::object(), reversed = Json::object();
    for (unsigned i = 0; i < names; ++i)
        registers.get_ptr<Json::object_t *>()->emplace_back("BLOCK" + std::to_string(i) + ".R", i);
    for (unsigned i = names; i-- > 0;)
        reversed.get_ptr<Json::object_t *>()->emplace_back("BLOCK" + std::to_string(i) + ".R", i + 1);
    before["registers"] = std::move(registers);
    after["registers"] = std::move(reversed);
    const std::string a = before.dump(), b = after.dump();
    const std::clock_t start = std::clock();
    std::vector<snapshot::Difference> differences;
    EXPECT_EQ(compared(a, b, &differences), "");
    EXPECT_EQ(differences.size(), names);
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

TEST(TkvtoolSnapshot, ADiffOfLargeSnapshotsIsLinear) {
    const double small = secondsToCompare(10000), large = secondsToCompare(40000);
    EXPECT_LT(large, 8 * small + 0.05) << small << " s for 10k names, " << large << " s for 40k";
}

// "width" is in bits in every --json document, as in the maps.
TEST(TkvtoolSnapshot, EveryJsonWidthIsInBits) {
    Tool tool;
    EXPECT_EQ(Json::parse(tool.out({"read", "reg", "0x100c4", "-w", "2", "--json"}))["width"], 16);
    EXPECT_EQ(Json::parse(tool.out({"regs", "ZV0.PORT_CTRL", "--json"}))[0]["width"], 32);
    Json moved = freshSnapshot();
    moved["layout"]["ZV0.PORT_CTRL"]["width"] = 16;
    TempFile before(freshSnapshot().dump()), after(moved.dump());
    const Json diff = Json::parse(tool.run({"diff", before.path(), after.path(), "--json"}).out);
    EXPECT_EQ(diff[0]["after_register"]["width"], 16) << diff;
}
