// i2c list, detect, dump, get and set: the layouts of i2cdetect -l,
// i2cdetect, i2cdump, i2cget and i2cset on the controller's two I2C masters.
#include <string.h>

#include "commands.h"
#include "documents.h"
#include "hex_text.h"
#include "i2c_check.h"
#include "json_output.h"
#include "output.h"
#include "report.h"

namespace {

constexpr int kFirstProbe = kFirstI2cAddress, kLastProbe = kLastI2cAddress;
constexpr int kRegisters = kI2cRegisters, kI2cRow = 16;
constexpr char kColumns[] = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f";

int i2cFailed(const char *what, const Invocation &in, unsigned reg, int result) {
    complain("i2c %s %u 0x%02x 0x%02x: %s", what, in.channel, in.device, reg, i2cReason(result));
    return kExitFailed;
}

// i2cdump's text column: . for 00 and ff, ? for the other unprintable bytes.
char i2cText(uint8_t c) {
    if (c == 0x00 || c == 0xFF) return '.';
    return c < 0x20 || c >= 0x7F ? '?' : static_cast<char>(c);
}

}  // namespace

// As i2cdetect -l lists adapters: a line per channel, tab-separated.
int runI2cList(const Invocation &in) {
    Json channels;
    const client::Outcome read = client::i2cListDocument(channels);
    if (in.json && read.ok()) printJson(channels);
    if (!in.json)
        for (const Json &c : channels)
            outputPrint("i2c-%u\t%s\tprescale 0x%04x\tI2C master %u\n", c["channel"].get<unsigned>(),
                        c["enabled"].get<bool>() ? "enabled" : "disabled", c["prescale"].get<unsigned>(),
                        c["channel"].get<unsigned>());
    if (read.ok()) return kExitOk;
    complain("i2c list: %s", read.message.c_str());
    return kExitFailed;
}

// Each address is probed with a one-byte read of its register 0.  The grid
// is printed once the scan is over; a channel that does not respond ends it.
int runI2cDetect(const Invocation &in) {
    if (int status = checkChannelEnabled(in.channel, "i2c detect")) return status;
    Json found;
    const client::Outcome scan = client::i2cDetectDocument(in.channel, found);
    if (!scan.ok()) {
        complain("i2c detect %u: %s", in.channel, scan.message.c_str());
        return kExitFailed;
    }
    if (in.json) {
        printJson(found);
        return kExitOk;
    }
    bool present[0x80] = {};
    for (const Json &address : found["addresses"]) present[address.get<unsigned>() & 0x7F] = true;
    outputPrint("%s\n", kColumns);
    for (int row = 0; row < 0x80; row += kI2cRow) {
        char line[4 + 3 * kI2cRow + 2];
        char *out = putByte(line, static_cast<uint8_t>(row));
        *out++ = ':';
        *out++ = ' ';
        for (int address = row; address < row + kI2cRow; ++address) {
            if (address < kFirstProbe || address > kLastProbe) {
                out = putText(out, "   ");
            } else if (!present[address]) {
                out = putText(out, "-- ");
            } else {
                out = putByte(out, static_cast<uint8_t>(address));
                *out++ = ' ';
            }
        }
        *out++ = '\n';
        outputWrite(line, static_cast<size_t>(out - line));
    }
    return kExitOk;
}

// Sixteen registers a transaction; after a failure the rest show XX untried.
int runI2cDump(const Invocation &in) {
    if (int status = checkChannelEnabled(in.channel, "i2c dump")) return status;
    int firstFailure = 0;
    unsigned failedAt = 0;
    const Json document = client::i2cDumpDocument(in.channel, in.device, firstFailure, failedAt);
    if (in.json) {
        printJson(document);
    } else {
        outputPrint("%s    0123456789abcdef\n", kColumns);
        const Json &registers = document["registers"];
        for (unsigned row = 0; row < kRegisters; row += kI2cRow) {
            const bool failed = registers[row].is_null();  // a transaction's row fails whole
            uint8_t bytes[kI2cRow] = {};
            for (unsigned k = 0; k < kI2cRow && !failed; ++k) bytes[k] = registers[row + k].get<uint8_t>();
            char line[4 + 3 * kI2cRow + 3 + kI2cRow + 1];
            char *out = putByte(line, static_cast<uint8_t>(row));
            *out++ = ':';
            *out++ = ' ';
            for (uint8_t byte : bytes) {
                out = failed ? putText(out, "XX") : putByte(out, byte);
                *out++ = ' ';
            }
            out = putText(out, "   ");
            for (uint8_t byte : bytes) *out++ = failed ? 'X' : i2cText(byte);
            *out++ = '\n';
            outputWrite(line, static_cast<size_t>(out - line));
        }
    }
    if (!firstFailure) return kExitOk;
    return i2cFailed("dump", in, failedAt, firstFailure);
}

int runI2cGet(const Invocation &in) {
    uint8_t bytes[kRegisters];
    if (int status = checkChannelEnabled(in.channel, "i2c get")) return status;
    const unsigned count = in.count;
    if (int result = client::i2cRead(in.channel, in.device, in.reg, count, bytes))
        return i2cFailed("get", in, in.reg, result);
    if (in.json) {
        printJson({{"channel", in.channel},
                   {"address", in.device},
                   {"register", in.reg},
                   {"values", std::vector<uint8_t>(bytes, bytes + count)}});
        return kExitOk;
    }
    for (unsigned i = 0; i < count; ++i) outputPrint("0x%02x\n", bytes[i]);
    return kExitOk;
}

int runI2cSet(const Invocation &in) {
    if (int status = checkChannelEnabled(in.channel, "i2c set")) return status;
    const unsigned count = in.byteCount;
    if (int result = client::i2cWrite(in.channel, in.device, in.reg, count, in.bytes))
        return i2cFailed("set", in, in.reg, result);
    if (!in.readBack) return kExitOk;
    uint8_t back[kRegisters];
    if (int result = client::i2cRead(in.channel, in.device, in.reg, count, back))
        return i2cFailed("get", in, in.reg, result);
    for (unsigned i = 0; i < count; ++i) {
        if (back[i] == in.bytes[i]) continue;
        complain("i2c set %u 0x%02x 0x%02x: wrote 0x%02x, read back 0x%02x", in.channel, in.device,
                 static_cast<unsigned>(in.reg + i), in.bytes[i], back[i]);
        return kExitFailed;
    }
    return kExitOk;
}
