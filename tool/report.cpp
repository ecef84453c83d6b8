#include "report.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "output.h"
#include "progress.h"

namespace {

// Lines are built whole and written with one call, so that they never
// interleave with other output on the same terminal.
void writeLine(const char *text, int length) {
    if (length <= 0) return;
    outputFlush();
    wipeProgress();
    ssize_t written = write(STDERR_FILENO, text, static_cast<size_t>(length));
    (void)written;  // nothing more can be said when standard error fails
}

int formatLine(char *line, size_t size, const char *format, va_list ap) {
    int n = snprintf(line, size, "tkvtool: ");
    n += vsnprintf(line + n, size - static_cast<size_t>(n) - 1, format, ap);
    if (n > static_cast<int>(size) - 2) n = static_cast<int>(size) - 2;
    line[n++] = '\n';
    return n;
}

}  // namespace

// printf-style: the format attribute has the compiler check every call.
// NOLINTNEXTLINE(cert-dcl50-cpp)
void complain(const char *format, ...) {
    char line[512];
    va_list ap;
    va_start(ap, format);
    int n = formatLine(line, sizeof line, format, ap);
    va_end(ap);
    writeLine(line, n);
}

// printf-style: the format attribute has the compiler check every call.
// NOLINTNEXTLINE(cert-dcl50-cpp)
int usageError(const char *topic, const char *format, ...) {
    char line[768];
    va_list ap;
    va_start(ap, format);
    int n = formatLine(line, 512, format, ap);
    va_end(ap);
    n += snprintf(line + n, sizeof line - static_cast<size_t>(n), "Try 'tkvtool %s%s--help'\n",
                  topic ? topic : "", topic ? " " : "");
    writeLine(line, n);
    return kExitUsage;
}

int requestFailed(const char *operation, const char *space, uint32_t address, unsigned bytes, int error) {
    complain("%s %s 0x%08x (%u byte%s): %s", operation, space, address, bytes, bytes == 1 ? "" : "s",
             strerror(error));
    return kExitFailed;
}
