// The DDC ports: which EDID a port answers with, and the driver's verdict on it.
// A port's content is, in order of precedence: nothing when its monitor was
// removed, bytes set through the test API, the raw file named by
// TKVSIM_EDID<port> (read at each request), or the built-in monitor.
#include "edid.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include "edid_monitors.h"
#include "files.h"
#include "settings.h"

namespace sim {
namespace {

// Whole blocks, the fixed header, and every block summing to 0 mod 256.
bool edidIsValid(const uint8_t *edid, uint32_t length) {
    if (length == 0 || length % kEdidBlockSize != 0) return false;
    if (memcmp(edid, kEdidHeader, sizeof kEdidHeader) != 0) return false;
    for (uint32_t block = 0; block < length; block += kEdidBlockSize) {
        uint8_t sum = 0;
        for (uint32_t i = 0; i < kEdidBlockSize; ++i) sum = static_cast<uint8_t>(sum + edid[block + i]);
        if (sum != 0) return false;
    }
    return true;
}

// Content set through the test API.
struct PortEdid {
    bool set;
    uint32_t length;
    uint8_t bytes[kEdidMaxSize];
};
PortEdid portEdids[kDdcPorts];

// The first 512 bytes of a regular file; -1 when it cannot be read (no
// monitor answers).
int readEdidFile(const char *path, uint8_t (&edid)[kEdidMaxSize]) {
    int fd = openRegularFile(AT_FDCWD, path, O_RDONLY, 0);
    if (fd < 0) return -1;
    size_t total = 0;
    while (total < sizeof edid) {
        ssize_t n = read(fd, edid + total, sizeof edid - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return -1;
        }
        if (n == 0) break;
        total += static_cast<size_t>(n);
    }
    close(fd);
    return static_cast<int>(total);
}

// The port's EDID bytes (the rest of `edid` stays 0) and their count; -1 when
// no monitor answers.
int portContent(int port, uint8_t (&edid)[kEdidMaxSize]) {
    const Settings &s = settings();
    if (s.monitorRemoved[port]) return -1;
    if (const PortEdid &set = portEdids[port]; set.set) {
        memcpy(edid, set.bytes, set.length);
        return static_cast<int>(set.length);
    }
    if (const char *path = s.edidFile[port]; path && *path) return readEdidFile(path, edid);
    uint32_t length = builtinEdid(port, edid);
    return length ? static_cast<int>(length) : -1;
}

}  // namespace

// Fills length, data and valid; port and reserved are the caller's and stay
// as sent.  A failed request leaves the record untouched.
int ddcRequest(ddc_edid_t &record) {
    if (record.port >= static_cast<uint32_t>(kDdcPorts)) return EINVAL;
    static_assert(sizeof record.data == kEdidMaxSize, "the record holds the largest EDID");
    uint8_t edid[kEdidMaxSize] = {};
    int length = portContent(static_cast<int>(record.port), edid);
    if (length < 0) return ENXIO;
    memcpy(record.data, edid, sizeof edid);  // bytes past the length read as 0
    record.length = static_cast<uint32_t>(length);
    record.valid = edidIsValid(edid, record.length) ? 1 : 0;
    return 0;
}

void setPortEdid(int port, const uint8_t *bytes, size_t length) {
    PortEdid &edid = portEdids[port];
    if (length > sizeof edid.bytes) length = sizeof edid.bytes;
    memcpy(edid.bytes, bytes, length);
    edid.length = static_cast<uint32_t>(length);
    edid.set = true;
}

void forgetPortEdids() { memset(portEdids, 0, sizeof portEdids); }

}  // namespace sim
