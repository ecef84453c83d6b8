// The library's zoom video calls do not pass on the results of the register
// requests behind them: a failed request leaves its error number in errno, a
// successful one leaves errno alone.  So errno is cleared before each call and
// looked at after it.
#include "zoom_video.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <utility>

#include "../common/zoom_video_port.h"
#include "i2c_channel.h"
#include "library_result.h"
#include "tekvaro.h"

namespace client {
namespace {

constexpr unsigned kLargestWindowValue = 0xFFFF;  // window values are 16-bit halves of a register

ZoomVideoOutcome stepFailed(ZoomVideoStep step, Failure failure, std::string message, int errnum = 0) {
    ZoomVideoOutcome outcome;
    static_cast<Outcome &>(outcome) = failed(failure, std::move(message), errnum);
    outcome.step = step;
    return outcome;
}

ZoomVideoOutcome badArgument(std::string message) {
    return stepFailed(ZoomVideoStep::Argument, Failure::Usage, std::move(message));
}

ZoomVideoOutcome requestFailed(int errnum) {
    return stepFailed(ZoomVideoStep::Request, Failure::Device, strerror(errnum), errnum);
}

// After a library call that leaves a failed request's error in errno.
ZoomVideoOutcome outcomeOfCall() { return errno ? requestFailed(errno) : ZoomVideoOutcome{}; }

std::string hex2(unsigned value) {
    char text[8];
    snprintf(text, sizeof text, "0x%02x", value & 0xFFu);
    return text;
}

bool validPort(unsigned port) { return port < static_cast<unsigned>(device_facts::kZoomVideoPorts); }

ZoomVideoOutcome badPort(unsigned port) {
    return badArgument("zoom video port " + std::to_string(port) + " does not exist (0 to " +
                       std::to_string(device_facts::kZoomVideoPorts - 1) + ")");
}

// The layer's code of a zoom factor: 1, 2, 4, 8 are 0 to 3; -1 for others.
int zoomCode(unsigned factor) {
    for (int code = 0; code < 4; ++code)
        if (factor == 1u << code) return code;
    return -1;
}

ZoomVideoOutcome checkWindow(const ZoomVideoWindow &w) {
    const std::pair<const char *, unsigned> values[] = {
        {"x", w.x}, {"y", w.y}, {"width", w.width}, {"height", w.height}, {"cut-left", w.cutLeft}};
    for (const auto &[name, value] : values)
        if (value > kLargestWindowValue)
            return badArgument(std::string(name) + " " + std::to_string(value) + " is out of range (0 to " +
                               std::to_string(kLargestWindowValue) + ")");
    if (zoomCode(w.zoomWidth) < 0 || zoomCode(w.zoomHeight) < 0)
        return badArgument("zoom factor " +
                           std::to_string(zoomCode(w.zoomWidth) < 0 ? w.zoomWidth : w.zoomHeight) +
                           " is not 1, 2, 4 or 8");
    if (w.crtc > 1) return badArgument("CRTC " + std::to_string(w.crtc) + " does not exist (0 to 1)");
    return {};
}

bool readLong(uint32_t offset, uint32_t &value, int &errnum) {
    value = 0;
    const int result = tkvRegReadLong(offset, &value);
    errnum = result ? errorOf(result) : 0;
    return result == 0;
}

// Runs capture for a moment, as the console's start does, so that the port
// measures its camera; the port is left as it was.
bool cameraSize(const zoom_video::PortRegisters &port, uint32_t control, uint32_t &size, int &errnum) {
    if (int result = tkvRegWriteLong(port.control, control | zoom_video::kCaptureEnable)) {
        errnum = errorOf(result);
        return false;
    }
    zoom_video::waitForCaptureToSettle();
    const bool read = readLong(port.size, size, errnum);
    const int restored = tkvRegWriteLong(port.control, control);
    if (restored != 0 && read) errnum = errorOf(restored);
    return read && restored == 0;
}

}  // namespace

ZoomVideoOutcome zoomVideoInit(unsigned port, const ZoomVideoSetup &setup) {
    if (!validPort(port)) return badPort(port);
    const unsigned channel =
        setup.decoderChannel < 0 ? defaultDecoderChannel(port) : static_cast<unsigned>(setup.decoderChannel);
    if (channel >= static_cast<unsigned>(device_facts::kI2cChannels))
        return badArgument("I2C channel " + std::to_string(channel) + " does not exist (0 to " +
                           std::to_string(device_facts::kI2cChannels - 1) + ")");
    if (setup.decoderAddress != device_facts::kDecoderAddressPinLow &&
        setup.decoderAddress != device_facts::kDecoderAddressPinHigh)
        return badArgument("decoder address " + hex2(setup.decoderAddress) + " is not " +
                           hex2(device_facts::kDecoderAddressPinLow) + " or " +
                           hex2(device_facts::kDecoderAddressPinHigh));
    if (setup.layer != 1 && setup.layer != 3)
        return badArgument("layer " + std::to_string(setup.layer) + " is not 1 or 3");

    ZoomVideoOutcome outcome;
    ChannelState state{};
    if (int errnum = readChannelState(channel, state)) {
        outcome = stepFailed(ZoomVideoStep::ChannelState, Failure::Device,
                             "I2C channel " + std::to_string(channel) + ": " + strerror(errnum), errnum);
    } else if (!state.enabled()) {
        outcome = stepFailed(
            ZoomVideoStep::ChannelDisabled, Failure::Device,
            "I2C channel " + std::to_string(channel) + " is disabled (control " + hex2(state.control) + ")");
        outcome.control = state.control;
    } else {
        // The library programs the decoder without asking whether anybody listens.
        uint8_t byte = 0;
        const int address = static_cast<int>(setup.decoderAddress);
        if (int result = tkvI2cRead(static_cast<int>(channel), address, 0, 1, &byte)) {
            outcome = stepFailed(ZoomVideoStep::Decoder, Failure::Absent,
                                 "the decoder at " + hex2(setup.decoderAddress) + " on I2C channel " +
                                     std::to_string(channel) + ": " + i2cReason(result));
            outcome.i2cResult = result;
        } else {
            errno = 0;
            tkvZoomVideoInit(static_cast<int>(port), static_cast<int>(channel),
                             setup.decoderAddress == device_facts::kDecoderAddressPinHigh, setup.layer == 3);
            outcome = outcomeOfCall();
        }
    }
    outcome.channel = channel;
    return outcome;
}

ZoomVideoOutcome zoomVideoStart(unsigned port, const ZoomVideoWindow &window) {
    if (!validPort(port)) return badPort(port);
    if (ZoomVideoOutcome bad = checkWindow(window); !bad.ok()) return bad;
    const zoom_video::PortRegisters &registers = zoom_video::kPorts[port];
    uint32_t control = 0;
    int errnum = 0;
    if (!readLong(registers.control, control, errnum)) return requestFailed(errnum);
    if (layerOf(control) == 0)
        return stepFailed(ZoomVideoStep::NotSetUp, Failure::Absent,
                          "the port feeds no layer: set it up first");
    unsigned width = window.width, height = window.height;
    if (width == 0 || height == 0) {
        uint32_t size = 0;
        if (!cameraSize(registers, control, size, errnum)) return requestFailed(errnum);
        if (width == 0) width = size & 0xFFFF;
        if (height == 0) height = size >> 16;
        if (width == 0 || height == 0)
            return stepFailed(ZoomVideoStep::NoCamera, Failure::Absent,
                              "the port sees no camera image: give the window's size");
    }
    errno = 0;
    tkvZoomVideoStart(static_cast<int>(port), static_cast<int>(window.x), static_cast<int>(window.y),
                      static_cast<int>(width), static_cast<int>(height), static_cast<int>(window.cutLeft),
                      zoomCode(window.zoomWidth), zoomCode(window.zoomHeight), static_cast<int>(window.crtc));
    return outcomeOfCall();
}

ZoomVideoOutcome zoomVideoStop(unsigned port) {
    if (!validPort(port)) return badPort(port);
    errno = 0;
    tkvZoomVideoStop(static_cast<int>(port));
    return outcomeOfCall();
}

ZoomVideoOutcome zoomVideoRestart(unsigned port) {
    if (!validPort(port)) return badPort(port);
    errno = 0;
    tkvZoomVideoRestart(static_cast<int>(port));
    return outcomeOfCall();
}

ZoomVideoOutcome zoomVideoInfo(unsigned port, ZoomVideoState &state) {
    if (!validPort(port)) return badPort(port);
    if (int errnum = readZoomVideoState(port, state)) return requestFailed(errnum);
    return {};
}

}  // namespace client
