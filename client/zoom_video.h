// The zoom video capture ports as every front end drives them: set-up with
// the decoder looked for first, start with the camera's size where the
// window's is not given, stop, restart and what a port does now.
#ifndef TKV_CLIENT_ZOOM_VIDEO_H
#define TKV_CLIENT_ZOOM_VIDEO_H

#include <stdint.h>

#include "../common/device_facts.h"
#include "outcome.h"
#include "zoom_video_state.h"

constexpr unsigned kZoomVideoPorts = device_facts::kZoomVideoPorts;
// A port's decoder answers at one of two addresses, chosen by a pin.
constexpr unsigned kDecoderAddressLow = device_facts::kDecoderAddressPinLow;
constexpr unsigned kDecoderAddressHigh = device_facts::kDecoderAddressPinHigh;
// Where init finds a port's decoder and which layer the port feeds, where the
// caller does not say: one rule for every front end.  Each port's decoder sits
// on the I2C channel of the port's own number, its address pin low.
constexpr unsigned defaultDecoderChannel(unsigned port) { return port; }
constexpr uint8_t kDefaultDecoderAddress = kDecoderAddressLow;
constexpr uint8_t kDefaultLayer = 1;

namespace client {

struct ZoomVideoSetup {
    int decoderChannel = -1;  // the decoder's I2C channel; -1: the port's own
    unsigned decoderAddress = kDefaultDecoderAddress;
    unsigned layer = kDefaultLayer;  // the hardware layer it feeds: 1 or 3
};

struct ZoomVideoWindow {
    unsigned x = 0, y = 0;
    unsigned width = 0, height = 0;  // 0: the camera's
    unsigned cutLeft = 0;
    unsigned zoomWidth = 1, zoomHeight = 1;  // factors: 1, 2, 4 or 8
    unsigned crtc = 0;
};

// The step that failed, for front ends that word each failure their own way.
enum class ZoomVideoStep : uint8_t {
    Done,
    Argument,         // usage: a port, channel, address, layer or window value out of range
    ChannelState,     // device: the decoder's channel's registers could not be read
    ChannelDisabled,  // device: its I2C core is disabled (control holds the register)
    Decoder,          // absent: the decoder does not answer (i2cResult)
    Request,          // device: a register request failed (errnum)
    NotSetUp,         // absent: the port feeds no layer
    NoCamera,         // absent: the port sees no camera image, and no size was given
};

struct ZoomVideoOutcome : Outcome {
    ZoomVideoStep step = ZoomVideoStep::Done;
    unsigned channel = 0;  // the decoder's channel (init)
    uint8_t control = 0;   // that channel's control register (ChannelDisabled)
};

// Programs the port's decoder, once it answers, and its buffers and layer.
ZoomVideoOutcome zoomVideoInit(unsigned port, const ZoomVideoSetup &setup);
// Starts capture into the window of the layer the port feeds.
ZoomVideoOutcome zoomVideoStart(unsigned port, const ZoomVideoWindow &window);
ZoomVideoOutcome zoomVideoStop(unsigned port);
ZoomVideoOutcome zoomVideoRestart(unsigned port);
ZoomVideoOutcome zoomVideoInfo(unsigned port, ZoomVideoState &state);

}  // namespace client

#endif
