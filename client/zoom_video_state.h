// What a zoom video port does now: its control register's state and layer,
// the window of that layer, and the camera image size.
#ifndef TKV_CLIENT_ZOOM_VIDEO_STATE_H
#define TKV_CLIENT_ZOOM_VIDEO_STATE_H

#include <stdint.h>

#include <nlohmann/json.hpp>

struct ZoomVideoState {
    bool capturing = false;
    int layer = 0;  // the hardware layer it feeds, 1 or 3; 0: none
    int x = 0, y = 0, width = 0, height = 0, cutLeft = 0;
    int zoomWidth = 1, zoomHeight = 1;  // factors: 1, 2, 4 or 8
    int crtc = 0, cameraWidth = 0, cameraHeight = 0;
};

// The hardware layer a port's control value makes it feed, as start chooses
// it: 1, 3, or 0 for none.
int layerOf(uint32_t control);

// 0, or the error number of a request that failed.
int readZoomVideoState(unsigned port, ZoomVideoState &state);

// As `tkvtool zv info --json` prints it: the window is null without a layer.
nlohmann::ordered_json toJson(unsigned port, const ZoomVideoState &state);

#endif
