#include "security.h"

#include <ctype.h>

namespace {

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The name part of "NAME[:PORT]" or "[V6][:PORT]"; false when the port is not digits.
bool hostName(std::string_view host, std::string_view &name) {
    std::string_view port;
    if (!host.empty() && host.front() == '[') {
        const size_t close = host.find(']');
        if (close == std::string_view::npos) return false;
        name = host.substr(0, close + 1);
        port = host.substr(close + 1);
        if (!port.empty() && port.front() != ':') return false;
    } else {
        const size_t colon = host.find(':');
        name = host.substr(0, colon);
        if (colon != std::string_view::npos) port = host.substr(colon);
    }
    if (port.empty()) return !name.empty();
    port.remove_prefix(1);
    if (port.empty() || port.size() > 5) return false;
    for (char c : port)
        if (c < '0' || c > '9') return false;
    return !name.empty();
}

}  // namespace

bool hostAllowed(std::string_view host, std::string_view listenHost,
                 const std::vector<std::string> &allowed) {
    std::string_view name;
    if (!hostName(host, name)) return false;
    static constexpr std::string_view kLoopback[] = {"localhost", "127.0.0.1", "[::1]"};
    for (std::string_view loopback : kLoopback)
        if (sameText(name, loopback)) return true;
    for (const std::string &extra : allowed)
        if (sameText(name, extra)) return true;
    if (listenHost.empty() || listenHost == "0.0.0.0" || listenHost == "::") return false;
    if (listenHost.find(':') != std::string_view::npos)  // an IPv6 address is bracketed in a Host
        return name.size() == listenHost.size() + 2 && name.front() == '[' &&
               sameText(name.substr(1, listenHost.size()), listenHost);
    return sameText(name, listenHost);
}

bool originAllowed(std::string_view origin, std::string_view host) {
    constexpr std::string_view kScheme = "http://";
    return origin.size() == kScheme.size() + host.size() &&
           sameText(origin.substr(0, kScheme.size()), kScheme) &&
           sameText(origin.substr(kScheme.size()), host);
}

bool tokenEquals(std::string_view given, std::string_view token) {
    if (token.empty() || given.size() != token.size()) return false;
    unsigned char difference = 0;
    for (size_t i = 0; i < token.size(); ++i) difference |= static_cast<unsigned char>(given[i] ^ token[i]);
    return difference == 0;
}

std::string_view bearerToken(std::string_view authorization) {
    constexpr std::string_view kBearer = "Bearer ";
    if (authorization.size() <= kBearer.size() || !sameText(authorization.substr(0, kBearer.size()), kBearer))
        return {};
    return authorization.substr(kBearer.size());
}

std::string_view cookieValue(std::string_view cookies, std::string_view name) {
    while (!cookies.empty()) {
        const size_t end = cookies.find(';');
        std::string_view pair = cookies.substr(0, end);
        while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
        const size_t equals = pair.find('=');
        if (equals != std::string_view::npos && pair.substr(0, equals) == name)
            return pair.substr(equals + 1);
        if (end == std::string_view::npos) break;
        cookies.remove_prefix(end + 1);
    }
    return {};
}

bool pathSafe(std::string_view target) {
    const std::string_view path = target.substr(0, target.find('?'));
    if (path.empty() || path.front() != '/') return false;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '\\' || c == '\0') return false;
        if (c == '%') {
            if (i + 2 >= path.size()) return false;
            const std::string_view code = path.substr(i + 1, 2);
            for (std::string_view refused : {"2e", "2f", "5c", "00"})
                if (sameText(code, refused)) return false;
        }
    }
    size_t start = 1;  // each segment between slashes; only the last may be empty ("/", "/block/")
    while (start <= path.size()) {
        const size_t slash = path.find('/', start);
        const std::string_view segment =
            path.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (segment == "." || segment == "..") return false;
        if (slash == std::string_view::npos) break;
        if (segment.empty()) return false;
        start = slash + 1;
    }
    return true;
}

std::string withoutToken(std::string_view target) {
    const size_t question = target.find('?');
    std::string result(target.substr(0, question));
    if (question == std::string_view::npos) return result;
    std::string_view query = target.substr(question + 1);
    std::string kept;
    while (true) {
        const size_t amp = query.find('&');
        const std::string_view part = query.substr(0, amp);
        if (!part.empty() && part.substr(0, 6) != "token=" && part != "token") {
            kept += kept.empty() ? "" : "&";
            kept += part;
        }
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    if (!kept.empty()) result += "?" + kept;
    return result;
}
