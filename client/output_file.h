// What every front end says of an output file it refuses, so that tkvtool's
// -o and the Python module's save_png give the same reason.
#ifndef TKV_CLIENT_OUTPUT_FILE_H
#define TKV_CLIENT_OUTPUT_FILE_H

// The reason (with ELOOP) for a symbolic link where the file is to be
// written: a planted link is never followed.
constexpr char kOutputIsSymbolicLink[] = "is a symbolic link";

#endif
