// tkvtool: one operation on the display controller, in the conventions of
// the usual command-line tools, for scripts and for people.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "commands.h"
#include "output.h"
#include "quiet_open.h"
#include "report.h"

namespace {

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

// Runs the checked command, on the device unless it needs none.
int runCommand(const Invocation &invocation) {
    const bool device = !invocation.command->offline;
    if (device && !openDevice(invocation.deviceId)) return kExitFailed;
    const char *output = invocation.output;
    if (output && strcmp(output, "-") != 0) outputToFile(output);
    const int status = invocation.command->run(invocation);
    const int outputStatus = outputFinish(status == kExitOk);
    if (device) closeDevice();
    return status != kExitOk ? status : outputStatus;
}

}  // namespace

int main(int argc, char **argv) {
    holdClosedStandardDescriptors();
    Invocation invocation;
    int status = kExitOk;
    if (!parseArguments(argc, argv, invocation, status)) return finishText(status);
    // (load's input is measured before anything is touched.)
    if (invocation.command->prepare) status = invocation.command->prepare(invocation);
    if (status == kExitOk) status = runCommand(invocation);
    free(invocation.inputBytes);
    return status;
}
