#include "i2c_channel.h"

#include <stdint.h>
#include <string.h>

#include "report.h"
#include "tekvaro.h"

namespace {

// Each channel's register block holds a control register whose top bit
// enables the core.  A disabled core runs no transaction, yet its status
// says nothing failed: every address would seem to answer.
constexpr uint32_t kChannelBlockBytes = 0x10, kControlRegister = 0x02;
constexpr uint8_t kCoreEnable = 0x80;

constexpr int kNoChannel = -1, kNoAcknowledge = -2;

}  // namespace

int checkChannelEnabled(unsigned channel, const char *what) {
    uint8_t control = 0;
    if (int result = tkvRegReadByte(channel * kChannelBlockBytes + kControlRegister, &control)) {
        complain("%s %u: %s", what, channel, strerror(errorOf(result)));
        return kExitFailed;
    }
    if (control & kCoreEnable) return kExitOk;
    complain("I2C channel %u is disabled (control 0x%02x)", channel, control);
    return kExitFailed;
}

// The library's texts are for other readers.
const char *i2cReason(int result) {
    if (result == kNoChannel) return "the channel does not respond";
    if (result == kNoAcknowledge) return "no device answers";
    return tkvI2cErrString(result);
}
