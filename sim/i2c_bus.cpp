// I2C masters and slaves (to be modelled).
#include <errno.h>

#include "device_state.h"
#include "models.h"

namespace sim {

void i2cPowerOn(DeviceState &) {}
uint8_t i2cReadRegister(int, unsigned) { return 0; }
void i2cWriteRegister(int, unsigned, uint8_t) {}
I2cSlave *decoderOfPort(int) { return nullptr; }

}  // namespace sim
