// The TKVSIM_* variables: one row each, with the form a good value takes.
// A bad value is reported once and the default stands.
#include "settings.h"

#include <limits.h>
#include <stdio.h>
#include <string.h>

#include <type_traits>

extern char **environ;

namespace sim {

Settings current;
bool settingsRead;

namespace {

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') return (c | 0x20) - 'a' + 10;
    return 99;
}

// A number from 0 to `max` at `text`, which moves past it.  Base 0: decimal,
// or hex after 0x; base 16: hex, 0x allowed.
bool readNumber(const char *&text, int base, unsigned long max, unsigned long &value) {
    if ((base == 0 || base == 16) && text[0] == '0' && (text[1] | 0x20) == 'x') {
        text += 2;
        base = 16;
    } else if (base == 0) {
        base = 10;
    }
    const char *start = text;
    unsigned long v = 0;
    for (int d; (d = digitValue(*text)) < base; ++text) {
        const auto digit = static_cast<unsigned long>(d);
        if (digit > max || v > (max - digit) / static_cast<unsigned long>(base)) return false;
        v = v * static_cast<unsigned long>(base) + digit;
    }
    value = v;
    return text != start;
}

// The whole text is one number from 0 to max.
bool readWholeNumber(const char *text, unsigned long max, unsigned long &value) {
    return readNumber(text, 0, max, value) && *text == '\0';
}

// `count` decimal numbers from `min` to `max` separated by `separator`, and nothing else.
bool readNumberList(const char *text, char separator, int count, unsigned long min, unsigned long max,
                    unsigned long *values) {
    for (int i = 0; i < count; ++i) {
        if (i > 0 && *text++ != separator) return false;
        if (!readNumber(text, 10, max, values[i]) || values[i] < min) return false;
    }
    return *text == '\0';
}

constexpr unsigned long kMaxErrno = 4095;

// A whole-number setting from 0 to max.
template <auto field, unsigned long max>
bool readInteger(const char *text, Settings &s) {
    unsigned long value;
    if (!readWholeNumber(text, max, value)) return false;
    using Field = decltype(s.*field);
    s.*field = static_cast<std::remove_reference_t<Field>>(value);
    return true;
}

// "CH:ADDR[,CH:ADDR...]", the address in hex.
bool readAbsentSlaves(const char *text, Settings &s) {
    AbsentSlave absent[kMaxAbsentSlaves];
    int count = 0;
    for (;;) {
        unsigned long channel, address;
        if (count == kMaxAbsentSlaves || !readNumber(text, 0, kI2cChannels - 1, channel) || *text++ != ':' ||
            !readNumber(text, 16, 0x7F, address))
            return false;
        absent[count++] = {static_cast<int>(channel), static_cast<int>(address)};
        if (*text == '\0') break;
        if (*text++ != ',') return false;
    }
    memcpy(s.absent, absent, sizeof absent);
    s.absentCount = count;
    return true;
}

bool readRemovedMonitors(const char *text, Settings &s) {
    bool removed[kDdcPorts] = {};
    for (const char *p = text; *p; ++p) {
        if (*p < '0' || *p >= '0' + kDdcPorts) return false;
        removed[*p - '0'] = true;
    }
    memcpy(s.monitorRemoved, removed, sizeof removed);
    return true;
}

bool readCamera(const char *text, Settings &s) {
    unsigned long size[2];
    if (!readNumberList(text, 'x', 2, 1, 0xFFFF, size)) return false;
    for (int port = 0; port < kCapturePorts; ++port) {
        s.cameraWidth[port] = static_cast<uint16_t>(size[0]);
        s.cameraHeight[port] = static_cast<uint16_t>(size[1]);
    }
    return true;
}

bool readCoreVersion(const char *text, Settings &s) {
    unsigned long v[4];
    if (!readNumberList(text, '.', 4, 0, 0x7FFFFFFF, v)) return false;
    for (int i = 0; i < 4; ++i) s.coreVersion[i] = static_cast<int32_t>(v[i]);
    return true;
}

// The file names, copied: the program may change its environment later.
// Slot 0 the state file, 1 the trace, then the EDID of each DDC port.
char fileNames[2 + kDdcPorts][PATH_MAX];
static_assert(PATH_MAX == 4096, "the complaint below names the limit");

template <int slot>
bool readFileName(const char *text, Settings &s) {
    if (strlen(text) >= sizeof fileNames[slot]) return false;
    const char *name = strcpy(fileNames[slot], text);
    if constexpr (slot == 0)
        s.stateFile = name;
    else if constexpr (slot == 1)
        s.traceFile = name;
    else
        s.edidFile[slot - 2] = name;
    return true;
}

struct Variable {
    const char *name;
    bool (*read)(const char *text, Settings &s);
    const char *expected;  // the form of a good value
};

constexpr const char kErrnoRange[] = "not an error number from 0 to 4095";
constexpr const char kTooLong[] = "a file name longer than 4095 bytes";

constexpr Variable kVariables[] = {
    {"TKVSIM_STATE", readFileName<0>, kTooLong},
    {"TKVSIM_TRACE", readFileName<1>, kTooLong},
    {"TKVSIM_FAIL_OPEN", readInteger<&Settings::openError, kMaxErrno>, kErrnoRange},
    {"TKVSIM_FAIL_REQUESTS", readInteger<&Settings::requestError, kMaxErrno>, kErrnoRange},
    {"TKVSIM_FAIL_NTH", readInteger<&Settings::failNth, 0xFFFFFFFF>, "not a count from 0 to 4294967295"},
    {"TKVSIM_I2C_HANG", readInteger<&Settings::hungChannel, kI2cChannels - 1>, "not an I2C channel (0 or 1)"},
    {"TKVSIM_I2C_ABSENT", readAbsentSlaves,
     "not CH:ADDR[,CH:ADDR...] with channel 0 or 1, hex address 0-7f, at most 8 devices"},
    {"TKVSIM_NO_MONITOR", readRemovedMonitors, "not a list of DDC port digits 0-3"},
    {"TKVSIM_EDID0", readFileName<2>, kTooLong},
    {"TKVSIM_EDID1", readFileName<3>, kTooLong},
    {"TKVSIM_EDID2", readFileName<4>, kTooLong},
    {"TKVSIM_EDID3", readFileName<5>, kTooLong},
    {"TKVSIM_CAMERA", readCamera, "not WIDTHxHEIGHT with each from 1 to 65535"},
    {"TKVSIM_CORE_VERSION", readCoreVersion, "not A.B.C.D with each from 0 to 2147483647"},
};

const Variable *variableNamed(const char *name, size_t length) {
    for (const Variable &v : kVariables)
        if (strlen(v.name) == length && memcmp(v.name, name, length) == 0) return &v;
    return nullptr;
}

Settings defaults() {
    Settings s{};
    s.hungChannel = -1;
    for (int port = 0; port < kCapturePorts; ++port) {
        s.cameraWidth[port] = 720;  // a PAL camera
        s.cameraHeight[port] = 576;
    }
    s.coreVersion[0] = 1;
    return s;
}

}  // namespace

void readSettings() {
    current = defaults();
    for (char **entry = environ; entry && *entry; ++entry) {
        const char *text = *entry;
        const char *equals = strchr(text, '=');
        if (strncmp(text, "TKVSIM_", 7) != 0 || !equals) continue;
        const Variable *v = variableNamed(text, static_cast<size_t>(equals - text));
        if (!v)
            fprintf(stderr, "tkvsim: ignoring %s: no such setting\n", text);
        else if (!v->read(equals + 1, current))
            fprintf(stderr, "tkvsim: ignoring %s: %s\n", text, v->expected);
    }
    settingsRead = true;
}

}  // namespace sim
