#include "text_helpers.h"

#include <stdlib.h>

#include "hex_digit.h"

uint64_t htoi(const char *text) {
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text += 2;
    uint64_t value = 0;
    for (int digit; (digit = hexDigitValue(*text)) >= 0; ++text)
        value = value << 4 | static_cast<uint64_t>(digit);  // older digits shift out
    return value;
}

void uppercaseStr(char *text) {
    for (; *text; ++text)
        if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
}

uint32_t hexArg(const char *text) { return static_cast<uint32_t>(htoi(text)); }

int32_t signedHexArg(const char *text) { return static_cast<int32_t>(hexArg(text)); }

int32_t decimalArg(const char *text) {
    return static_cast<int32_t>(static_cast<uint32_t>(strtol(text, nullptr, 10)));
}
