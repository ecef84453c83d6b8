// The memory request on register space and video memory.
#ifndef TKVSIM_REGISTER_SPACE_H
#define TKVSIM_REGISTER_SPACE_H

#include "tekvaro.h"

#pragma GCC visibility push(hidden)

namespace sim {

// 0, or the errno the request fails with.
int memoryAccess(mmio_rw_t &record);

}  // namespace sim

#pragma GCC visibility pop

#endif
