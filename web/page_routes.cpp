// The page: index.html for each of its addresses, its files, and dygraphs.
#include <httplib.h>

#include "json_reply.h"
#include "routes.h"
#include "static_files.h"

namespace {

void sendFile(httplib::Response &res, const std::string &folder, const std::string &relative) {
    std::string bytes, type;
    if (folder.empty() || !readPageFile(folder, relative, bytes, type)) {
        replyError(res, 404, "no such file");
        return;
    }
    res.set_header("Cache-Control", "no-cache");
    res.set_content(std::move(bytes), type.c_str());
}

}  // namespace

void addPageRoutes(httplib::Server &server, const ServerSettings &settings) {
    const std::string folder = settings.pageFolder;
    const auto page = [folder](const httplib::Request &, httplib::Response &res) {
        sendFile(res, folder, "index.html");
    };
    server.Get("/", page);
    for (const char *view : {R"(/block/[^/]+)", "/i2c", "/edid", "/snapshot", "/log"}) server.Get(view, page);
    server.Get(R"(/static/(.+))", [folder](const httplib::Request &req, httplib::Response &res) {
        sendFile(res, folder, req.matches[1]);
    });
    // Only the folder's own files: its dist -> . link and any other are not followed.
    server.Get(R"(/javascript/dygraphs/([^/]+))", [](const httplib::Request &req, httplib::Response &res) {
        sendFile(res, kDygraphsFolder, req.matches[1]);
    });
}
