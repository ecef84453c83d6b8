// PCI configuration space (to be modelled).
#include <errno.h>

#include "models.h"

namespace sim {

void pciPowerOn(DeviceState &) {}
int pciRequest(pci_op_t &) { return ENOTTY; }

}  // namespace sim
