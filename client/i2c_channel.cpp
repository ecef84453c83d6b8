#include "i2c_channel.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <utility>

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

namespace client {

ChannelCheck checkChannel(unsigned channel) {
    ChannelCheck check;
    ChannelState state{};
    if (int errnum = readChannelState(channel, state)) {
        static_cast<Outcome &>(check) = failed(Failure::Device, strerror(errnum), errnum);
        return check;
    }
    check.control = state.control;
    if (state.enabled()) return check;
    char text[64];
    snprintf(text, sizeof text, "I2C channel %u is disabled (control 0x%02x)", channel, state.control);
    static_cast<Outcome &>(check) = failed(Failure::Device, text);
    check.disabled = true;
    return check;
}

int i2cRead(unsigned channel, unsigned address, unsigned reg, unsigned count, uint8_t *bytes) {
    return tkvI2cRead(static_cast<int>(channel), static_cast<int>(address), static_cast<int>(reg),
                      static_cast<int>(count), bytes);
}

int i2cWrite(unsigned channel, unsigned address, unsigned reg, unsigned count, const uint8_t *bytes) {
    return tkvI2cWrite(static_cast<int>(channel), static_cast<int>(address), static_cast<int>(reg),
                       static_cast<int>(count), bytes);
}

int detectDevices(unsigned channel, bool (&present)[0x80], unsigned &failedAt) {
    for (bool &p : present) p = false;
    for (unsigned address = kFirstI2cAddress; address <= kLastI2cAddress; ++address) {
        uint8_t byte = 0;
        const int result = i2cRead(channel, address, 0, 1, &byte);
        if (result != 0 && result != kI2cNoAcknowledge) {
            failedAt = address;
            return result;
        }
        present[address] = result == 0;
    }
    return 0;
}

}  // namespace client
