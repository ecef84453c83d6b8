// Hexadecimal integers above INT64_MAX, which the TOML reader refuses (TOML's
// integers are signed), but which a 64-bit register's values need: each is
// rewritten as a string of the same length, so that every other position in
// the text stays where it was, and its position is kept to read it back.
#ifndef TKV_CLIENT_TOML_WIDE_INTEGERS_H
#define TKV_CLIENT_TOML_WIDE_INTEGERS_H

#include <stdint.h>

#include <map>
#include <string>
#include <utility>

namespace regmap {

// Line and column (1-based, as the reader counts them) -> the value.
using WideIntegers = std::map<std::pair<unsigned, unsigned>, uint64_t>;

// Rewrites, in place, each value (a literal right after '=') of the form
// 0xHEX that fits 64 bits but not 63: 0x8000000000000000 becomes
// "8000000000000000".  Text that is prescanned (prescanToml) is expected.
WideIntegers widenIntegers(std::string &text);

}  // namespace regmap

#endif
