#include "standard_streams.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

namespace {

int writeErrno;  // 0 until a write of standard output fails

}  // namespace

void openClosedStandardDescriptors() {
    // In ascending order, so that open hands out exactly the missing number.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) open("/dev/null", O_RDWR);
}

void noteWriteError() {
    if (writeErrno == 0) writeErrno = errno != 0 ? errno : EIO;
}

int finishOutput(int status) {
    if (fflush(stdout) != 0 || ferror(stdout)) {
        noteWriteError();
        fprintf(stderr, "tkvcon: write error: %s\n", strerror(writeErrno));
        return 1;
    }
    return status;
}
