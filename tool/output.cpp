#include "output.h"

#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "report.h"

namespace {

// Static: no allocation, and pages that a short run never touches cost nothing.
char buffer[2 * kOutputReserveMax];
size_t used;
int fd = STDOUT_FILENO;
const char *name = "standard output";
const char *pendingPath;  // the -o file, until the first write opens it
int writeError;
bool reported;  // the error has been told already

// The file is opened when the first bytes leave, so that a run that fails
// before it has anything to write leaves an existing file as it was.
void openPending() {
    const char *path = pendingPath;
    if (!path || writeError) return;
    pendingPath = nullptr;
    fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        writeError = errno;
        reported = true;
        complain("cannot write '%s': %s", path, strerror(writeError));
    }
}

void drain() {
    if (used > 0) openPending();
    size_t done = 0;
    while (done < used && !writeError) {
        ssize_t n = write(fd, buffer + done, used - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            writeError = errno;
        else
            done += static_cast<size_t>(n);
    }
    used = 0;
}

}  // namespace

void outputToFile(const char *path) {
    pendingPath = path;
    name = path;
}

bool outputIsTerminal() { return !pendingPath && isatty(fd) == 1; }

char *outputReserve(size_t length) {
    if (used + length > sizeof buffer) drain();
    return buffer + used;
}

void outputCommit(const char *end) {
    used = static_cast<size_t>(end - buffer);
    if (used >= kOutputReserveMax) drain();
}

void outputWrite(const void *bytes, size_t length) {
    while (length > 0) {
        size_t piece = length < kOutputReserveMax ? length : kOutputReserveMax;
        char *at = outputReserve(piece);
        memcpy(at, bytes, piece);
        outputCommit(at + piece);
        bytes = static_cast<const char *>(bytes) + piece;
        length -= piece;
    }
}

// printf-style: the format attribute has the compiler check every call.
// NOLINTNEXTLINE(cert-dcl50-cpp)
void outputPrint(const char *format, ...) {
    char line[256];
    va_list ap;
    va_start(ap, format);
    int n = vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    if (n > 0)
        outputWrite(line, static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1);
}

void outputFlush() { drain(); }

bool outputFailed() { return writeError != 0; }

int outputFinish(bool succeeded) {
    if (succeeded) openPending();  // an empty result is still a file
    drain();
    if (fd > STDERR_FILENO && close(fd) != 0 && !writeError) writeError = errno;
    if (!writeError || reported) return writeError ? kExitFailed : kExitOk;
    complain("%s: %s", name, strerror(writeError));
    return kExitFailed;
}
