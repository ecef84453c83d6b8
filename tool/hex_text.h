// Hex digits for the output formats, from tables: a dump is mostly digits.
#ifndef TKVTOOL_HEX_TEXT_H
#define TKVTOOL_HEX_TEXT_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

struct HexPairs {
    char text[512];
    constexpr HexPairs() : text() {
        constexpr char kDigits[] = "0123456789abcdef";
        for (int i = 0; i < 256; ++i) {
            text[2 * i] = kDigits[i >> 4];
            text[2 * i + 1] = kDigits[i & 15];
        }
    }
};
inline constexpr HexPairs kHexPairs;

// The characters of a literal, without its terminating null.
template <size_t Size>
char *putText(char *out, const char (&text)[Size]) {
    for (size_t i = 0; i + 1 < Size; ++i) out[i] = text[i];
    return out + Size - 1;
}

// Two lower-case digits of a byte.
inline char *putByte(char *out, uint8_t byte) {
    memcpy(out, kHexPairs.text + 2 * byte, 2);
    return out + 2;
}

// Eight digits of an offset.
inline char *putOffset(char *out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out = putByte(out, static_cast<uint8_t>(value >> shift));
    return out;
}

#endif
