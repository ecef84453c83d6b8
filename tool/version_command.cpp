// version: what the driver reports about itself.
#include <string.h>

#include "commands.h"
#include "output.h"
#include "report.h"
#include "tekvaro.h"

int runVersion(const Invocation &) {
    int ver[4] = {};
    int result = tkvTkvcoreVer(&ver[0], &ver[1], &ver[2], &ver[3]);
    if (result != 0) {
        complain("version: %s", strerror(errorOf(result)));
        return kExitFailed;
    }
    outputPrint("%d.%d.%d.%d\n", ver[0], ver[1], ver[2], ver[3]);
    return kExitOk;
}
