// Maps the device state on first use: anonymous memory, or the shared file
// named by TKVSIM_STATE.  Nothing is touched until a page is used.
#include "device_state.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "models.h"

namespace sim {
namespace {

constexpr uint32_t kMagic = 0x544b5653;  // "SVKT"

uint8_t *mapAnonymous() {
    void *p = mmap(nullptr, kMappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                   -1, 0);
    return p == MAP_FAILED ? nullptr : static_cast<uint8_t *>(p);
}

// The file is sparse: only the pages that were ever written take disk space.
uint8_t *mapFile(const char *path) {
    int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 ||
        (static_cast<size_t>(st.st_size) != kMappingSize && ftruncate(fd, kMappingSize) != 0)) {
        close(fd);
        return nullptr;
    }
    void *p = mmap(nullptr, kMappingSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    return p == MAP_FAILED ? nullptr : static_cast<uint8_t *>(p);
}

}  // namespace

uint8_t *mapping;
Settings current;
bool settingsRead;

void mapDevice() {
    const char *path = getenv("TKVSIM_STATE");
    if (path && *path) {
        mapping = mapFile(path);
        if (!mapping) fprintf(stderr, "tkvsim: cannot use state file %s: %s\n", path, strerror(errno));
    }
    if (!mapping) mapping = mapAnonymous();
    if (!mapping) {
        fputs("tkvsim: cannot reserve device memory\n", stderr);
        abort();
    }
    auto &device = *reinterpret_cast<DeviceState *>(mapping);
    if (device.magic != kMagic || device.layoutSize != sizeof(DeviceState)) {
        memset(mapping, 0, kHeaderSize);
        powerOn(device);
    }
}

namespace {

int numberOr(const char *name, int fallback) {
    const char *text = getenv(name);
    return text && *text ? static_cast<int>(strtol(text, nullptr, 0)) : fallback;
}

// `count` decimal numbers separated by `separator` ("720x576", "1.0.0.0");
// false when the text does not start that way.
bool readNumbers(const char *text, char separator, long *values, int count) {
    for (int i = 0; i < count; ++i) {
        char *end;
        errno = 0;
        values[i] = strtol(text, &end, 10);
        if (end == text || errno != 0) return false;
        if (i + 1 < count && *end != separator) return false;
        text = end + 1;
    }
    return true;
}

// "CH:ADDR[,CH:ADDR...]" with the address in hex.
void readAbsentSlaves(Settings &s) {
    const char *text = getenv("TKVSIM_I2C_ABSENT");
    while (text && *text && s.absentCount < static_cast<int>(sizeof s.absent / sizeof s.absent[0])) {
        char *end;
        long channel = strtol(text, &end, 0);
        if (*end != ':') break;
        long address = strtol(end + 1, &end, 16);
        s.absent[s.absentCount++] = {static_cast<int>(channel), static_cast<int>(address)};
        text = *end == ',' ? end + 1 : end;
        if (*end != ',') break;
    }
}

void readSettings(Settings &s) {
    s = Settings{};
    s.openError = numberOr("TKVSIM_FAIL_OPEN", 0);
    s.requestError = numberOr("TKVSIM_FAIL_REQUESTS", 0);
    s.failNth = static_cast<unsigned long>(numberOr("TKVSIM_FAIL_NTH", 0));
    s.hungChannel = numberOr("TKVSIM_I2C_HANG", -1);
    readAbsentSlaves(s);
    if (const char *ports = getenv("TKVSIM_NO_MONITOR")) {
        for (const char *p = ports; *p; ++p)
            if (*p >= '0' && *p < '0' + kDdcPorts) s.monitorRemoved[*p - '0'] = true;
    }
    long camera[2] = {720, 576};  // a PAL camera
    if (const char *text = getenv("TKVSIM_CAMERA")) {
        if (!readNumbers(text, 'x', camera, 2)) camera[0] = 720, camera[1] = 576;
    }
    for (int port = 0; port < kCapturePorts; ++port) {
        s.cameraWidth[port] = static_cast<uint16_t>(camera[0]);
        s.cameraHeight[port] = static_cast<uint16_t>(camera[1]);
    }
    s.coreVersion[0] = 1;
    if (const char *version = getenv("TKVSIM_CORE_VERSION")) {
        long v[4];
        if (readNumbers(version, '.', v, 4))
            for (int i = 0; i < 4; ++i) s.coreVersion[i] = static_cast<int32_t>(v[i]);
    }
    s.traceFile = getenv("TKVSIM_TRACE");
    static const char *const edidNames[kDdcPorts] = {"TKVSIM_EDID0", "TKVSIM_EDID1", "TKVSIM_EDID2",
                                                     "TKVSIM_EDID3"};
    for (int port = 0; port < kDdcPorts; ++port) s.edidFile[port] = getenv(edidNames[port]);
}

}  // namespace

void readSettings() {
    readSettings(current);
    settingsRead = true;
}

void powerOn(DeviceState &device) {
    device.magic = kMagic;
    device.layoutSize = sizeof(DeviceState);
    i2cPowerOn(device);
    pciPowerOn(device);
}

// For the test API: settings from the environment again, and on first use a
// fresh device (or the state file TKVSIM_STATE names).
void resetDevice() {
    if (mapping) munmap(mapping, kMappingSize);
    mapping = nullptr;  // mapped again on first use: fresh, or TKVSIM_STATE's file
    readSettings(current);
    settingsRead = true;
}

}  // namespace sim
