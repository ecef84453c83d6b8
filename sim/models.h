// The hardware models behind the register space and the non-memory requests.
#ifndef TKVSIM_MODELS_H
#define TKVSIM_MODELS_H

#include <stddef.h>
#include <stdint.h>

#include "device_state.h"
#include "settings.h"
#include "state_mapping.h"
#include "tekvaro.h"

namespace sim {

// I2C masters (register blocks 0x00-0x04 and 0x10-0x14) and their slaves.
void i2cPowerOn(DeviceState &device);
uint8_t i2cReadRegister(int channel, unsigned reg);
void i2cWriteRegister(int channel, unsigned reg, uint8_t value);
I2cSlave *decoderOfPort(int port);

// Zoom video capture: the read-only ZV_PORT_SIZE of each port.
uint32_t capturePortSize(int port);

// Non-memory requests: 0, or a positive errno for the request's failure.
int ddcRequest(ddc_edid_t &record);
// Bytes that replace a DDC port's content (at most 512), until the next reset.
void setPortEdid(int port, const uint8_t *bytes, size_t length);
void forgetPortEdids();
int pciRequest(pci_op_t &record);
void pciPowerOn(DeviceState &device);
int coreVersionRequest(core_ver_t &record);

}  // namespace sim

#endif
