// One hexadecimal digit's value, or -1: what every reader of hex text needs.
#ifndef TKV_COMMON_HEX_DIGIT_H
#define TKV_COMMON_HEX_DIGIT_H

constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

#endif
