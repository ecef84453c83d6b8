#include "i2c_channel.h"

#include <stdint.h>
#include <string.h>

#include <utility>

#include "../common/i2c_core.h"
#include "report.h"
#include "tekvaro.h"

namespace {

constexpr int kNoChannel = -1, kNoAcknowledge = -2;

}  // namespace

int readChannelState(unsigned channel, ChannelState &state) {
    using namespace i2c_core;
    uint8_t low = 0, high = 0;
    state = ChannelState{};
    const std::pair<uint32_t, uint8_t *> registers[] = {
        {kPrescaleLow[channel], &low}, {kPrescaleHigh[channel], &high}, {kControl[channel], &state.control}};
    for (auto [offset, byte] : registers)
        if (int result = tkvRegReadByte(offset, byte)) return errorOf(result);
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
