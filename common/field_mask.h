// A register field given as its mask (as regmap_offsets.h has them): where
// it starts, and how wide its values are.
#ifndef TKV_COMMON_FIELD_MASK_H
#define TKV_COMMON_FIELD_MASK_H

#include <stdint.h>

namespace field_mask {

constexpr unsigned shift(uint64_t mask) {
    unsigned n = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++n;
    }
    return n;
}

// The largest value the field holds, in place at bit 0.
constexpr uint64_t values(uint64_t mask) { return mask >> shift(mask); }

}  // namespace field_mask

#endif
