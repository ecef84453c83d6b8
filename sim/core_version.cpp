// The driver core's version request.
#include "device_state.h"
#include "models.h"

namespace sim {

int coreVersionRequest(core_ver_t &record) {
    for (int i = 0; i < 4; ++i) record.ver[i] = settings().coreVersion[i];
    return 0;
}

}  // namespace sim
