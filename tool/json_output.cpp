#include "json_output.h"

#include "output.h"

void printJson(const Json &document) {
    // Every text in a document is tkvtool's own; a byte that is not UTF-8
    // would still not end the run.
    const std::string text = document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
    outputWrite(text.data(), text.size());
}
