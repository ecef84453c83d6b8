#include "core_version.h"

#include <stdio.h>

#include "tekvaro.h"

int printCoreVersion() {
    int ver[4] = {};
    const int result = tkvTkvcoreVer(&ver[0], &ver[1], &ver[2], &ver[3]);
    if (result == 0) printf("%d.%d.%d.%d\n", ver[0], ver[1], ver[2], ver[3]);
    return result;
}
