// edid: a monitor's EDID as raw bytes for edid-decode and files, or as hex
// rows (which edid-decode also reads) on a terminal.
#include <errno.h>
#include <string.h>

#include "commands.h"
#include "hex_text.h"
#include "json_output.h"
#include "output.h"
#include "report.h"
#include "tekvaro.h"

namespace {

constexpr uint32_t kBlock = 128, kLargest = 512, kEdidRow = 16;

void printRows(const uint8_t *data, uint32_t length) {
    for (uint32_t row = 0; row < length; row += kEdidRow) {
        char line[3 * kEdidRow];
        char *out = line;
        for (uint32_t i = row; i < row + kEdidRow && i < length; ++i) {
            out = putByte(out, data[i]);
            *out++ = ' ';
        }
        out[-1] = '\n';
        outputWrite(line, static_cast<size_t>(out - line));
    }
}

std::string hexString(const uint8_t *data, uint32_t length) {
    std::string text(2 * length, '0');
    for (uint32_t i = 0; i < length; ++i) putByte(&text[2 * i], data[i]);
    return text;
}

// The first block whose bytes do not sum to 0, or -1.
int badBlock(const uint8_t *data, uint32_t length) {
    for (uint32_t block = 0; block + kBlock <= length; block += kBlock) {
        uint8_t sum = 0;
        for (uint32_t i = 0; i < kBlock; ++i) sum = static_cast<uint8_t>(sum + data[block + i]);
        if (sum != 0) return static_cast<int>(block / kBlock);
    }
    return -1;
}

}  // namespace

int runEdid(const Invocation &in) {
    uint32_t length = 0, valid = 0;
    uint8_t *data = nullptr;
    const int result = tkvDDCRead(in.port, &length, &data, &valid);
    if (result != 0) {
        const int error = errorOf(result);
        if (error == ENXIO)
            complain("edid %u: no monitor (%s)", in.port, strerror(error));
        else
            complain("edid %u: %s", in.port, strerror(error));
        return kExitFailed;
    }
    if (length == 0 || !data) {
        complain("edid %u: no monitor", in.port);
        return kExitFailed;
    }
    if (length > kLargest) {
        complain("edid %u: the driver reports 0x%x bytes, more than an EDID has", in.port, length);
        return kExitFailed;
    }
    const int block = valid ? -1 : badBlock(data, length);
    if (in.json)
        printJson({{"port", in.port},
                   {"length", length},
                   {"bytes", hexString(data, length)},
                   {"valid", valid != 0},
                   {"bad_block", block >= 0 ? Json(block) : Json()}});
    else if (in.output || !outputIsTerminal())
        outputWrite(data, length);
    else
        printRows(data, length);
    if (valid) return kExitOk;
    if (block >= 0)
        complain("edid %u: block %d has a bad checksum", in.port, block);
    else
        complain("edid %u: the driver found the EDID not valid", in.port);
    return kExitFailed;
}
