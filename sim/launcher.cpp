// tkvcon-sim: runs tkvcon, found beside this program, with the simulated
// controller preloaded.  Unless TKVSIM_STATE is set, the device state is kept
// in a file in the temporary folder so that separate runs see each other's
// writes.  The program name the user typed is handed on unchanged.
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#ifndef TKVSIM_RELATIVE_PATH
#error "TKVSIM_RELATIVE_PATH names libtkvsim.so relative to the program's folder"
#endif

namespace {

// The folder of this program, with a trailing slash.
bool ownFolder(char (&folder)[PATH_MAX]) {
    ssize_t n = readlink("/proc/self/exe", folder, sizeof folder - 1);
    if (n <= 0) return false;
    folder[n] = '\0';
    char *slash = strrchr(folder, '/');
    if (!slash) return false;
    slash[1] = '\0';
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    (void)argc;
    char folder[PATH_MAX];
    if (!ownFolder(folder)) {
        fputs("tkvcon-sim: cannot find its own folder\n", stderr);
        return 1;
    }
    char program[PATH_MAX + 8], preload[2 * PATH_MAX + 64];
    snprintf(program, sizeof program, "%stkvcon", folder);
    // A sanitizer runtime already preloaded must stay first.
    const char *extra = getenv("LD_PRELOAD");
    snprintf(preload, sizeof preload, "%s%s%s" TKVSIM_RELATIVE_PATH "/libtkvsim.so", extra ? extra : "",
             extra && *extra ? " " : "", folder);
    setenv("LD_PRELOAD", preload, 1);
    if (!getenv("TKVSIM_STATE")) {
        const char *tmp = getenv("TMPDIR");
        char state[PATH_MAX];
        snprintf(state, sizeof state, "%s/tkvsim-%u.state", tmp && *tmp ? tmp : "/tmp",
                 static_cast<unsigned>(getuid()));
        setenv("TKVSIM_STATE", state, 1);
    }
    execv(program, argv);
    perror(program);
    return 127;
}
