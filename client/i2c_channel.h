// The I2C master channels as every front end uses them: whether a channel's
// core is enabled (a disabled core sends nothing, yet reports every
// transaction as done), transactions on a device's registers, the scan for
// the devices that answer, and plain words for the library's result codes.
#ifndef TKV_CLIENT_I2C_CHANNEL_H
#define TKV_CLIENT_I2C_CHANNEL_H

#include <stdint.h>

#include <vector>

#include "../common/device_facts.h"
#include "../common/i2c_core.h"
#include "outcome.h"

constexpr unsigned kI2cChannels = device_facts::kI2cChannels;
// Device addresses: every 7-bit one but the bus's reserved ones.
constexpr unsigned kFirstI2cAddress = device_facts::kFirstI2cAddress;
constexpr unsigned kLastI2cAddress = device_facts::kLastI2cAddress;
// A device's registers 0 to 0xff; a transaction moves at most that many, and never wraps.
constexpr unsigned kI2cRegisters = 0x100;

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
constexpr int kI2cNoChannel = -1, kI2cNoAcknowledge = device_facts::kI2cNoSlave;

// What a failed transaction's result code means.
const char *i2cReason(int result);

namespace client {

// Whether transactions on `channel` can be trusted: a Device failure when its
// registers cannot be read (errnum) or its core is disabled ("I2C channel N
// is disabled (control 0xNN)"; `control` holds the register).
struct ChannelCheck : Outcome {
    bool disabled = false;
    uint8_t control = 0;
};
ChannelCheck checkChannel(unsigned channel);

// A run of `count` registers from `reg` of the device at `address`: 0 or the
// library's result code.  The caller has checked the channel and the run.
int i2cRead(unsigned channel, unsigned address, unsigned reg, unsigned count, uint8_t *bytes);
int i2cWrite(unsigned channel, unsigned address, unsigned reg, unsigned count, const uint8_t *bytes);

// Probes every device address with a one-byte read of register 0, as
// i2cdetect does.  `present` gets one flag per 7-bit address.  0, or the
// result code of a probe that failed otherwise than by no answer (the channel
// does not respond), at `failedAt`.
int detectDevices(unsigned channel, bool (&present)[0x80], unsigned &failedAt);

}  // namespace client

#endif
