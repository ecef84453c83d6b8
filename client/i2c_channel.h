// What every client of the I2C masters needs around a transaction: whether
// the channel's core is enabled (a disabled core sends nothing, yet reports
// every transaction as done), and plain words for the library's result codes.
#ifndef TKV_CLIENT_I2C_CHANNEL_H
#define TKV_CLIENT_I2C_CHANNEL_H

#include <stdint.h>

#include "../common/i2c_core.h"

// What a channel's register block says about it.
struct ChannelState {
    uint16_t prescale;  // the clock divider, low and high bytes
    uint8_t control;
    bool enabled() const { return (control & i2c_core::kEnable) != 0; }
};

// Reads the channel's prescale and control registers: 0, or the error number
// of the request that failed.
int readChannelState(unsigned channel, ChannelState &state);

// The library's result codes of a transaction.
constexpr int kI2cNoChannel = -1, kI2cNoAcknowledge = -2;

// What a failed transaction's result code means.
const char *i2cReason(int result);

#endif
