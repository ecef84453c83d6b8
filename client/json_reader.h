// Reading a JSON document whose objects keep their order, in time linear in
// its size: nlohmann's own reader looks each key up in the object so far,
// which an ordered object does one by one.
#ifndef TKV_CLIENT_JSON_READER_H
#define TKV_CLIENT_JSON_READER_H

#include <nlohmann/json.hpp>
#include <string_view>

namespace client {

// The document in `text`, or a discarded value when it is not JSON or an
// object has a key twice.  Never aborts, whatever the text.
nlohmann::ordered_json readOrderedJson(std::string_view text);

}  // namespace client

#endif
