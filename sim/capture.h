// Zoom video capture: the read-only ZV_PORT_SIZE register of each port.
#ifndef TKVSIM_CAPTURE_H
#define TKVSIM_CAPTURE_H

#include <stdint.h>

#pragma GCC visibility push(hidden)

namespace sim {

uint32_t capturePortSize(int port);

}  // namespace sim

#pragma GCC visibility pop

#endif
