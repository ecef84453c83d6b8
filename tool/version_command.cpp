// version: what the driver reports about itself (and, in JSON, tkvtool's own).

#include <stdio.h>
#include <string.h>

#include "commands.h"
#include "json_output.h"
#include "output.h"
#include "report.h"
#include "tekvaro.h"

int runVersion(const Invocation &in) {
    int ver[4] = {};
    int result = tkvTkvcoreVer(&ver[0], &ver[1], &ver[2], &ver[3]);
    if (result != 0) {
        complain("version: %s", strerror(errorOf(result)));
        return kExitFailed;
    }
    char driver[48];
    snprintf(driver, sizeof driver, "%d.%d.%d.%d", ver[0], ver[1], ver[2], ver[3]);
    if (in.json)
        printJson({{"driver", driver}, {"tool", TKV_VERSION}});
    else
        outputPrint("%s\n", driver);
    return kExitOk;
}
