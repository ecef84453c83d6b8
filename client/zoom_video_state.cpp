#include "zoom_video_state.h"

#include <errno.h>

#include "../common/zoom_video_port.h"
#include "library_result.h"
#include "tekvaro.h"

int layerOf(uint32_t control) {
    if (control & zoom_video::kFeedsLayer1) return 1;
    if (control & zoom_video::kFeedsLayer3) return 3;
    return 0;
}

int readZoomVideoState(unsigned port, ZoomVideoState &state) {
    uint32_t control = 0;
    if (int result = tkvRegReadLong(zoom_video::kPorts[port].control, &control)) return errorOf(result);
    int zoomW = 0, zoomH = 0;
    // The library does not pass on the results of the requests behind these
    // numbers; a failed one leaves its error number in errno.
    errno = 0;
    tkvZoomVideoGetParm(static_cast<int>(port), &state.x, &state.y, &state.width, &state.height,
                        &state.cutLeft, &zoomW, &zoomH, &state.crtc, &state.cameraWidth, &state.cameraHeight);
    if (errno != 0) return errno;
    state.capturing = (control & zoom_video::kCaptureEnable) != 0;
    state.layer = layerOf(control);
    state.zoomWidth = 1 << zoomW;
    state.zoomHeight = 1 << zoomH;
    return 0;
}

nlohmann::ordered_json toJson(unsigned port, const ZoomVideoState &s) {
    using Json = nlohmann::ordered_json;
    Json window;  // null while the port feeds no layer
    if (s.layer)
        window = {{"x", s.x},
                  {"y", s.y},
                  {"width", s.width},
                  {"height", s.height},
                  {"cut_left", s.cutLeft},
                  {"zoom_width", s.zoomWidth},
                  {"zoom_height", s.zoomHeight},
                  {"crtc", s.crtc}};
    return {{"port", port},
            {"state", s.capturing ? "capturing" : "stopped"},
            {"layer", s.layer ? Json(s.layer) : Json()},
            {"window", window},
            {"camera", {{"width", s.cameraWidth}, {"height", s.cameraHeight}}}};
}
