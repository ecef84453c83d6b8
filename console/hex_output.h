// Hexadecimal output for reads and dumps.  Pieces are written through stdio
// exactly as the equivalent printf calls would write them, only faster: a
// large dump is bound by its requests, not by formatting.
#ifndef TKVCON_HEX_OUTPUT_H
#define TKVCON_HEX_OUTPUT_H

#include <stdint.h>

// Writes `value` as lower-case hex with at least `digits` digits ("%0*x").
void putHex(uint64_t value, int digits);

// One item of `bytes` (1, 2, 4 or 8) as " %0*x"; a quad as its low then its
// high 32-bit half, each " %08x".
void putItem(uint64_t value, int bytes);

// How a dump looks: rows of `perRow` items of `itemBytes` bytes, each row
// headed by the address of its first item in at least `headDigits` digits.
struct DumpLayout {
    int headDigits;
    int perRow;
    int itemBytes;
};

// Where a dump's items come from: item `index`, at `address`.
using ItemSource = uint64_t (*)(const void *context, uint32_t address, int32_t index);

// Prints `count` items from `start`, the address advancing by the item size
// (modulo 2^32); ends with one line feed.  A count of 0 or less prints "\n".
void dumpItems(uint32_t start, int32_t count, const DumpLayout &layout, ItemSource item, const void *context);

// A dump of bytes already read into `bytes` (16 a row).
void dumpBytes(uint32_t start, int32_t count, int headDigits, const uint8_t *bytes);

#endif
