#include "toml_prescan.h"

#include <string.h>

namespace regmap {
namespace {

bool startsWith(std::string_view text, size_t at, std::string_view prefix) {
    return text.compare(at, prefix.size(), prefix) == 0;
}

size_t skipBlanks(std::string_view text, size_t at) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    return at;
}

// Whether the first byte from `at` past blanks and line breaks is not ASCII:
// the reader asks whether it is a blank, which it cannot answer for every
// character (after a backslash in a multi-line string).
bool nonAsciiAfterBlanks(std::string_view text, size_t at) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n'))
        ++at;
    return at < text.size() && static_cast<unsigned char>(text[at]) >= 0x80;
}

// A bare key's character or a quoted key's opening quote.
bool startsKey(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '"' || c == '\'';
}

}  // namespace

// One pass of a small state machine over the text: it reads best whole.
// NOLINTNEXTLINE(readability-function-cognitive-complexity)
bool prescanToml(std::string_view text, unsigned &line, std::string &reason) {
    line = 1;
    size_t i = startsWith(text, 0, "\xEF\xBB\xBF") ? 3 : 0;  // a UTF-8 byte order mark
    char previous = '\0';   // the last character of code, past blanks and comments
    unsigned depth = 0;     // arrays and inline tables open in a value
    bool lineStart = true;  // only blanks so far on this line
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            lineStart = true;
            ++i;
        } else if (c == '#') {  // a comment: to the end of the line
            while (i < text.size() && text[i] != '\n') ++i;
        } else if ((c == '"' || c == '\'') && (lineStart || (previous && strchr("=[{,.", previous)))) {
            // A string, where a key or a value starts (elsewhere the reader
            // takes the quote as part of a malformed value): basic ("", with escapes) or literal (''), on one
            // line or, tripled, on several; a tripled one may end in up to two more quotes of its own.
            const std::string_view triple = c == '"' ? "\"\"\"" : "'''";
            const bool multiLine = startsWith(text, i, triple);
            i += multiLine ? 3 : 1;
            while (i < text.size()) {
                if (multiLine ? startsWith(text, i, triple) : text[i] == c) break;
                if (text[i] == '\n') {
                    if (!multiLine) break;  // unterminated: the reader reports it
                    ++line;
                } else if (text[i] == '\\' && c == '"' && multiLine && nonAsciiAfterBlanks(text, i + 1)) {
                    reason = "a character that is not ASCII after a backslash";
                    return false;
                } else if (text[i] == '\\' && c == '"' && i + 1 < text.size() && text[i + 1] != '\n') {
                    ++i;
                }
                ++i;
            }
            if (multiLine && i < text.size()) {
                i += 3;
                for (int extra = 0; extra < 2 && i < text.size() && text[i] == c; ++extra) ++i;
            } else if (i < text.size() && text[i] == c) {
                ++i;
            }
            previous = c;
            lineStart = false;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            reason = "a character that is not ASCII outside a string or comment";
            return false;
        } else {
            if (c == '}' && (previous == '[' || previous == ',')) {
                reason = "'}' where a value is expected";
                return false;
            }
            if (c == '[' && depth == 0 && previous != '=') {  // a table header: [key] or [[key]]
                size_t k = skipBlanks(text, i + 1);
                if (k < text.size() && text[k] == '[') k = skipBlanks(text, k + 1);
                if (k < text.size() && !startsKey(text[k]) && text[k] != ']') {
                    reason = "a table header without a key";
                    return false;
                }
            } else if (c == '[' || c == '{') {
                ++depth;
            } else if ((c == ']' || c == '}') && depth > 0) {
                --depth;
            }
            if (c != ' ' && c != '\t' && c != '\r') {
                previous = c;
                lineStart = false;
            }
            ++i;
        }
    }
    return true;
}

}  // namespace regmap
