// Who tkvweb answers: a request with the token, for a Host that names this
// server (a page of another site cannot rebind its name to us), and, for a
// change, from this server's own page.  Plain functions of strings.
#ifndef TKVWEB_SECURITY_H
#define TKVWEB_SECURITY_H

#include <string>
#include <string_view>
#include <vector>

constexpr char kTokenCookie[] = "tkvweb_token";

// The Host header is a loopback name (any port: an ssh -L tunnel may
// forward another one) or the listening host itself.
// `allowed` are the --allow-host names.
bool hostAllowed(std::string_view host, std::string_view listenHost,
                 const std::vector<std::string> &allowed = {});
// An Origin is this server's own: http://HOST with the request's Host.
bool originAllowed(std::string_view origin, std::string_view host);

// Compares without stopping at the first difference.
bool tokenEquals(std::string_view given, std::string_view token);
// The token of "Bearer TOKEN"; empty for anything else.
std::string_view bearerToken(std::string_view authorization);
// The value of cookie `name` in a Cookie header; empty when absent.
std::string_view cookieValue(std::string_view cookies, std::string_view name);

// The path of a request target (before '?') names a file below a root only
// when it holds no empty, "." or ".." segment, no backslash, and no escaped
// dot, slash, backslash or NUL.
bool pathSafe(std::string_view target);
// The target without its token=... query parameter: where a page load with
// the token is sent once the cookie is set.
std::string withoutToken(std::string_view target);

#endif
