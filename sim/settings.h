// The simulator's surroundings, read from the TKVSIM_* variables once per
// process (again at each test reset): faults to inject, the cameras, the core
// version and the files it uses.  The test API may change them afterwards.
#ifndef TKVSIM_SETTINGS_H
#define TKVSIM_SETTINGS_H

#include <stdint.h>

#include "device_state.h"

#pragma GCC visibility push(hidden)

namespace sim {

struct AbsentSlave {
    int channel, address;
};
constexpr int kMaxAbsentSlaves = 8;

struct Settings {
    int openError;          // errno of a failing open, 0 when opens succeed
    int requestError;       // errno of failing requests, 0 when they succeed
    unsigned long failNth;  // the n-th request fails (1-based), 0: none
    int hungChannel;        // I2C channel that never finishes a transfer, -1: none
    AbsentSlave absent[kMaxAbsentSlaves];
    int absentCount;
    bool monitorRemoved[kDdcPorts];
    uint16_t cameraWidth[kCapturePorts], cameraHeight[kCapturePorts];
    int32_t coreVersion[4];
    const char *stateFile;  // nullptr: unset, "": in memory
    const char *traceFile;
    const char *edidFile[kDdcPorts];
};

extern Settings current;
extern bool settingsRead;
// Reads the environment; a bad value is reported on stderr and its default stands.
void readSettings();
inline Settings &settings() {
    if (!settingsRead) readSettings();
    return current;
}

}  // namespace sim

#pragma GCC visibility pop

#endif
