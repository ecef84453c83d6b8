// Zoom video capture ports: the camera size register shows the camera's
// image size while capture is enabled and the port's decoder was programmed,
// and starting capture puts the camera's test picture in the port's buffers:
// eight colour bars, and below them the frame's number.
#include "capture.h"

#include <string.h>

#include "i2c_bus.h"
#include "regmap_offsets.h"
#include "settings.h"
#include "state_mapping.h"

namespace sim {
namespace {

constexpr uint32_t kPortControl[kCapturePorts] = {regmap_offsets::ZV0_PORT_CTRL,
                                                  regmap_offsets::ZV1_PORT_CTRL};
constexpr uint64_t kCaptureEnable = regmap_offsets::ZV_PORT_CTRL_capture;

constexpr size_t kBufferBytes = device_facts::kCaptureBufferBytes;
// Where each port's first capture buffer lies in the state block, whose video
// memory follows the register space.
constexpr size_t kFirstBuffer[kCapturePorts] = {
    kRegisterSpaceSize + device_facts::captureBuffer(0, 0) - device_facts::kVideoMemoryBase,
    kRegisterSpaceSize + device_facts::captureBuffer(1, 0) - device_facts::kVideoMemoryBase};

// The decoder's pixels: YUV 4:2:2 as U Y0 V Y1 per pair (ITU-R BT.601 levels).
struct Yuv {
    uint8_t y, u, v;
};
// 100% colour bars: white, yellow, cyan, green, magenta, red, blue, black.
constexpr Yuv kBars[] = {{235, 128, 128}, {210, 16, 146}, {170, 166, 16}, {145, 54, 34},
                         {106, 202, 222}, {81, 90, 240},  {41, 240, 110}, {16, 128, 128}};
constexpr Yuv kBlack = {16, 128, 128}, kWhite = {235, 128, 128};

// Digits 0-9, three columns by five rows, a row to a byte (bit 2 the left column).
constexpr uint8_t kDigits[10][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7},
                                    {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1},
                                    {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};
constexpr unsigned kDigitScale = 8;  // screen pixels per font pixel

// The pixel at (x, y) of frame `number`: bars above, the number in white on
// black in the bottom eighth.
Yuv pixelAt(unsigned x, unsigned y, unsigned width, unsigned height, uint32_t number) {
    if (y < height - height / 8) return kBars[x * 8 / width];
    const unsigned top = height - height / 8 + 4, cell = 4 * kDigitScale;  // a digit and its gap
    if (y < top || y >= top + 5 * kDigitScale || x < kDigitScale) return kBlack;
    char text[12];
    unsigned digits = 0;
    do {
        text[digits++] = static_cast<char>(number % 10);
        number /= 10;
    } while (number);
    const unsigned position = (x - kDigitScale) / cell, column = (x - kDigitScale) % cell / kDigitScale;
    if (position >= digits || column >= 3) return kBlack;
    const uint8_t row =
        kDigits[static_cast<unsigned char>(text[digits - 1 - position])][(y - top) / kDigitScale];
    return row >> (2 - column) & 1 ? kWhite : kBlack;
}

// One frame in both buffers, as many rows of it as a buffer holds.
int drawFrame(int port, uint32_t number) {
    const Settings &s = settings();
    const unsigned width = s.cameraWidth[port] & ~1u, height = s.cameraHeight[port];
    if (width == 0 || height == 0) return 0;
    const size_t rowBytes = size_t{width} * 2;
    const unsigned rows =
        height < kBufferBytes / rowBytes ? height : static_cast<unsigned>(kBufferBytes / rowBytes);
    uint8_t line[2 * 0x10000];
    for (unsigned y = 0; y < rows; ++y) {
        for (unsigned x = 0; x < width; x += 2) {
            const Yuv left = pixelAt(x, y, width, height, number),
                      right = pixelAt(x + 1, y, width, height, number);
            uint8_t *pair = line + 2 * x;
            pair[0] = static_cast<uint8_t>((left.u + right.u) / 2);
            pair[1] = left.y;
            pair[2] = static_cast<uint8_t>((left.v + right.v) / 2);
            pair[3] = right.y;
        }
        const size_t buffers[] = {kFirstBuffer[port], kFirstBuffer[port] + kBufferBytes};
        for (size_t buffer : buffers)
            if (int err = storeData(buffer + y * rowBytes, line, static_cast<uint32_t>(rowBytes))) return err;
    }
    return 0;
}

}  // namespace

int writePortControl(int port, uint32_t offset, uint8_t value) {
    const bool wasCapturing = loadData(offset, 1) & kCaptureEnable;
    if (int err = storeData(offset, &value, 1)) return err;
    const I2cSlave *decoder = decoderOfPort(port);
    if (wasCapturing || !(value & kCaptureEnable) || !decoder || !decoder->programmed) return 0;
    return drawFrame(port, ++state().framesCaptured[port]);
}

uint32_t capturePortSize(int port) {
    const uint64_t control = loadData(kPortControl[port], 4);
    const I2cSlave *decoder = decoderOfPort(port);
    if (!(control & kCaptureEnable) || !decoder || !decoder->programmed) return 0;
    const Settings &s = settings();
    return uint32_t{s.cameraHeight[port]} << 16 | s.cameraWidth[port];
}

}  // namespace sim
