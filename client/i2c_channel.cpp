#include "i2c_channel.h"

#include <stdint.h>
#include <string.h>

#include <utility>

#include "../common/i2c_core.h"
#include "library_result.h"
#include "tekvaro.h"

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

// The library's texts are for other readers.
const char *i2cReason(int result) {
    if (result == kI2cNoChannel) return "the channel does not respond";
    if (result == kI2cNoAcknowledge) return "no device answers";
    return tkvI2cErrString(result);
}
