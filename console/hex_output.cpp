#include "hex_output.h"

#include <stdio.h>

namespace {

constexpr char kDigits[] = "0123456789abcdef";

uint64_t byteAt(const void *context, uint32_t, int32_t index) {
    return static_cast<const uint8_t *>(context)[index];
}

// The text of one dump row, formatted in memory and handed to stdio just
// before each line feed: where the piece-by-piece printf calls would have
// written that line feed.  Line-buffered output therefore reaches the
// terminal at the same moments, and the library's complaints about refused
// offsets interleave with it the same way.
class RowText {
public:
    // Exactly `Digits` digits of a value that fits in them; unrolled, as the
    // digits are most of a dump's work.
    template <int Digits>
    void fixed(uint64_t value) {
        for (int shift = 4 * (Digits - 1); shift >= 0; shift -= 4) *end_++ = kDigits[(value >> shift) & 0xF];
    }

    // At least `digits` digits ("%0*x").
    void atLeast(uint64_t value, int digits) {
        char reversed[16];
        int n = 0;
        do {
            reversed[n++] = kDigits[value & 0xF];
            value >>= 4;
        } while (value);
        for (; n < digits; --digits) *end_++ = '0';
        while (n) *end_++ = reversed[--n];
    }

    // " %0*x" for 1, 2 and 4 bytes; a quad as its low, then its high half.
    void item(uint64_t value, int bytes) {
        *end_++ = ' ';
        switch (bytes) {
        case 1: fixed<2>(value); break;
        case 2: fixed<4>(value); break;
        case 4: fixed<8>(value); break;
        default:
            fixed<8>(value & 0xFFFFFFFFu);
            *end_++ = ' ';
            fixed<8>(value >> 32);
            break;
        }
    }

    void put(char c) { *end_++ = c; }

    void lineFeed() {
        fwrite_unlocked(text_, 1, static_cast<size_t>(end_ - text_), stdout);
        end_ = text_;
        putchar_unlocked('\n');
    }

private:
    char text_[512] = {};  // a head and 16 items of at most 18 characters
    char *end_ = text_;
};

}  // namespace

void dumpItems(uint32_t start, int32_t count, const DumpLayout &layout, ItemSource item,
               const void *context) {
    RowText row;
    uint32_t address = start;
    int column = 0;  // a counter, not i % perRow: a division per item is a large part of a dump
    for (int32_t i = 0; i < count; ++i) {
        uint64_t value = item(context, address, i);  // read before its row's head is printed
        if (column == 0) {
            if (i != 0) row.lineFeed();
            row.atLeast(address, layout.headDigits);
            row.put(':');
        }
        row.item(value, layout.itemBytes);
        if (++column == layout.perRow) column = 0;
        address += static_cast<uint32_t>(layout.itemBytes);
    }
    row.lineFeed();
}

void dumpBytes(uint32_t start, int32_t count, int headDigits, const uint8_t *bytes) {
    dumpItems(start, count, DumpLayout{headDigits, 16, 1}, byteAt, bytes);
}
