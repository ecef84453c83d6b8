// version: what the driver reports about itself (and, in JSON, tkvtool's own).

#include "commands.h"
#include "core_version.h"
#include "json_output.h"
#include "output.h"
#include "report.h"

int runVersion(const Invocation &in) {
    client::CoreVersion version;
    const client::Outcome read = client::readCoreVersion(version);
    if (!read.ok()) {
        complain("version: %s", read.message.c_str());
        return kExitFailed;
    }
    if (in.json)
        printJson({{"driver", version.text()}, {"tool", TKV_VERSION}});
    else
        outputPrint("%s\n", version.text().c_str());
    return kExitOk;
}
