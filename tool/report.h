// How tkvtool tells the user what went wrong: one line on standard error,
// and the exit status that goes with it.
#ifndef TKVTOOL_REPORT_H
#define TKVTOOL_REPORT_H

#include <stdint.h>

#include "library_result.h"

enum ExitStatus : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// "tkvtool: MESSAGE" on standard error, written at once.
void complain(const char *format, ...) __attribute__((format(printf, 1, 2)));

// A usage error: the line, then "Try 'tkvtool TOPIC --help'" (just
// 'tkvtool --help' without a topic).  Returns kExitUsage.
int usageError(const char *topic, const char *format, ...) __attribute__((format(printf, 2, 3)));

// "tkvtool: OPERATION SPACE 0xADDRESS (N bytes): REASON" for a request that
// failed with the error number `error`.  Returns kExitFailed.
int requestFailed(const char *operation, const char *space, uint32_t address, unsigned bytes, int error);

#endif
