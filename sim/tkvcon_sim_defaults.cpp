// Linked into tkvcon-sim only: tkvcon built with the simulated controller
// in front of the C library, so one program start serves a whole run.
// Unless TKVSIM_STATE is set, the device state is kept in a file in the
// temporary folder so that separate runs see each other's writes.
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// Runs before main, and so before the first open of the device reads it.
__attribute__((constructor)) void defaultStateFile() {
    if (getenv("TKVSIM_STATE")) return;
    const char *tmp = getenv("TMPDIR");
    char path[PATH_MAX];
    snprintf(path, sizeof path, "%s/tkvsim-%u.state", tmp && *tmp ? tmp : "/tmp",
             static_cast<unsigned>(getuid()));
    setenv("TKVSIM_STATE", path, 1);
}

}  // namespace
