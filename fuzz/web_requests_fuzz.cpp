// tkvweb's own reading of requests: register write bodies, watched names,
// intervals, numbers, paths, Host and Origin, cookies and tokens.
#include <stddef.h>
#include <stdint.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "request_parsing.h"
#include "security.h"

namespace {

// A path that climbs: one of its segments (before any query) is "." or "..".
bool climbs(std::string_view target) {
    const std::string_view path = target.substr(0, target.find('?'));
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string_view segment = path.substr(start, end - start);
        if (segment == "." || segment == "..") return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    RegisterWrite write;
    std::vector<std::string> names;
    std::string why;
    uint32_t ms = 0;
    uint64_t value = 0;
    parseRegisterWrite(text, write, why);
    parseNameList(text, names, why);
    parseInterval(text, ms, why);
    parseNumber(text, UINT64_MAX, value);
    parseNumber(text, 1, value);
    if (pathSafe(text) && climbs(text)) __builtin_trap();
    withoutToken(text);
    const size_t split = text.find('\n');
    const std::string_view a = text.substr(0, split), b = split == text.npos ? "" : text.substr(split + 1);
    hostAllowed(a, b);
    originAllowed(a, b);
    tokenEquals(a, b);
    cookieValue(a, b);
    bearerToken(a);
    return 0;
}
