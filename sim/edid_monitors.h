// The monitors plugged into the simulated DDC ports, their EDIDs built by code,
// and the EDID layout that the ports and the driver share.
#ifndef TKVSIM_EDID_MONITORS_H
#define TKVSIM_EDID_MONITORS_H

#include <stdint.h>

namespace sim {

constexpr uint32_t kEdidBlockSize = 128;
constexpr uint32_t kEdidMaxSize = 512;
inline constexpr uint8_t kEdidHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

// Writes the EDID of the monitor built into `port` and returns its length;
// 0 when no monitor is attached there.
uint32_t builtinEdid(int port, uint8_t (&edid)[kEdidMaxSize]);

}  // namespace sim

#endif
