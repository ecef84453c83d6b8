// htoi against strtoull: the value of the leading hex digits (after an
// optional 0x), kept to its low 64 bits.
#include <stdlib.h>
#include <string.h>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > 256) return -1;
    char text[257];
    memcpy(text, data, size);
    text[size] = '\0';

    const char *digits = text;
    if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits += 2;
    size_t length = strspn(digits, "0123456789abcdefABCDEF");
    char low[17] = {};  // the last 16 digits: older ones shift out
    size_t kept = length < 16 ? length : 16;
    memcpy(low, digits + length - kept, kept);
    const uint64_t expected = kept ? strtoull(low, nullptr, 16) : 0;

    if (htoi(text) != expected) __builtin_trap();
    return 0;
}
