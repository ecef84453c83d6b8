// The i2c commands: pick a channel and device once, then read, write and
// dump its byte registers.
#include <stdio.h>

#include "commands.h"
#include "hex_output.h"
#include "tekvaro.h"
#include "text_helpers.h"

namespace {

constexpr int kBufferSize = 256;

int32_t channel;
int32_t devadr;

bool failed(int result) {
    if (result != 0) printf("I2C error: %s\n", tkvI2cErrString(result));
    return result != 0;
}

CommandResult setDevice() {
    if (const char *word = nextArgument()) {
        channel = signedHexArg(word);
        if ((word = nextArgument())) devadr = signedHexArg(word);
    }
    printf("Set I2C to channel %d with device address 0x%02x (7-bit)\n", channel,
           static_cast<unsigned>(devadr));
    return kLineDone;
}

CommandResult readByte() {
    const char *subadr = nextArgument();
    if (!subadr) return kMissingArgument;
    uint8_t buffer[kBufferSize] = {};
    const int32_t sub = signedHexArg(subadr);
    if (!failed(tkvI2cRead(channel, devadr, sub, 1, buffer)))
        dumpBytes(static_cast<uint32_t>(sub), 1, 4, buffer);
    return kLineDone;
}

CommandResult writeByte() {
    const char *subadr = nextArgument();
    const char *value = subadr ? nextArgument() : nullptr;
    if (!value) return kMissingArgument;
    uint8_t buffer[kBufferSize] = {static_cast<uint8_t>(htoi(value))};
    failed(tkvI2cWrite(channel, devadr, signedHexArg(subadr), 1, buffer));
    return kLineDone;
}

CommandResult readBlock() {
    const char *subadr = nextArgument();
    const char *countWord = subadr ? nextArgument() : nullptr;
    if (!countWord) return kMissingArgument;
    const int32_t sub = signedHexArg(subadr);
    int32_t count = signedHexArg(countWord);
    if (count > kBufferSize) count = kBufferSize;
    uint8_t buffer[kBufferSize] = {};
    if (!failed(tkvI2cRead(channel, devadr, sub, count, buffer)))
        dumpBytes(static_cast<uint32_t>(sub), count, 4, buffer);
    return kLineDone;
}

constexpr Command kI2cCommands[] = {
    {"SET", setDevice},
    {"RB", readByte},
    {"WB", writeByte},
    {"RBS", readBlock},
};

}  // namespace

void resetI2cCommands() { channel = devadr = 0; }

CommandResult i2cCommand() {
    return runSubCommand(kI2cCommands, "Invalid I2C command. Use help or ? [i2c] for command info");
}
