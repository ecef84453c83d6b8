// Standard input, output and error as the program relies on them: open, and
// every failed write of the output noticed and reported once, at exit.
#ifndef TKVCON_STANDARD_STREAMS_H
#define TKVCON_STANDARD_STREAMS_H

#include <stdio.h>

// Opens any of descriptors 0-2 that is closed on /dev/null, so that no other
// file (the device above all) can take its number.
void openClosedStandardDescriptors();

// Remembers why the first failed write of standard output failed (errno).
void noteWriteError();

// True once a write of standard output has failed.  Cheap: a dump asks after
// every item.
inline bool outputFailed() {
    if (!ferror_unlocked(stdout)) return false;
    noteWriteError();
    return true;
}

// Flushes standard output.  When anything could not be written, says so on
// standard error and returns 1; otherwise returns `status`.
int finishOutput(int status);

#endif
