// Everything tkvtool prints as its result goes through one buffer to standard
// output or to the file of -o, and leaves in large writes.
#ifndef TKVTOOL_OUTPUT_H
#define TKVTOOL_OUTPUT_H

#include <stddef.h>

// The most that one reservation may ask for.
constexpr size_t kOutputReserveMax = size_t{1} << 17;

// Sends the output to `path` instead of standard output.  A new file (0600,
// or the permissions of the file it replaces) is written beside it and takes
// its place at the end of a run that succeeded; a run that fails or is ended
// by a signal leaves `path` as it was.  Never through a symbolic link.
void outputToFile(const char *path);
// Whether the output goes to standard output, and that is a terminal.
bool outputIsTerminal();

// Room for `length` bytes (at most kOutputReserveMax), to be filled and
// committed; earlier output may leave first.
char *outputReserve(size_t length);
void outputCommit(const char *end);

void outputWrite(const void *bytes, size_t length);
void outputPrint(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Sends what is buffered, so that a complaint comes after the output before it.
void outputFlush();

// True once a write has failed: further output is dropped.
bool outputFailed();

// Writes what is left and closes a file; kExitFailed after saying why when
// any write failed, else kExitOk.  `succeeded`: the run made all its output.
int outputFinish(bool succeeded);

#endif
