#include "hex_output.h"

#include <stdio.h>

#include "standard_streams.h"

namespace {

constexpr char kDigits[] = "0123456789abcdef";

uint64_t byteAt(const void *context, uint32_t, int32_t index) {
    return static_cast<const uint8_t *>(context)[index];
}

// Exactly `Digits` digits of a value that fits in them.  A fixed count lets
// the compiler unroll the loop: the digits are most of a dump's work.
template <int Digits>
void putFixed(uint64_t value) {
    for (int shift = 4 * (Digits - 1); shift >= 0; shift -= 4)
        putchar_unlocked(kDigits[(value >> shift) & 0xF]);
}

// Any value, at least `digits` digits.  Kept out of line so that the usual
// case above stays small.
__attribute__((noinline)) void putAnyHex(uint64_t value, int digits) {
    char text[16];
    int n = 0;
    do {
        text[n++] = kDigits[value & 0xF];
        value >>= 4;
    } while (value);
    for (; n < digits; --digits) putchar_unlocked('0');
    while (n) putchar_unlocked(text[--n]);
}

template <int Digits>
void putAtLeast(uint64_t value) {
    if (value >> (4 * Digits) == 0)
        putFixed<Digits>(value);
    else
        putAnyHex(value, Digits);
}

void putHex(uint64_t value, int digits) {
    switch (digits) {
    case 2: putAtLeast<2>(value); break;
    case 4: putAtLeast<4>(value); break;
    case 8: putAtLeast<8>(value); break;
    default: putAnyHex(value, digits); break;
    }
}

// " %0*x" for 1, 2 and 4 bytes; a quad as its low, then its high half.
void putItem(uint64_t value, int bytes) {
    putchar_unlocked(' ');
    if (bytes == 8) {
        putFixed<8>(value & 0xFFFFFFFFu);
        putchar_unlocked(' ');
        putFixed<8>(value >> 32);
    } else {
        putHex(value, 2 * bytes);
    }
}

}  // namespace

// Piece by piece, as printf would write them: stdio then flushes at the same
// moments, and the library's complaints about refused offsets interleave with
// the dump exactly as they would with printf.  A failed write ends the dump:
// nothing after it could be seen.
void dumpItems(uint32_t start, int32_t count, const DumpLayout &layout, ItemSource item,
               const void *context) {
    uint32_t address = start;
    int column = 0;  // a counter, not i % perRow: a division per item is a large part of a dump
    for (int32_t i = 0; i < count; ++i) {
        uint64_t value = item(context, address, i);
        if (column == 0) {
            if (i != 0) putchar_unlocked('\n');
            putHex(address, layout.headDigits);
            putchar_unlocked(':');
        }
        putItem(value, layout.itemBytes);
        if (outputFailed()) return;
        if (++column == layout.perRow) column = 0;
        address += static_cast<uint32_t>(layout.itemBytes);
    }
    putchar_unlocked('\n');
}

void dumpBytes(uint32_t start, int32_t count, int headDigits, const uint8_t *bytes) {
    dumpItems(start, count, DumpLayout{headDigits, 16, 1}, byteAt, bytes);
}
