// What every I2C command needs before and after its transaction: a channel
// whose core is enabled, and plain words for the library's result codes.
#ifndef TKVTOOL_I2C_CHANNEL_H
#define TKVTOOL_I2C_CHANNEL_H

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

// Fails with one line, "I2C channel N is disabled (control 0xNN)" or the
// request's error, unless the channel's core is enabled.  `what` names the
// command in the second case.  Returns the exit status.
int checkChannelEnabled(unsigned channel, const char *what);

// What a failed transaction's result code means.
const char *i2cReason(int result);

#endif
