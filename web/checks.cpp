// What every request passes before it reaches a route.
#include <httplib.h>

#include "json_reply.h"
#include "routes.h"
#include "security.h"

namespace {

constexpr size_t kLargestBody = size_t{1} << 20;
// A connection holds a worker while it sends its request and while it is
// kept alive: enough of them that a hundred idle or half-sent connections
// leave others served, and each given up after a second of silence, which is
// also how long the server takes to stop at most.
constexpr size_t kThreads = 128;
constexpr time_t kTimeoutSeconds = 1;

// No inline script, nothing from elsewhere.  The chart library sets the
// style attributes of the elements it draws, which style-src must allow.
constexpr char kPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' data:; "
    "connect-src 'self'; "
    "font-src 'self'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'";

bool changes(const std::string &method) { return method != "GET" && method != "HEAD" && method != "OPTIONS"; }

bool isApi(const std::string &path) { return path.rfind("/api/", 0) == 0; }

httplib::Server::HandlerResponse refuse(httplib::Response &res, int status, const std::string &why) {
    replyError(res, status, why);
    return httplib::Server::HandlerResponse::Handled;
}

httplib::Server::HandlerResponse check(const ServerSettings &settings, const httplib::Request &req,
                                       httplib::Response &res) {
    if (!pathSafe(req.target)) return refuse(res, 400, "the path is not one this server has");
    const std::string host = req.get_header_value("Host");
    if (!hostAllowed(host, settings.listenHost, settings.allowedHosts))
        return refuse(res, 403, "this server does not answer for that host");
    const std::string authorization =
        req.get_header_value("Authorization");  // the views below are into these
    const std::string_view bearer = bearerToken(authorization);
    const std::string cookies = req.get_header_value("Cookie");
    bool known = tokenEquals(bearer, settings.token) ||
                 tokenEquals(cookieValue(cookies, kTokenCookie), settings.token);
    if (!known && req.method == "GET" && !isApi(req.path) && req.has_param("token")) {
        // The URL printed at start: the token becomes a cookie, and leaves the address bar.
        if (!tokenEquals(req.get_param_value("token"), settings.token))
            return refuse(res, 401, "a wrong token");
        res.status = 303;
        res.set_header("Location", withoutToken(req.target));
        res.set_header("Set-Cookie", std::string(kTokenCookie) + "=" + settings.token +
                                         "; Path=/; HttpOnly; SameSite=Strict");
        return httplib::Server::HandlerResponse::Handled;
    }
    if (!known)
        return refuse(res, 401, "open the URL tkvweb printed, with its token, or send it as a Bearer token");
    if (changes(req.method)) {
        const std::string origin = req.get_header_value("Origin");
        if (req.has_header("Origin") && !originAllowed(origin, host))
            return refuse(res, 403, "a change from another site's page");
        if (settings.readOnly) return refuse(res, 403, "tkvweb runs --read-only");
    }
    return httplib::Server::HandlerResponse::Unhandled;
}

}  // namespace

void addChecks(httplib::Server &server, const ServerSettings &settings) {
    server.new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
    server.set_payload_max_length(kLargestBody);
    server.set_read_timeout(kTimeoutSeconds, 0);
    server.set_tcp_nodelay(true);  // a small answer leaves at once, not after the peer's delayed ACK
    server.set_write_timeout(kTimeoutSeconds, 0);
    server.set_idle_interval(0, 100000);
    server.set_keep_alive_max_count(1000);
    server.set_keep_alive_timeout(kTimeoutSeconds);
    server.set_default_headers({{"Content-Security-Policy", kPolicy},
                                {"X-Content-Type-Options", "nosniff"},
                                {"X-Frame-Options", "DENY"},
                                {"Referrer-Policy", "no-referrer"},
                                {"Cache-Control", "no-store"}});
    server.set_pre_routing_handler([&settings](const httplib::Request &req, httplib::Response &res) {
        return check(settings, req, res);
    });
    server.set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr) {
        replyError(res, 500, "the server failed to answer");
    });
    server.set_error_handler([](const httplib::Request &, httplib::Response &res) {
        if (res.body.empty())
            replyError(res, res.status, res.status == 413 ? "the body is too large" : "refused");
    });
}
