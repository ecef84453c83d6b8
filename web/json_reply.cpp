#include "json_reply.h"

#include <httplib.h>

void replyDocument(httplib::Response &res, const client::Document &document, int status) {
    res.status = status;
    // The same text as tkvtool --json prints.
    res.set_content(document.dump(2, ' ', false, client::Document::error_handler_t::replace) + "\n",
                    "application/json");
}

void replyError(httplib::Response &res, int status, const std::string &why, const client::Document &more) {
    client::Document document = {{"error", why}};
    if (more.is_object())
        for (auto it = more.begin(); it != more.end(); ++it) document[it.key()] = it.value();
    replyDocument(res, document, status);
}
