#include "numbers.h"

namespace {

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool parseHex(const char *word, uint64_t max, uint64_t &value) {
    if (word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) word += 2;
    if (!*word) return false;
    uint64_t n = 0;
    for (; *word; ++word) {
        int digit = digitValue(*word);
        if (digit < 0 || static_cast<uint64_t>(digit) > max) return false;
        if (n > (max - static_cast<uint64_t>(digit)) / 16) return false;  // n * 16 + digit > max
        n = n * 16 + static_cast<uint64_t>(digit);
    }
    value = n;
    return true;
}
