// tkvtool's options, one table for all: the letter and long name the parser
// finds them by, the function that parses the value (or the flag it sets),
// and the line of --help that tells about them.  Which commands take each is
// the command table's word.
#ifndef TKVTOOL_OPTIONS_H
#define TKVTOOL_OPTIONS_H

#include <stddef.h>
#include <stdint.h>

#include "option_values.h"

struct OptionSpec {
    uint32_t option;         // its Option bit
    char letter;             // or 0
    const char *longName;    // or null
    OptionParser parse;      // its value's; null for a flag
    bool Invocation::*flag;  // a flag's, set when given
    // The line of a command's --help; "" for an option told on another's
    // line (-y on -x's) or in the overview (-d); null for -w, whose line
    // depends on the command's space.
    const char *help;
};

// In the order of the help lines.  A letter may stand twice: the commands
// that take the one never take the other (a test checks it).
extern const OptionSpec kOptionSpecs[];
extern const size_t kOptionSpecCount;

// The option named `letter` (or `longName`, `nameLength` bytes) among the
// `allowed` ones, or null.
const OptionSpec *findOption(char letter, const char *longName, size_t nameLength, uint32_t allowed);

#endif
