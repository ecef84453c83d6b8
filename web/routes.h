// tkvweb's answers: the checks every request passes first, the page's
// files, and the API over the operations layer.
#ifndef TKVWEB_ROUTES_H
#define TKVWEB_ROUTES_H

#include <memory>
#include <string>
#include <vector>

#include "regmap.h"

namespace httplib {
class Server;
}
class EventPoller;

struct ServerSettings {
    std::string token;
    std::string listenHost;
    std::vector<std::string> allowedHosts;
    bool readOnly = false;
    std::string pageFolder;
    int device = 0;
};

// Limits, timeouts, default headers and the checks before routing (path,
// Host, token, Origin, --read-only), so that nothing is answered without them.
void addChecks(httplib::Server &server, const ServerSettings &settings);
// "/", "/block/NAME", /static/FILE and /javascript/dygraphs/FILE.
void addPageRoutes(httplib::Server &server, const ServerSettings &settings);
// /api/v1/...: what the routes share, to be kept as long as the server.
std::shared_ptr<void> addApiRoutes(httplib::Server &server, const ServerSettings &settings,
                                   const regmap::Map &map, EventPoller &poller);

#endif
