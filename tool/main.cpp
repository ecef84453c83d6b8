// tkvtool: one operation on the display controller, in the conventions of
// the usual command-line tools, for scripts and for people.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "invocation.h"
#include "output.h"
#include "report.h"
#include "tekvaro.h"

namespace {

// The library says "Opening device N failed with -1" itself; its standard
// error is parked on /dev/null meanwhile, so that the user reads one line
// that names the reason instead.
bool openDevice(int id) {
    const int saved = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    if (null >= 0) close(null);
    const int fd = tkvOpen(id);
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
    if (fd >= 0) return true;
    complain("cannot open device %d (/dev/tkvrw): %s", id, strerror(-fd));
    return false;
}

// A standard descriptor that was closed is held by /dev/null, opened so that
// using it still fails: otherwise the device or the output file could take
// its number, and a dump meant for standard output would go there.
void holdClosedStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        // The lowest free number is this one, as the lower ones are open by now.
        if (fcntl(fd, F_GETFD) == -1) open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
    }
}

// Help and version texts go through stdio; a failed write still counts.
int finishText(int status) {
    if (fflush(stdout) == 0) return status;
    complain("standard output: %s", strerror(errno));
    return kExitFailed;
}

}  // namespace

int main(int argc, char **argv) {
    holdClosedStandardDescriptors();
    Invocation invocation;
    int status = kExitOk;
    if (!parseArguments(argc, argv, invocation, status)) return finishText(status);
    if (!openDevice(invocation.deviceId)) return kExitFailed;
    const char *output = invocation.output;
    if (output && strcmp(output, "-") != 0 && !outputToFile(output)) {
        tkvClose();
        return kExitFailed;
    }
    status = invocation.command->run(invocation);
    const int outputStatus = outputFinish();
    tkvClose();
    return status != kExitOk ? status : outputStatus;
}
