// The library's memory functions seen through one uniform signature, so that
// the memory commands and the one-shot mode pick them from a table.
#ifndef TKVCON_DEVICE_ACCESS_H
#define TKVCON_DEVICE_ACCESS_H

#include <stdint.h>

#include "hex_output.h"

enum class Target { Reg, Vram, Crtc };

// A read stores the value the library handed back; it starts at 0, so a
// read the library refused shows 0.
using ReadFn = int (*)(uint32_t offset, uint64_t *value);
// A write cuts the value to the access width.
using WriteFn = int (*)(uint32_t offset, uint64_t value);

struct Access {
    ReadFn read;
    WriteFn write;
    ItemSource item;  // `read` for dumps; needs no context
};

// The functions for a target and width (1, 2, 4 or 8; CRTC only 1); null for
// a width that does not exist.
const Access *deviceAccess(Target target, int width);

#endif
