// DDC ports and their monitors (to be modelled).
#include <errno.h>

#include "models.h"

namespace sim {

int ddcRequest(ddc_edid_t &) { return ENOTTY; }

}  // namespace sim
