// snapshot and diff: the board's state as a JSON document, and what changed
// between two of them (or between one and the device now), by name.  diff
// exits as diff and cmp do: 0 the same, 1 different, 2 trouble.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "commands.h"
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
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<size_t>(st.st_size) > kLargestSnapshot) {
        const int error = fd < 0 ? errno : !S_ISREG(st.st_mode) ? EINVAL : EFBIG;
        complain("cannot read '%s': %s", path, error == EINVAL ? "not a regular file" : strerror(error));
        if (fd >= 0) close(fd);
        return false;
    }
    text.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = read(fd, &text[got], text.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    const int error = errno;
    close(fd);
    if (got == text.size()) return true;
    complain("cannot read '%s': %s", path, got < text.size() && error ? strerror(error) : "it changed size");
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
