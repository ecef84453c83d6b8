// The request trace: in memory for in-process tests (on after a test reset),
// and one line per event in the TKVSIM_TRACE file.
#ifndef TKVSIM_TRACE_H
#define TKVSIM_TRACE_H

#include <stddef.h>

#include "tkvsim.h"

#pragma GCC visibility push(hidden)

namespace sim {

// Whether events are recorded at all.  Inline: every request asks.
extern bool traceActive;
inline bool tracing() { return traceActive; }

// Opens the TKVSIM_TRACE file at the device's first open (a bad one is
// reported on stderr and left alone).
void openTraceFile();

// The request as sent, before it is answered; then its answer.
tkvsim::Request describeRequest(int fd, unsigned long code, const void *record);
void noteAnswer(tkvsim::Request &request, int err, const void *record);
void traceRecord(const tkvsim::Request &request);

// Empties the in-memory trace and switches it on; the file is opened again.
void resetTrace();
void clearTrace();
void stopMemoryTrace();
size_t traceLength();
const tkvsim::Request &traceEntry(size_t index);

}  // namespace sim

#pragma GCC visibility pop

#endif
