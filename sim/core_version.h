// The driver core's version request.
#ifndef TKVSIM_CORE_VERSION_H
#define TKVSIM_CORE_VERSION_H

#include "tekvaro.h"

#pragma GCC visibility push(hidden)

namespace sim {

// Always answered: 0.
int coreVersionRequest(core_ver_t &record);

}  // namespace sim

#pragma GCC visibility pop

#endif
