// The zv commands: set up, start, stop, restart and inspect a zoom video
// port.  Their numbers are decimal.
#include <stdio.h>

#include "commands.h"
#include "tekvaro.h"
#include "text_helpers.h"
#include "zoom_video_port.h"

namespace {

// The port named by the most recent zv command; negative: none usable.
int32_t id = -1;

// Reads the next decimal words into `values` until one is missing.
void readNumbers(int32_t *const *values, int count) {
    for (int i = 0; i < count; ++i) {
        const char *word = nextArgument();
        if (!word) return;
        *values[i] = decimalArg(word);
    }
}

// An id word, when present, is stored before it is checked.
bool usablePort() {
    if (const char *word = nextArgument()) id = decimalArg(word);
    return id >= 0;
}

int32_t readHalf(uint32_t offset) {
    uint16_t half = 0;
    tkvRegReadWord(offset, &half);
    return half;
}

// Enables capture so the port measures the camera, then takes the missing
// window size from it.
bool probeCameraSize(int32_t &w, int32_t &h) {
    const zoom_video::PortRegisters &port = zoom_video::portOf(id);
    uint32_t control = 0;
    tkvRegReadLong(port.control, &control);
    tkvRegWriteLong(port.control, control | zoom_video::kCaptureEnable);
    zoom_video::waitForCaptureToSettle();
    if (w == 0) w = readHalf(port.size);  // the width half
    if (h == 0) h = readHalf(port.size + 2);
    return w != 0 && h != 0;
}

CommandResult init() {
    int32_t channel = 0, sa = 0, layer = 0;
    int32_t *const values[] = {&channel, &sa, &layer};
    readNumbers(values, 3);
    tkvZoomVideoInit(id, channel, sa, layer);
    return kLineDone;
}

CommandResult start() {
    int32_t x = 0, y = 0, w = 0, h = 0, cutLeft = 0, zoomw = 0, zoomh = 0, connector = 0;
    int32_t *const values[] = {&w, &h, &x, &y, &cutLeft, &zoomw, &zoomh, &connector};
    readNumbers(values, 8);
    if ((w == 0 || h == 0) && !probeCameraSize(w, h)) return kMissingArgument;
    tkvZoomVideoStart(id, x, y, w, h, cutLeft, zoomw, zoomh, connector);
    return kLineDone;
}

CommandResult stop() {
    tkvZoomVideoStop(id);
    return kLineDone;
}

CommandResult restart() {
    tkvZoomVideoRestart(id);
    return kLineDone;
}

CommandResult info() {
    int32_t x = 0, y = 0, w = 0, h = 0, cutLeft = 0, zoomw = 0, zoomh = 0, connector = 0, cameraW = 0,
            cameraH = 0;
    tkvZoomVideoGetParm(id, &x, &y, &w, &h, &cutLeft, &zoomw, &zoomh, &connector, &cameraW, &cameraH);
    printf(
        "Zoom video [%d]: X=%d Y=%d W=%d H=%d CutLeft=%d ZoomW=%d ZoomH=%d Connector=%d "
        "CameraW=%d CameraH=%d\n",
        id, x, y, w, h, cutLeft, zoomw, zoomh, connector, cameraW, cameraH);
    return kLineDone;
}

// Each sub-command acts on the port its id word names, or on the last one.
constexpr Command kZoomVideoCommands[] = {
    {"INIT", init}, {"START", start}, {"STOP", stop}, {"RESTART", restart}, {"INFO", info},
};

}  // namespace

void resetZoomVideoCommands() { id = -1; }

CommandResult zoomVideoCommand() {
    return runSubCommand(kZoomVideoCommands,
                         "Invalid zoom video command. Use help or ? [zc] for command info", usablePort);
}
