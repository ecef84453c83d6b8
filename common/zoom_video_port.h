// The zoom video capture ports' registers and the time a port needs to
// measure its camera: facts of the controller that both the library and the
// console (whose zv start probes the camera size itself) rely on.  Private to
// this source tree; never installed.
#ifndef TKV_COMMON_ZOOM_VIDEO_PORT_H
#define TKV_COMMON_ZOOM_VIDEO_PORT_H

#include <stdint.h>
#include <unistd.h>

namespace zoom_video {

struct PortRegisters {
    uint32_t control;  // ZV_PORT_CTRL
    uint32_t buffer0;  // ZV_PORT_BUF0
    uint32_t buffer1;  // ZV_PORT_BUF1
    uint32_t size;     // ZV_PORT_SIZE: camera image, width in the low half, height in the high half
    uint32_t base;     // byte address of the first capture buffer
};
constexpr PortRegisters kPorts[] = {
    {0x100C0, 0x100C4, 0x100C8, 0x100CC, 0x10000000},
    {0x100D0, 0x100D4, 0x100D8, 0x100DC, 0x14000000},
};

// Only init checks the port: every other id than 0 means port 1.
inline const PortRegisters &portOf(int id) { return kPorts[id == 0 ? 0 : 1]; }

// The ZV_PORT_CTRL bit that runs capture, and those that say which hardware
// layer (1 or 3) the port feeds.
constexpr uint32_t kCaptureEnable = 1u << 0;
constexpr uint32_t kFeedsLayer1 = 1u << 8;
constexpr uint32_t kFeedsLayer3 = 1u << 9;

// ZV_PORT_SIZE holds the camera size only once capture has run this long.
// Fuzz builds (TKV_NO_FIXED_WAITS) do not wait.
inline void waitForCaptureToSettle() {
#ifndef TKV_NO_FIXED_WAITS
    usleep(100000);
#endif
}

}  // namespace zoom_video

#endif
