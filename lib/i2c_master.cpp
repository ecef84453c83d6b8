// I2C master transactions on the controller's two channels, driven one
// register byte at a time: reads and writes of a run of bytes at a
// sub-address of a slave, and the texts of the result codes.
#include <time.h>

#include "device_facts.h"
#include "regmap_offsets.h"
#include "tekvaro.h"

namespace {

// The data (transmit/receive) and command/status registers of each channel.
struct ChannelRegisters {
    uint32_t data;
    uint32_t command;
};
constexpr ChannelRegisters kChannels[] = {{regmap_offsets::I2C0_TXR, regmap_offsets::I2C0_CR},
                                          {regmap_offsets::I2C1_TXR, regmap_offsets::I2C1_CR}};
constexpr int kChannelCount = device_facts::kI2cChannels;
static_assert(sizeof kChannels / sizeof kChannels[0] == kChannelCount, "a register block for every channel");

// The command register's bits, and the status register's, from the map.
using namespace regmap_offsets;
enum Command : uint8_t {
    kStartWrite = I2C_CR_STA | I2C_CR_WR,                 // address byte after a (repeated) start
    kWrite = I2C_CR_WR,                                   // sub-address or data byte
    kWriteStop = I2C_CR_STO | I2C_CR_WR,                  // last data byte, then stop
    kReadAck = I2C_CR_RD,                                 // receive a byte and acknowledge it
    kReadNackStop = I2C_CR_STO | I2C_CR_RD | I2C_CR_ACK,  // receive the last byte, no acknowledge, then stop
};

enum Status : uint8_t {
    kTransferInProgress = I2C_SR_TIP,
    kNoAcknowledge = I2C_SR_RxACK,
};

enum Result : int {
    kSucceed = 0,
    kNoChannel = -1,  // also: the channel never finished a transfer or could not be reached
    kNoSlave = device_facts::kI2cNoSlave,
    kInvalidArgument = -4,  // bytes to move but no buffer
};

// A transfer that has not finished by then never will: the channel is given up.
constexpr long kI2cWaitLimitMs = 300;
// A working channel finishes within a few polls, so those follow each other at
// once; after them the pauses grow, so that a hung channel costs no CPU time.
constexpr int kImmediatePolls = 16;
constexpr long kFirstPauseNs = 10000;
constexpr long kLongestPauseNs = 1000000;

long long monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void sleepNs(long ns) {
    const timespec interval{0, ns};
    nanosleep(&interval, nullptr);
}

// The status after the transfer finished, or -1 when it did not finish in
// time or the status cannot be read (a transfer nobody saw is no success).
int waitForTransfer(const ChannelRegisters &channel) {
    const long long deadline = monotonicMs() + kI2cWaitLimitMs;
    long pauseNs = kFirstPauseNs;
    for (int poll = 1;; ++poll) {
        uint8_t status = 0;
        if (tkvRegReadByte(channel.command, &status) != 0) return -1;
        if (!(status & kTransferInProgress)) return status;
        if (monotonicMs() > deadline) return -1;
        if (poll < kImmediatePolls) continue;
        sleepNs(pauseNs);
        pauseNs = pauseNs * 2 < kLongestPauseNs ? pauseNs * 2 : kLongestPauseNs;
    }
}

// Sends one byte with its command; the status after the transfer, or -1.
int sendByte(const ChannelRegisters &channel, uint8_t byte, Command command) {
    if (tkvRegWriteByte(channel.data, byte) != 0) return -1;
    if (tkvRegWriteByte(channel.command, command) != 0) return -1;
    return waitForTransfer(channel);
}

// Receives one byte into `byte`; the status after the transfer, or -1.
int receiveByte(const ChannelRegisters &channel, Command command, uint8_t *byte) {
    if (tkvRegWriteByte(channel.command, command) != 0) return -1;
    int status = waitForTransfer(channel);
    if (status >= 0 && tkvRegReadByte(channel.data, byte) != 0) return -1;
    return status;
}

const ChannelRegisters *channelAt(int channel) {
    return channel >= 0 && channel < kChannelCount ? &kChannels[channel] : nullptr;
}

uint8_t addressByte(int devadr, bool read) {
    return static_cast<uint8_t>((static_cast<unsigned>(devadr) << 1 | (read ? 1u : 0u)) & 0xFF);
}

// Start, address byte for writing and the sub-address: what reads and writes share.
// Only the address's acknowledge is examined.
int addressSubaddress(const ChannelRegisters &channel, int devadr, int subadr) {
    int status = sendByte(channel, addressByte(devadr, false), kStartWrite);
    if (status < 0) return kNoChannel;
    if (status & kNoAcknowledge) return kNoSlave;
    if (sendByte(channel, static_cast<uint8_t>(subadr), kWrite) < 0) return kNoChannel;
    return kSucceed;
}

}  // namespace

extern "C" TKV_API int tkvI2cRead(int channel, int devadr, int subadr, int length, uint8_t *buffer) {
    const ChannelRegisters *registers = channelAt(channel);
    if (!registers) return kNoChannel;
    if (!buffer && length > 0) return kInvalidArgument;
    if (int result = addressSubaddress(*registers, devadr, subadr)) return result;
    if (sendByte(*registers, addressByte(devadr, true), kStartWrite) < 0) return kNoChannel;
    for (int i = 0; i < length; ++i) {
        Command command = i + 1 < length ? kReadAck : kReadNackStop;
        if (receiveByte(*registers, command, &buffer[i]) < 0) return kNoChannel;
    }
    return kSucceed;
}

extern "C" TKV_API int tkvI2cWrite(int channel, int devadr, int subadr, int length, const uint8_t *buffer) {
    const ChannelRegisters *registers = channelAt(channel);
    if (!registers) return kNoChannel;
    if (!buffer && length > 0) return kInvalidArgument;
    if (int result = addressSubaddress(*registers, devadr, subadr)) return result;
    for (int i = 0; i < length; ++i) {
        Command command = i + 1 < length ? kWrite : kWriteStop;
        if (sendByte(*registers, buffer[i], command) < 0) return kNoChannel;
    }
    return kSucceed;
}

extern "C" TKV_API int tkvI2cWriteByte(int channel, int devadr, int subadr, int value) {
    const uint8_t byte = static_cast<uint8_t>(value);
    return tkvI2cWrite(channel, devadr, subadr, 1, &byte);
}

extern "C" TKV_API const char *tkvI2cErrString(int code) {
    static const char *const kTexts[] = {
        "Succeed",
        "I2c channel is not exist",
        "I2c slave device is not exist",
        "I2c slave device acknowledge none",
        "Invalid argument",
    };
    constexpr int kTextCount = sizeof kTexts / sizeof kTexts[0];
    if (code > 0 || code <= -kTextCount) return "Unkown error";
    return kTexts[-code];
}
