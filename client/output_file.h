// Output files as every front end writes them: never through a symbolic
// link, and a file that is replaced stays as it was until the new one is
// whole.  tkvtool's -o streams through its own buffer by the same rules; the
// Python module's save_png writes a whole image with writeWholeFile.
#ifndef TKV_CLIENT_OUTPUT_FILE_H
#define TKV_CLIENT_OUTPUT_FILE_H

#include <stddef.h>

// The reason (with ELOOP) for a symbolic link where the file is to be
// written: a planted link is never followed.
constexpr char kOutputIsSymbolicLink[] = "is a symbolic link";

// Writes `length` bytes to `path`.  A regular file (or none) is replaced by a
// new file made beside it (0600, or the permissions of the file it replaces)
// once that is whole, and nothing is left of it after a failure; anything
// else, such as a device, is written as it is.  0, or the error number:
// ELOOP with `symbolicLink` set for a symbolic link at `path`.
int writeWholeFile(const char *path, const void *bytes, size_t length, bool &symbolicLink);

#endif
