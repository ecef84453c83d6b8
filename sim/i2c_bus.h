// Two I2C masters (register blocks 0x00-0x04 and 0x10-0x14) and their slaves.
#ifndef TKVSIM_I2C_BUS_H
#define TKVSIM_I2C_BUS_H

#include <stdint.h>

#include "device_state.h"

#pragma GCC visibility push(hidden)

namespace sim {

void i2cPowerOn(DeviceState &device);
uint8_t i2cReadRegister(int channel, unsigned reg);
void i2cWriteRegister(int channel, unsigned reg, uint8_t value);
// The video decoder behind a capture port (nullptr for no such port).
I2cSlave *decoderOfPort(int port);

}  // namespace sim

#pragma GCC visibility pop

#endif
