// Number and case helpers for the words the user types.
#ifndef TKVCON_TEXT_HELPERS_H
#define TKVCON_TEXT_HELPERS_H

#include <stdint.h>

// Hexadecimal text to a number: an optional "0x"/"0X", then the leading hex
// digits; anything else ends the number.  Never an error (no digits give 0).
uint64_t htoi(const char *text);

// Upper-cases 'a' to 'z' in place; every other byte stays as it is.
void uppercaseStr(char *text);

// A hexadecimal argument (htoi) kept to its low 32 bits, as an address or as
// a signed count or number.
uint32_t hexArg(const char *text);
int32_t signedHexArg(const char *text);

// Decimal text with strtol's rules, kept to its low 32 bits as a signed value.
int32_t decimalArg(const char *text);

#endif
