// Where zv init finds a port's video decoder and which hardware layer the
// port feeds, where the caller does not say: one rule for every front end.
#ifndef TKV_CLIENT_ZOOM_VIDEO_DEFAULTS_H
#define TKV_CLIENT_ZOOM_VIDEO_DEFAULTS_H

#include <stdint.h>

// Each port's decoder sits on the I2C channel of the port's own number.
constexpr unsigned defaultDecoderChannel(unsigned port) { return port; }
// Its address pin low.
constexpr uint8_t kDefaultDecoderAddress = 0x24;
constexpr uint8_t kDefaultLayer = 1;

#endif
