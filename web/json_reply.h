// Answers in JSON: a document, or {"error": "..."} with its status.
#ifndef TKVWEB_JSON_REPLY_H
#define TKVWEB_JSON_REPLY_H

#include <string>

#include "documents.h"

namespace httplib {
struct Response;
}

void replyDocument(httplib::Response &res, const client::Document &document, int status = 200);
void replyError(httplib::Response &res, int status, const std::string &why,
                const client::Document &more = client::Document());

#endif
