// zv init, start, stop, restart and info: a zoom video capture port.
#include <string.h>

#include "commands.h"
#include "json_output.h"
#include "output.h"
#include "report.h"
#include "zoom_video.h"

namespace {

using client::ZoomVideoOutcome;
using client::ZoomVideoStep;

// Says which call failed and why; returns the exit status.
int zvFailed(const char *what, unsigned port, const ZoomVideoOutcome &outcome) {
    complain("zv %s %u: %s", what, port, outcome.message.c_str());
    return outcome.failure == client::Failure::Usage ? kExitUsage : kExitFailed;
}

}  // namespace

int runZvInit(const Invocation &in) {
    const Invocation::ZoomVideo &zv = in.zv;
    const ZoomVideoOutcome outcome =
        client::zoomVideoInit(in.port, {zv.decoderChannel, zv.decoderAddress, zv.layer});
    switch (outcome.step) {
    case ZoomVideoStep::Done: return kExitOk;
    case ZoomVideoStep::ChannelState:
        complain("zv init %u: %s", outcome.channel, strerror(outcome.errnum));
        return kExitFailed;
    case ZoomVideoStep::ChannelDisabled: complain("%s", outcome.message.c_str()); return kExitFailed;
    default: return zvFailed("init", in.port, outcome);
    }
}

int runZvStart(const Invocation &in) {
    const Invocation::ZoomVideo &zv = in.zv;
    client::ZoomVideoWindow window;
    window.x = zv.x;
    window.y = zv.y;
    window.width = zv.width;
    window.height = zv.height;
    window.cutLeft = zv.cutLeft;
    window.crtc = zv.crtc;
    const ZoomVideoOutcome outcome = client::zoomVideoStart(in.port, window);
    switch (outcome.step) {
    case ZoomVideoStep::Done: return kExitOk;
    case ZoomVideoStep::NotSetUp:
        complain("zv start %u: the port feeds no layer; run 'tkvtool zv init %u' first", in.port, in.port);
        return kExitFailed;
    case ZoomVideoStep::NoCamera:
        complain("zv start %u: the port sees no camera image; give the window's size with -w and -h",
                 in.port);
        return kExitFailed;
    default: return zvFailed("start", in.port, outcome);
    }
}

int runZvStop(const Invocation &in) {
    const ZoomVideoOutcome outcome = client::zoomVideoStop(in.port);
    return outcome.ok() ? kExitOk : zvFailed("stop", in.port, outcome);
}

int runZvRestart(const Invocation &in) {
    const ZoomVideoOutcome outcome = client::zoomVideoRestart(in.port);
    return outcome.ok() ? kExitOk : zvFailed("restart", in.port, outcome);
}

// The port's state, then its window where it feeds a layer, then its camera.
int runZvInfo(const Invocation &in) {
    ZoomVideoState s;
    const ZoomVideoOutcome outcome = client::zoomVideoInfo(in.port, s);
    if (!outcome.ok()) return zvFailed("info", in.port, outcome);
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
