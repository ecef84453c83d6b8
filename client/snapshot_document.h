// The snapshot document as the diff reads it: checked whole, with the path
// of the first fault, before anything in it is used.
#ifndef TKV_CLIENT_SNAPSHOT_DOCUMENT_H
#define TKV_CLIENT_SNAPSHOT_DOCUMENT_H

#include <nlohmann/json.hpp>
#include <string>

namespace snapshot {

// The longest EDID a snapshot holds, in bytes.
constexpr size_t kLargestEdid = 512;

// Whether `document` (parsed, or discarded when it was not JSON) has the
// shape every later step relies on; otherwise `why` is the JSON path of the
// first fault and what is wrong there: registers."ZV0.PORT_CTRL": not a
// number from 0 to 2^64-1.  A missing part and a null one are alike.
bool checkDocument(const nlohmann::ordered_json &document, std::string &why);

}  // namespace snapshot

#endif
