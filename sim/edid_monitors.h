// The monitors plugged into the simulated DDC ports, their EDIDs built by code.
#ifndef TKVSIM_EDID_MONITORS_H
#define TKVSIM_EDID_MONITORS_H

#include <stdint.h>

namespace sim {

constexpr uint32_t kEdidBlockSize = 128;
constexpr uint32_t kEdidMaxSize = 512;

// Writes the EDID of the monitor built into `port` and returns its length;
// 0 when no monitor is attached there.
uint32_t builtinEdid(int port, uint8_t (&edid)[kEdidMaxSize]);

}  // namespace sim

#endif
