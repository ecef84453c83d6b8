// version: what the driver reports about itself (and, in JSON, tkvtool's own).

#include "commands.h"
#include "documents.h"
#include "json_output.h"
#include "output.h"
#include "report.h"

int runVersion(const Invocation &in) {
    Json document;
    const client::Outcome read = client::versionDocument(TKV_VERSION, document);
    if (!read.ok()) {
        complain("version: %s", read.message.c_str());
        return kExitFailed;
    }
    if (in.json)
        printJson(document);
    else
        outputPrint("%s\n", document["driver"].get_ref<const std::string &>().c_str());
    return kExitOk;
}
