// Linked into tkvcon-sim only: tkvcon built with the simulated controller
// in front of the C library, so one program start serves a whole run.
// Unless TKVSIM_STATE is set, the device state is kept in the user's default
// state file so that separate runs see each other's writes.
#include "tkvsim.h"

namespace {

// Runs before main, and so before the first open of the device.
__attribute__((constructor)) void defaultStateFile() { tkvsim::keepStateInDefaultFile(); }

}  // namespace
