// Zoom video capture: the read-only ZV_PORT_SIZE register of each port, and
// the camera's test picture.
#ifndef TKVSIM_CAPTURE_H
#define TKVSIM_CAPTURE_H

#include <stdint.h>

#pragma GCC visibility push(hidden)

namespace sim {

uint32_t capturePortSize(int port);

// ZV_PORT_CTRL's low byte is written: when capture starts on a port whose
// decoder was programmed, the camera's next frame lands in both buffers.
// 0, or the errno of a byte that found no storage.
int writePortControl(int port, uint32_t offset, uint8_t value);

}  // namespace sim

#pragma GCC visibility pop

#endif
