// The zoom video capture ports' registers and the time a port needs to
// measure its camera: facts of the controller that the library, the console
// (whose zv start probes the camera size itself) and tkvtool rely on.  Private to
// this source tree; never installed.
#ifndef TKV_COMMON_ZOOM_VIDEO_PORT_H
#define TKV_COMMON_ZOOM_VIDEO_PORT_H

#include <stdint.h>
#include <unistd.h>

#include "device_facts.h"
#include "regmap_offsets.h"

namespace zoom_video {

struct PortRegisters {
    uint32_t control;  // ZV_PORT_CTRL
    uint32_t buffer0;  // ZV_PORT_BUF0
    uint32_t buffer1;  // ZV_PORT_BUF1
    uint32_t size;     // ZV_PORT_SIZE: camera image, width in the low half, height in the high half
    uint32_t base;     // byte address of the first capture buffer
};
constexpr PortRegisters kPorts[] = {
    {regmap_offsets::ZV0_PORT_CTRL, regmap_offsets::ZV0_BUF0, regmap_offsets::ZV0_BUF1,
     regmap_offsets::ZV0_SIZE, device_facts::captureBuffer(0, 0)},
    {regmap_offsets::ZV1_PORT_CTRL, regmap_offsets::ZV1_BUF0, regmap_offsets::ZV1_BUF1,
     regmap_offsets::ZV1_SIZE, device_facts::captureBuffer(1, 0)},
};

static_assert(sizeof kPorts / sizeof kPorts[0] == device_facts::kZoomVideoPorts, "registers for every port");

// Only init checks the port: every other id than 0 means port 1.
inline const PortRegisters &portOf(int id) { return kPorts[id == 0 ? 0 : 1]; }

// The ZV_PORT_CTRL bit that runs capture, and the bits that say which
// hardware layer the port feeds.
constexpr uint32_t kCaptureEnable = regmap_offsets::ZV_PORT_CTRL_capture;
constexpr uint32_t kFeedsLayer1 = regmap_offsets::ZV_PORT_CTRL_layer1;
constexpr uint32_t kFeedsLayer3 = regmap_offsets::ZV_PORT_CTRL_layer3;

// ZV_PORT_SIZE holds the camera size only once capture has run this long.
inline void waitForCaptureToSettle() { usleep(100000); }

}  // namespace zoom_video

#endif
