#include "numbers.h"

namespace {

bool parseDigits(const char *word, unsigned base, uint64_t max, uint64_t &value) {
    if (!*word) return false;
    uint64_t n = 0;
    for (; *word; ++word) {
        int digit = hexDigitValue(*word);
        if (digit < 0 || static_cast<unsigned>(digit) >= base || static_cast<uint64_t>(digit) > max)
            return false;
        if (n > (max - static_cast<uint64_t>(digit)) / base) return false;  // n * base + digit > max
        n = n * base + static_cast<uint64_t>(digit);
    }
    value = n;
    return true;
}

}  // namespace

bool parseHex(const char *word, uint64_t max, uint64_t &value) {
    if (word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) word += 2;
    return parseDigits(word, 16, max, value);
}

bool parseDecimal(const char *word, uint64_t max, uint64_t &value) {
    return parseDigits(word, 10, max, value);
}
