// Numbers on the command line: hexadecimal, with an optional 0x, and nothing
// else in the word; the zoom video window's numbers are decimal.
#ifndef TKVTOOL_NUMBERS_H
#define TKVTOOL_NUMBERS_H

#include <stdint.h>

#include "hex_digits.h"

// True when `word` is entirely a hex number no larger than `max`.
bool parseHex(const char *word, uint64_t max, uint64_t &value);
// True when `word` is entirely decimal digits for a number no larger than `max`.
bool parseDecimal(const char *word, uint64_t max, uint64_t &value);

#endif
