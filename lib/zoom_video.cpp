// Zoom video capture ports: decoder programming and buffer set-up, starting a
// port into a window of a hardware layer, stopping, restarting, reading back.
// Everything but the decoder addresses lives in the controller's registers.
#include <stdio.h>

#include "device_facts.h"
#include "field_mask.h"
#include "tekvaro.h"
#include "zoom_video_port.h"

namespace {

using zoom_video::kCaptureEnable;
using zoom_video::kPorts;
using zoom_video::portOf;
using zoom_video::PortRegisters;

struct LayerRegisters {
    uint32_t portFeedBit;  // the ZV_PORT_CTRL bit of a port that feeds this layer
    uint32_t address0;     // LAYER_ADDR0
    uint32_t address1;     // LAYER_ADDR1
    uint32_t control;      // LAYER_CTRL
    uint32_t position;     // LAYER_POS: x low, y high
    uint32_t size;         // LAYER_SIZE: width low, height high
    uint32_t aux0;         // LAYER_AUX0
    uint32_t aux1;         // LAYER_AUX1
};
// Hardware layers 1 and 3.
using namespace regmap_offsets;
constexpr LayerRegisters kLayers[] = {
    {zoom_video::kFeedsLayer1, LAYER1_ADDR0, LAYER1_ADDR1, LAYER1_CTRL, LAYER1_POS, LAYER1_SIZE, LAYER1_AUX0,
     LAYER1_AUX1},
    {zoom_video::kFeedsLayer3, LAYER3_ADDR0, LAYER3_ADDR1, LAYER3_CTRL, LAYER3_POS, LAYER3_SIZE, LAYER3_AUX0,
     LAYER3_AUX1},
};
constexpr const LayerRegisters &kLayer1 = kLayers[0];
constexpr const LayerRegisters &kLayer3 = kLayers[1];

// ZV_PORT_CTRL as init leaves it (capture off): the layer it feeds, and
// bits 4 and 10, which the map does not name.
constexpr uint32_t kPortSetupBits = 0x410;
constexpr uint32_t kPortSetupLayer1 = kPortSetupBits | zoom_video::kFeedsLayer1;
constexpr uint32_t kPortSetupLayer3 = kPortSetupBits | zoom_video::kFeedsLayer3;

// LAYER_CTRL fields (layers 1 and 3 have the same).
using field_mask::shift;
constexpr uint32_t kLayerEnable = LAYER1_CTRL_enable;
constexpr uint32_t kLayerFixedBits = 0x1002 | kLayerEnable;  // bits 1 and 12, unnamed, and the enable
constexpr unsigned kZoomWidthShift = shift(LAYER1_CTRL_zoom_width);
constexpr unsigned kZoomHeightShift = shift(LAYER1_CTRL_zoom_height);
constexpr uint32_t kZoomMask = field_mask::values(LAYER1_CTRL_zoom_width);
constexpr uint32_t kCrtc1Select = LAYER1_CTRL_connector;
constexpr unsigned kCameraWidthShift = shift(LAYER1_CTRL_camera_width);
constexpr uint32_t kCameraWidthMask = field_mask::values(LAYER1_CTRL_camera_width);
static_assert(LAYER3_CTRL_enable == LAYER1_CTRL_enable && LAYER3_CTRL_zoom_width == LAYER1_CTRL_zoom_width &&
                  LAYER3_CTRL_zoom_height == LAYER1_CTRL_zoom_height &&
                  LAYER3_CTRL_connector == LAYER1_CTRL_connector &&
                  LAYER3_CTRL_camera_width == LAYER1_CTRL_camera_width,
              "both layers' control registers are laid out alike");

constexpr uint32_t kSecondBufferOffset = device_facts::kCaptureBufferBytes;

// The decoder set-up, in the order it is sent (0x03 twice, 0x14 never).
struct DecoderWrite {
    uint8_t subaddress, value;
};
constexpr DecoderWrite kDecoderSetup[] = {
    {0x02, 0xC0}, {0x03, 0x33}, {0x03, 0x34}, {0x04, 0x00}, {0x05, 0x00}, {0x06, 0xEB},
    {0x07, 0xE0}, {0x08, 0x88}, {0x09, 0x01}, {0x0A, 0x80}, {0x0B, 0x47}, {0x0C, 0x40},
    {0x0D, 0x00}, {0x0E, 0x01}, {0x0F, 0x00}, {0x10, 0x40}, {0x11, 0x0C}, {0x12, 0x00},
    {0x13, 0x00}, {0x15, 0x00}, {0x16, 0x00}, {0x17, 0x00},
};
constexpr int kDecoderAddressPinLow = device_facts::kDecoderAddressPinLow;
constexpr int kDecoderAddressPinHigh = device_facts::kDecoderAddressPinHigh;

// The decoder address chosen by the last init of each port.
int32_t gZoomVideoI2cDevAdr[device_facts::kZoomVideoPorts];

uint32_t readLong(uint32_t offset) {
    uint32_t value = 0;
    tkvRegReadLong(offset, &value);
    return value;
}

uint32_t bufferRegister(uint32_t byteAddress) { return byteAddress >> 2; }

uint32_t zoomCode(int zoom) { return zoom >= 1 && zoom <= 3 ? static_cast<uint32_t>(zoom) : 0; }

uint32_t halves(int low, int high) { return static_cast<uint32_t>(high) << 16 | static_cast<uint32_t>(low); }

void store(int *field, uint32_t value) {
    if (field) *field = static_cast<int>(value);
}

// Capture enable of the port and the enable of every layer it feeds.
void switchPort(int id, bool on) {
    const PortRegisters &port = portOf(id);
    const uint32_t control = readLong(port.control);
    tkvRegWriteLong(port.control, on ? control | kCaptureEnable : control & ~kCaptureEnable);
    for (const LayerRegisters &layer : kLayers) {
        if (!(control & layer.portFeedBit)) continue;
        const uint32_t layerControl = readLong(layer.control);
        tkvRegWriteLong(layer.control, on ? layerControl | kLayerEnable : layerControl & ~kLayerEnable);
    }
}

}  // namespace

extern "C" TKV_API int tkvZoomVideoInit(int id, int i2c_channel, int i2c_sa, int layer) {
    if (static_cast<unsigned>(id) >= device_facts::kZoomVideoPorts ||
        static_cast<unsigned>(i2c_channel) >= device_facts::kI2cChannels) {
        puts("Zoom video error: invalid argument");
        return -22;
    }
    gZoomVideoI2cDevAdr[id] = i2c_sa ? kDecoderAddressPinHigh : kDecoderAddressPinLow;
    // A decoder that does not answer does not stop the set-up.
    for (const DecoderWrite &write : kDecoderSetup)
        tkvI2cWriteByte(i2c_channel, gZoomVideoI2cDevAdr[id], write.subaddress, write.value);

    const PortRegisters &port = kPorts[id];
    const LayerRegisters &target = layer ? kLayer3 : kLayer1;
    const uint32_t first = bufferRegister(port.base);
    const uint32_t second = bufferRegister(port.base + kSecondBufferOffset);
    tkvRegWriteLong(port.buffer0, first);
    tkvRegWriteLong(port.buffer1, second);
    tkvRegWriteLong(port.control, layer ? kPortSetupLayer3 : kPortSetupLayer1);
    tkvRegWriteLong(target.address0, first);
    tkvRegWriteLong(target.address1, second);
    tkvRegWriteLong(target.aux0, 0xFF);
    tkvRegWriteLong(target.aux1, 0);
    return 0;
}

extern "C" TKV_API int tkvZoomVideoStart(int id, int x, int y, int w, int h, int cut_left, int zoomw,
                                         int zoomh, int connector) {
    const PortRegisters &port = portOf(id);
    const uint32_t control = readLong(port.control);
    tkvRegWriteLong(port.control, control | kCaptureEnable);
    zoom_video::waitForCaptureToSettle();

    // A port that feeds both layers is shown on layer 1.
    const LayerRegisters *layer = (control & kLayer1.portFeedBit)   ? &kLayer1
                                  : (control & kLayer3.portFeedBit) ? &kLayer3
                                                                    : nullptr;
    if (!layer) return 0;
    tkvRegWriteLong(layer->position, halves(x, y));
    tkvRegWriteLong(layer->size, halves(w, h));
    // Two bytes a pixel; the register's 4-byte unit rounds an odd cut down.
    const uint32_t cut = 2u * static_cast<uint32_t>(cut_left);
    tkvRegWriteLong(layer->address0, bufferRegister(port.base + cut));
    tkvRegWriteLong(layer->address1, bufferRegister(port.base + kSecondBufferOffset + cut));

    const uint32_t cameraWidth = readLong(port.size) & kCameraWidthMask;
    tkvRegWriteLong(layer->control, cameraWidth << kCameraWidthShift | zoomCode(zoomw) << kZoomWidthShift |
                                        zoomCode(zoomh) << kZoomHeightShift | (connector ? kCrtc1Select : 0) |
                                        kLayerFixedBits);
    return 0;
}

extern "C" TKV_API int tkvZoomVideoStop(int id) {
    switchPort(id, false);
    return 0;
}

extern "C" TKV_API int tkvZoomVideoRestart(int id) {
    switchPort(id, true);
    return 0;
}

extern "C" TKV_API int tkvZoomVideoGetParm(int id, int *x, int *y, int *w, int *h, int *cut_left, int *zoomw,
                                           int *zoomh, int *connector, int *camera_w, int *camera_h) {
    const PortRegisters &port = portOf(id);
    const uint32_t camera = readLong(port.size);
    store(camera_w, camera & 0xFFFF);
    store(camera_h, camera >> 16);

    const LayerRegisters &layer = (readLong(port.control) & kLayer1.portFeedBit) ? kLayer1 : kLayer3;
    const uint32_t position = readLong(layer.position);
    store(x, position & 0xFFFF);
    store(y, position >> 16);
    const uint32_t size = readLong(layer.size);
    store(w, size & 0xFFFF);
    store(h, size >> 16);
    // Measured from this port's own base, whatever the layer points at.
    store(cut_left, ((readLong(layer.address0) << 2) - port.base) >> 1);
    const uint32_t control = readLong(layer.control);
    store(zoomw, control >> kZoomWidthShift & kZoomMask);
    store(zoomh, control >> kZoomHeightShift & kZoomMask);
    store(connector, (control & kCrtc1Select) ? 1 : 0);
    return 0;
}
