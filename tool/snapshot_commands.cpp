// snapshot and diff: the board's state as a JSON document, and what changed
// between two of them (or between one and the device now), by name.  diff
// exits as diff and cmp do: 0 the same, 1 different, 2 trouble.
#include <errno.h>
#include <string.h>

#include "commands.h"
#include "input_file.h"
#include "json_output.h"
#include "names.h"
#include "output.h"
#include "printable.h"
#include "quiet_open.h"
#include "report.h"
#include "snapshot.h"

#ifndef TKV_VERSION
#define TKV_VERSION "unknown"
#endif

namespace {

constexpr size_t kLargestSnapshot = size_t{64} << 20;

// A snapshot file's text; false after saying why.
bool readSnapshotFile(const char *path, std::string &text) {
    const InputRead read = readRegularFile(path, kLargestSnapshot, text);
    switch (read.problem) {
    case InputProblem::None: return true;
    case InputProblem::NotRegular: complain("cannot read '%s': not a regular file", path); break;
    case InputProblem::TooLarge: complain("cannot read '%s': %s", path, strerror(EFBIG)); break;
    case InputProblem::Shrank: complain("cannot read '%s': it changed size", path); break;
    case InputProblem::Open:
    case InputProblem::Read: complain("cannot read '%s': %s", path, strerror(read.error)); break;
    }
    return false;
}

}  // namespace

int runSnapshot(const Invocation &in) {
    const regmap::Map *map = deviceMap(in.mapFiles);
    if (!map) return kExitUsage;
    bool complete = true;
    const std::string document = snapshot::take(*map, in.deviceId, TKV_VERSION, complete);
    outputWrite(document.data(), document.size());
    if (complete) return kExitOk;
    complain("snapshot: some parts could not be read (see the \"error\" entries)");
    return kExitFailed;
}

int runDiff(const Invocation &in) {
    const regmap::Map *map = deviceMap(in.mapFiles);
    if (!map) return kExitUsage;
    std::string first, second;
    if (!readSnapshotFile(in.words[0], first)) return kExitUsage;
    if (in.words.size() == 2) {
        if (!readSnapshotFile(in.words[1], second)) return kExitUsage;
    } else {
        if (!openDevice(in.deviceId)) return kExitUsage;
        bool complete = true;
        second = snapshot::take(*map, in.deviceId, TKV_VERSION, complete);
        closeDevice();
    }
    std::vector<snapshot::Difference> differences;
    std::string why;
    if (!snapshot::compare(first, second, *map, in.ignore, differences, why)) {
        complain("diff: %s", client::printable(why).c_str());
        return kExitUsage;
    }
    if (in.json) {
        Json list = Json::array();
        for (const snapshot::Difference &d : differences) list.push_back(d.json);
        printJson(list);
    } else {
        // Names and values come from the files: escaped for the terminal.
        for (const snapshot::Difference &d : differences) {
            const std::string line = client::printable(d.line) + "\n";
            outputWrite(line.data(), line.size());
        }
    }
    return differences.empty() ? kExitOk : kExitFailed;
}

int checkSnapshotFiles(Invocation &in, const char *topic) {
    return in.words.size() > 2 ? usageError(topic, "more than two snapshots") : kExitOk;
}
