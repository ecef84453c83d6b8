#include "i2c_channel.h"

#include <stdint.h>
#include <string.h>

#include <utility>

#include "report.h"
#include "tekvaro.h"

namespace {

// Each channel's register block starts with the prescale (low, high) and
// the control register.  A disabled core runs no transaction, yet its status
// says nothing failed: every address would seem to answer.
constexpr uint32_t kChannelBlockBytes = 0x10, kPrescaleLow = 0x00, kPrescaleHigh = 0x01, kControl = 0x02;

constexpr int kNoChannel = -1, kNoAcknowledge = -2;

}  // namespace

int readChannelState(unsigned channel, ChannelState &state) {
    const uint32_t block = channel * kChannelBlockBytes;
    uint8_t low = 0, high = 0;
    state = ChannelState{};
    for (auto [offset, byte] :
         {std::pair{kPrescaleLow, &low}, {kPrescaleHigh, &high}, {kControl, &state.control}})
        if (int result = tkvRegReadByte(block + offset, byte)) return errorOf(result);
    state.prescale = static_cast<uint16_t>(high << 8 | low);
    return 0;
}

int checkChannelEnabled(unsigned channel, const char *what) {
    ChannelState state{};
    if (int error = readChannelState(channel, state)) {
        complain("%s %u: %s", what, channel, strerror(error));
        return kExitFailed;
    }
    if (state.enabled()) return kExitOk;
    complain("I2C channel %u is disabled (control 0x%02x)", channel, state.control);
    return kExitFailed;
}

// The library's texts are for other readers.
const char *i2cReason(int result) {
    if (result == kNoChannel) return "the channel does not respond";
    if (result == kNoAcknowledge) return "no device answers";
    return tkvI2cErrString(result);
}
