// The prescale and control registers of the controller's two I2C master cores:
// a core whose enable bit is clear sends nothing, yet its status reads as a
// finished transfer, so every transaction would seem to succeed.  Clients
// read it before a transaction.  Private to this source tree; never installed.
#ifndef TKV_COMMON_I2C_CORE_H
#define TKV_COMMON_I2C_CORE_H

#include <stdint.h>

#include "regmap_offsets.h"

namespace i2c_core {

// The prescale (clock divider) and control registers in register space, by
// channel: each core's block starts at 0x00 or 0x10.
constexpr uint32_t kPrescaleLow[] = {regmap_offsets::I2C0_PRERLO, regmap_offsets::I2C1_PRERLO};
constexpr uint32_t kPrescaleHigh[] = {regmap_offsets::I2C0_PRERHI, regmap_offsets::I2C1_PRERHI};
constexpr uint32_t kControl[] = {regmap_offsets::I2C0_CTR, regmap_offsets::I2C1_CTR};

// The control register's core enable bit.
constexpr uint8_t kEnable = regmap_offsets::I2C_CTR_EN;

}  // namespace i2c_core

#endif
