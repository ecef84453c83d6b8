// Register names on tkvtool's command line: the device's register map,
// loaded the first time a name is used, and the decoding of values by it.
#ifndef TKVTOOL_NAMES_H
#define TKVTOOL_NAMES_H

#include <string>
#include <vector>

#include "regmap_names.h"

// The shipped and user maps with the --map files; null after the faults
// have been reported (one line each).
const regmap::Map *deviceMap(const std::vector<std::string> &mapFiles);

// The value of a register, then "  FIELD = VALUE (WORD)" for each field.
void printDecoded(const regmap::Register &reg, uint64_t value);
// A field's value as decode prints it: decimal up to 16 bits, else hex.
void printFieldValue(const regmap::Field &field, uint64_t value);

#endif
