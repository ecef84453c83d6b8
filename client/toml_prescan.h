// What the TOML reader (toml++ 3.3) mishandles, refused before it sees the
// text: it may assert or reach an unreachable branch on these, where a map
// file must only ever be reported as faulty.
#ifndef TKV_CLIENT_TOML_PRESCAN_H
#define TKV_CLIENT_TOML_PRESCAN_H

#include <string>
#include <string_view>

namespace regmap {

// True when the text may be given to the TOML reader; otherwise false, with
// the 1-based line and the reason.  Refused, outside strings and comments:
// a byte that is not ASCII, a '}' where an array expects a value (after '['
// or ','), and a table header that does not start with a key; none is valid
// TOML.  A string is one only where a key or a value may start: the reader
// takes a quote inside a malformed value as part of the value.  Refused in
// a multi-line string: a byte that is not ASCII after a backslash and the
// blanks and line breaks that follow it; valid TOML when the backslash ends
// a line, but the reader's blank test is undefined for many such characters.
bool prescanToml(std::string_view text, unsigned &line, std::string &reason);

}  // namespace regmap

#endif
