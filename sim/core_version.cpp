// The driver core's version request.
#include "core_version.h"

#include "settings.h"

namespace sim {

int coreVersionRequest(core_ver_t &record) {
    for (int i = 0; i < 4; ++i) record.ver[i] = settings().coreVersion[i];
    return 0;
}

}  // namespace sim
