// snapshot, diff and watch on the simulated controller: a change between two
// snapshots is named exactly, by register and field.
#include <fstream>

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
