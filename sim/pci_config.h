// PCI configuration space: the type-0 header of a VGA-class device.
#ifndef TKVSIM_PCI_CONFIG_H
#define TKVSIM_PCI_CONFIG_H

#include "device_state.h"
#include "tekvaro.h"

#pragma GCC visibility push(hidden)

namespace sim {

void pciPowerOn(DeviceState &device);
// 0, or the errno the request fails with.
int pciRequest(pci_op_t &record);

}  // namespace sim

#pragma GCC visibility pop

#endif
