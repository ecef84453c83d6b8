// The prescale and control registers of the controller's two I2C master cores:
// a core whose enable bit is clear sends nothing, yet its status reads as a
// finished transfer, so every transaction would seem to succeed.  Clients
// read it before a transaction.  Private to this source tree; never installed.
#ifndef TKV_COMMON_I2C_CORE_H
#define TKV_COMMON_I2C_CORE_H

#include <stdint.h>

namespace i2c_core {

// The prescale (clock divider) and control registers in register space, by
// channel: each core's block starts at 0x00 or 0x10.
constexpr uint32_t kPrescaleLow[] = {0x00, 0x10};
constexpr uint32_t kPrescaleHigh[] = {0x01, 0x11};
constexpr uint32_t kControl[] = {0x02, 0x12};

// The control register's core enable bit.
constexpr uint8_t kEnable = 0x80;

}  // namespace i2c_core

#endif
