#include "printable.h"

namespace client {

std::string printable(std::string_view text) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // U+0080 to U+009F in UTF-8: 0xC2 followed by 0x80-0x9F.
        const bool c1 =
            c == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
        if (c >= 0x20 && c != 0x7F && !c1) {
            out += static_cast<char>(c);
            continue;
        }
        const auto code = c1 ? static_cast<unsigned char>(text[++i]) : c;
        out += "\\x";
        out += kDigits[code >> 4];
        out += kDigits[code & 0xF];
    }
    return out;
}

}  // namespace client
