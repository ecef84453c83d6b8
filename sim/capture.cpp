// Zoom video capture ports: the camera size register shows the camera's
// image size while capture is enabled and the port's decoder was programmed.
#include "capture.h"

#include "i2c_bus.h"
#include "regmap_offsets.h"
#include "settings.h"
#include "state_mapping.h"

namespace sim {
namespace {

constexpr uint32_t kPortControl[kCapturePorts] = {regmap_offsets::ZV0_PORT_CTRL,
                                                  regmap_offsets::ZV1_PORT_CTRL};
constexpr uint64_t kCaptureEnable = regmap_offsets::ZV_PORT_CTRL_capture;

}  // namespace

uint32_t capturePortSize(int port) {
    const uint64_t control = loadData(kPortControl[port], 4);
    const I2cSlave *decoder = decoderOfPort(port);
    if (!(control & kCaptureEnable) || !decoder || !decoder->programmed) return 0;
    const Settings &s = settings();
    return uint32_t{s.cameraHeight[port]} << 16 | s.cameraWidth[port];
}

}  // namespace sim
