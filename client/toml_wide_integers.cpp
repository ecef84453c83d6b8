#include "toml_wide_integers.h"

#include <string.h>

#include "hex_digits.h"

namespace regmap {
namespace {

// The value of the literal 0xHEX at `at` (underscores between digits, as
// TOML has them), and its end; false when it is none or does not fit 64 bits.
bool hexLiteral(const std::string &text, size_t at, uint64_t &value, size_t &end) {
    if (text.compare(at, 2, "0x") != 0) return false;
    value = 0;
    size_t i = at + 2;
    bool digit = false;  // the previous character was a digit
    for (; i < text.size(); ++i) {
        const int d = hexDigitValue(text[i]);
        if (d < 0 && text[i] == '_' && digit && i + 1 < text.size() && hexDigitValue(text[i + 1]) >= 0) {
            digit = false;
            continue;
        }
        if (d < 0) break;
        if (value >> 60) return false;
        value = value << 4 | static_cast<uint64_t>(d);
        digit = true;
    }
    end = i;
    // Only a whole value: what follows must end it.
    return digit && (i == text.size() || strchr(" \t\r\n,]}#", text[i]));
}

// The end of the string that starts at `at`: basic or literal, on one line
// or, tripled, on several.
size_t stringEnd(const std::string &text, size_t at) {
    const char quote = text[at];
    const std::string triple(3, quote);
    const bool multiLine = text.compare(at, 3, triple) == 0;
    size_t i = at + (multiLine ? 3 : 1);
    while (i < text.size()) {
        if (multiLine ? text.compare(i, 3, triple) == 0 : text[i] == quote) return i + (multiLine ? 3 : 1);
        if (text[i] == '\n' && !multiLine) return i;
        if (text[i] == '\\' && quote == '"') ++i;
        ++i;
    }
    return i;
}

}  // namespace

WideIntegers widenIntegers(std::string &text) {
    WideIntegers wide;
    unsigned line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            lineStart = ++i;
        } else if (c == '#') {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (c == '"' || c == '\'') {
            const size_t end = stringEnd(text, i);
            for (; i < end; ++i)
                if (text[i] == '\n') {
                    ++line;
                    lineStart = i + 1;
                }
        } else if (c == '=') {
            size_t at = i + 1;
            while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
            uint64_t value = 0;
            size_t end = 0;
            if (hexLiteral(text, at, value, end) && value > INT64_MAX) {
                const auto column = static_cast<unsigned>(at - lineStart + 1);
                wide[{line, column}] = value;
                text[at] = '"';
                text.erase(at + 1, 1);
                text.insert(end - 1, 1, '"');
            }
            i = at;
        } else {
            ++i;
        }
    }
    return wide;
}

}  // namespace regmap
