// Text that came from a map, a snapshot or the device, made safe for a
// terminal: control characters (C0, DEL and the C1 range, which terminals
// also obey) are written as \xHH, so that no escape sequence reaches the
// screen and no NUL cuts a line short.
#ifndef TKV_CLIENT_PRINTABLE_H
#define TKV_CLIENT_PRINTABLE_H

#include <string>
#include <string_view>

namespace client {

std::string printable(std::string_view text);

}  // namespace client

#endif
