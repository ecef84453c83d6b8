#include "output.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "output_file.h"
#include "report.h"

namespace {

// Static: no allocation, and pages that a short run never touches cost nothing.
char buffer[2 * kOutputReserveMax];
size_t used;
int outputFd = STDOUT_FILENO;
const char *outputName = "standard output";
const char *pendingPath;  // the -o file, until the first write opens it
const char *finalPath;    // the -o file that the new file replaces at the end
int writeError;
bool reported;  // the error has been told already

// The new file beside the -o file, while it exists: a signal that ends the
// run removes it.
char newFile[PATH_MAX + 16];
volatile sig_atomic_t newFileExists;
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void endingSignals(sigset_t &set) {
    sigemptyset(&set);
    for (int signal : kEndingSignals) sigaddset(&set, signal);
}

// Runs with every ending signal held, so that a second one (timeout(1) sends
// its signal to the process and to its group: two) cannot end the run
// before the file is gone.  Then the signal, its action the default again,
// is let through and raised, and ends the run as it would have.
void removeNewFileAndDie(int signal) {
    if (newFileExists) unlink(newFile);
    newFileExists = 0;
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    sigaction(signal, &byDefault, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);  // a second one, held till now, ends the run here
    raise(signal);
}

void removeNewFileOnSignals() {
    struct sigaction action {};
    action.sa_handler = removeNewFileAndDie;
    endingSignals(action.sa_mask);
    for (int signal : kEndingSignals) {
        struct sigaction old {};
        // A signal that was ignored when tkvtool started stays ignored.
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
}

// Runs `step` with the ending signals held back, so that the handler never
// sees the new file half made or half renamed.
template <typename Step>
void withSignalsHeld(Step &&step) {
    sigset_t held, old;
    endingSignals(held);
    sigprocmask(SIG_BLOCK, &held, &old);
    step();
    sigprocmask(SIG_SETMASK, &old, nullptr);
}

void failOpen(const char *path, int error, const char *why = nullptr, const char *hint = "") {
    writeError = error;
    reported = true;
    complain("cannot write '%s': %s%s", path, why ? why : strerror(error), hint);
}

// A new file in the directory of `path`, to take its place at the end.
void createNewFile(const char *path, const struct stat *existing) {
    const char *slash = strrchr(path, '/');
    const int directoryLength = slash ? static_cast<int>(slash - path + 1) : 0;
    const int length =
        snprintf(newFile, sizeof newFile, "%.*s.%s.XXXXXX", directoryLength, path, slash ? slash + 1 : path);
    if (length < 0 || static_cast<size_t>(length) >= sizeof newFile) return failOpen(path, ENAMETOOLONG);
    removeNewFileOnSignals();
    withSignalsHeld([] {
        outputFd = mkostemp(newFile, O_CLOEXEC);  // 0600, and never an existing file
        newFileExists = outputFd >= 0;
    });
    if (outputFd < 0) return failOpen(path, errno);
    // A file that is replaced keeps its permissions.
    if (existing && fchmod(outputFd, existing->st_mode & 0777) != 0) writeError = errno;
    finalPath = path;
}

// The file is opened when the first bytes leave, so that a run that fails
// before it has anything to write creates nothing.  A regular file (or none)
// is replaced at the end of a run that succeeded; anything else, such as a
// device or a FIFO, is written as it is.
void openPending() {
    const char *path = pendingPath;
    if (!path || writeError) return;
    pendingPath = nullptr;
    struct stat st {};
    if (lstat(path, &st) != 0) {
        if (errno != ENOENT) return failOpen(path, errno);
        return createNewFile(path, nullptr);
    }
    if (S_ISLNK(st.st_mode))
        return failOpen(path, ELOOP, kOutputIsSymbolicLink, "; use - for standard output");
    if (S_ISREG(st.st_mode)) return createNewFile(path, &st);
    outputFd = open(path, O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (outputFd < 0) failOpen(path, errno);
}

// Puts the new file in the place of the -o file, or removes it after a failure.
void settleNewFile(bool keep) {
    withSignalsHeld([keep] {
        if (!newFileExists) return;
        if (keep && rename(newFile, finalPath) != 0) writeError = errno;
        if (!keep || writeError) unlink(newFile);
        newFileExists = 0;
    });
}

void drain() {
    if (used > 0) openPending();
    size_t done = 0;
    while (done < used && !writeError) {
        ssize_t n = write(outputFd, buffer + done, used - done);
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
    outputName = path;
}

bool outputIsTerminal() { return !pendingPath && isatty(outputFd) == 1; }

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
    if (outputFd > STDERR_FILENO && close(outputFd) != 0 && !writeError) writeError = errno;
    settleNewFile(succeeded && !writeError);
    if (!writeError || reported) return writeError ? kExitFailed : kExitOk;
    complain("%s: %s", outputName, strerror(writeError));
    return kExitFailed;
}
