#include "hex_rows.h"

#include <string.h>

#include "hex_text.h"
#include "output.h"

namespace {

constexpr uint32_t kRowBytes = 16;
constexpr size_t kRowText = 80;  // "%08x" + 2 + 16 * 3 + 1 + 2 + 16 + 2 = 79
constexpr uint32_t kRowsPerReserve = 1024;

char *formatRow(char *out, uint32_t address, const uint8_t *bytes, const uint8_t *failed, uint32_t count) {
    out = putOffset(out, address);
    *out++ = ' ';
    *out++ = ' ';
    for (uint32_t i = 0; i < kRowBytes; ++i) {
        if (i >= count) {
            out = putText(out, "   ");
        } else if (failed && failed[i]) {
            out = putText(out, "XX ");
        } else {
            out = putByte(out, bytes[i]);
            *out++ = ' ';
        }
        if (i == 7) *out++ = ' ';
    }
    *out++ = ' ';
    *out++ = '|';
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t c = bytes[i];
        *out++ = failed && failed[i] ? 'X' : c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
    }
    *out++ = '|';
    *out++ = '\n';
    return out;
}

}  // namespace

bool HexRows::repeats(const uint8_t *bytes, const uint8_t *failed) {
    if (!printedAny_ || allRows_) return false;
    if (memcmp(bytes, previous_, kRowBytes) != 0) return false;
    return failed ? memcmp(failed, previousFailed_, kRowBytes) == 0
                  : memchr(previousFailed_, 1, kRowBytes) == nullptr;
}

void HexRows::put(uint32_t address, const uint8_t *bytes, const uint8_t *failed, uint32_t count) {
    while (count > 0) {
        char *out = outputReserve(kRowsPerReserve * kRowText);
        for (uint32_t rows = 0; rows < kRowsPerReserve && count > 0; ++rows) {
            const bool whole = count >= kRowBytes;
            const uint32_t n = whole ? kRowBytes : count;
            if (whole && repeats(bytes, failed)) {
                if (!starred_) out = putText(out, "*\n");
                starred_ = true;
            } else {
                out = formatRow(out, address, bytes, failed, n);
                starred_ = false;
                printedAny_ = true;
                memcpy(previous_, bytes, n);
                if (failed)
                    memcpy(previousFailed_, failed, n);
                else
                    memset(previousFailed_, 0, kRowBytes);
            }
            address += n;
            bytes += n;
            if (failed) failed += n;
            count -= n;
        }
        outputCommit(out);
    }
}

void HexRows::finish(uint32_t end) {
    if (!printedAny_) return;
    char line[10];
    char *out = putOffset(line, end);
    *out++ = '\n';
    outputWrite(line, static_cast<size_t>(out - line));
}
