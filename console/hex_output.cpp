#include "hex_output.h"

#include <stdio.h>

namespace {

constexpr char kDigits[] = "0123456789abcdef";

uint64_t byteAt(const void *context, uint32_t, int32_t index) {
    return static_cast<const uint8_t *>(context)[index];
}

}  // namespace

void putHex(uint64_t value, int digits) {
    if (digits < 16 && value >> (4 * digits) == 0) {  // the usual case: exactly `digits`
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
            putchar_unlocked(kDigits[(value >> shift) & 0xF]);
        return;
    }
    char text[16];
    int n = 0;
    do {
        text[n++] = kDigits[value & 0xF];
        value >>= 4;
    } while (value);
    while (n < digits) text[n++] = '0';
    while (n) putchar_unlocked(text[--n]);
}

void putItem(uint64_t value, int bytes) {
    putchar_unlocked(' ');
    if (bytes == 8) {
        putHex(value & 0xFFFFFFFFu, 8);
        putchar_unlocked(' ');
        putHex(value >> 32, 8);
    } else {
        putHex(value, 2 * bytes);
    }
}

void dumpItems(uint32_t start, int32_t count, const DumpLayout &layout, ItemSource item,
               const void *context) {
    uint32_t address = start;
    for (int32_t i = 0; i < count; ++i) {
        uint64_t value = item(context, address, i);
        if (i == 0 || i % layout.perRow == 0) {
            if (i != 0) putchar_unlocked('\n');
            putHex(address, layout.headDigits);
            putchar_unlocked(':');
        }
        putItem(value, layout.itemBytes);
        address += static_cast<uint32_t>(layout.itemBytes);
    }
    putchar_unlocked('\n');
}

void dumpBytes(uint32_t start, int32_t count, int headDigits, const uint8_t *bytes) {
    dumpItems(start, count, DumpLayout{headDigits, 16, 1}, byteAt, bytes);
}
