// Hexadecimal dumps: the same bytes as printf("%08x:") and printf(" %02x")
// per item would write, only faster: a large dump is bound by its requests,
// not by formatting.
#ifndef TKVCON_HEX_OUTPUT_H
#define TKVCON_HEX_OUTPUT_H

#include <stdint.h>

// How a dump looks: rows of `perRow` items of `itemBytes` bytes, each row
// headed by the address of its first item in at least `headDigits` digits.
struct DumpLayout {
    int headDigits;
    int perRow;
    int itemBytes;
};

// Where a dump's items come from: item `index`, at `address`.
using ItemSource = uint64_t (*)(const void *context, uint32_t address, int32_t index);

// Prints `count` items from `start` (each item " %0*x" of its width; a quad
// as its low, then its high 32-bit half), the address advancing by the item size
// (modulo 2^32); ends with one line feed.  A count of 0 or less prints "\n".
void dumpItems(uint32_t start, int32_t count, const DumpLayout &layout, ItemSource item, const void *context);

// A dump of bytes already read into `bytes` (16 a row).
void dumpBytes(uint32_t start, int32_t count, int headDigits, const uint8_t *bytes);

#endif
