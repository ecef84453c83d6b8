// zv init, start, stop, restart and info: a zoom video capture port.
//
// The library's zoom video calls do not pass on the results of the register
// requests behind them: a failed request leaves its error number in errno,
// a successful one leaves errno alone.  So errno is cleared before each call
// and looked at after it.
#include <errno.h>
#include <string.h>

#include "../common/zoom_video_port.h"
#include "commands.h"
#include "i2c_check.h"
#include "json_output.h"
#include "output.h"
#include "report.h"
#include "tekvaro.h"
#include "zoom_video_state.h"

namespace {

// Says which call failed and why; returns the exit status.
int zvFailed(const char *what, unsigned port, int error) {
    complain("zv %s %u: %s", what, port, strerror(error));
    return kExitFailed;
}

int zvOutcome(const char *what, unsigned port) { return errno ? zvFailed(what, port, errno) : kExitOk; }

bool readRegister(uint32_t offset, uint32_t &value, int &error) {
    value = 0;
    const int result = tkvRegReadLong(offset, &value);
    error = result ? errorOf(result) : 0;
    return result == 0;
}

// Runs capture for a moment, as the console's start does, so that the
// port measures its camera; the port is left as it was.
bool cameraSize(const zoom_video::PortRegisters &port, uint32_t control, uint32_t &size, int &error) {
    if (int result = tkvRegWriteLong(port.control, control | zoom_video::kCaptureEnable)) {
        error = errorOf(result);
        return false;
    }
    zoom_video::waitForCaptureToSettle();
    const bool read = readRegister(port.size, size, error);
    const int restored = tkvRegWriteLong(port.control, control);
    if (restored != 0 && read) error = errorOf(restored);
    return read && restored == 0;
}

}  // namespace

// The decoder is looked for first: the library programs it without asking
// whether anybody listens.
int runZvInit(const Invocation &in) {
    const Invocation::ZoomVideo &zv = in.zv;
    const unsigned channel =
        zv.decoderChannel < 0 ? defaultDecoderChannel(in.port) : static_cast<unsigned>(zv.decoderChannel);
    if (int status = checkChannelEnabled(channel, "zv init")) return status;
    uint8_t byte;
    if (int result = tkvI2cRead(static_cast<int>(channel), zv.decoderAddress, 0, 1, &byte)) {
        complain("zv init %u: the decoder at 0x%02x on I2C channel %u: %s", in.port, zv.decoderAddress,
                 channel, i2cReason(result));
        return kExitFailed;
    }
    errno = 0;
    tkvZoomVideoInit(in.port, static_cast<int>(channel), zv.decoderAddress == 0x25, zv.layer == 3);
    return zvOutcome("init", in.port);
}

int runZvStart(const Invocation &in) {
    const zoom_video::PortRegisters &port = zoom_video::kPorts[in.port];
    const Invocation::ZoomVideo &zv = in.zv;
    uint32_t control = 0;
    int error = 0;
    if (!readRegister(port.control, control, error)) return zvFailed("start", in.port, error);
    if (layerOf(control) == 0) {
        complain("zv start %u: the port feeds no layer; run 'tkvtool zv init %u' first", in.port, in.port);
        return kExitFailed;
    }
    uint32_t width = zv.width, height = zv.height;
    if (width == 0 || height == 0) {
        uint32_t size = 0;
        if (!cameraSize(port, control, size, error)) return zvFailed("start", in.port, error);
        if (width == 0) width = size & 0xFFFF;
        if (height == 0) height = size >> 16;
        if (width == 0 || height == 0) {
            complain("zv start %u: the port sees no camera image; give the window's size with -w and -h",
                     in.port);
            return kExitFailed;
        }
    }
    errno = 0;
    tkvZoomVideoStart(in.port, static_cast<int>(zv.x), static_cast<int>(zv.y), static_cast<int>(width),
                      static_cast<int>(height), static_cast<int>(zv.cutLeft), 0, 0,
                      static_cast<int>(zv.crtc));
    return zvOutcome("start", in.port);
}

int runZvStop(const Invocation &in) {
    errno = 0;
    tkvZoomVideoStop(in.port);
    return zvOutcome("stop", in.port);
}

int runZvRestart(const Invocation &in) {
    errno = 0;
    tkvZoomVideoRestart(in.port);
    return zvOutcome("restart", in.port);
}

// The port's state, then its window where it feeds a layer, then its camera.
int runZvInfo(const Invocation &in) {
    ZoomVideoState s;
    if (int error = readZoomVideoState(in.port, s)) return zvFailed("info", in.port, error);
    if (in.json) {
        printJson(toJson(in.port, s));
        return kExitOk;
    }
    outputPrint("state %s\n", s.capturing ? "capturing" : "stopped");
    if (s.layer == 0) {
        outputPrint("layer none\n");
    } else {
        outputPrint("layer %d\nx %d\ny %d\nwidth %d\nheight %d\ncut-left %d\n", s.layer, s.x, s.y, s.width,
                    s.height, s.cutLeft);
        outputPrint("zoom-width %d\nzoom-height %d\ncrtc %d\n", s.zoomWidth, s.zoomHeight, s.crtc);
    }
    outputPrint("camera-width %d\ncamera-height %d\n", s.cameraWidth, s.cameraHeight);
    return kExitOk;
}
