// Snapshots: everything a board's state is made of, as one JSON document,
// and the differences between two of them, by name.
//
// The document (format 1):
//   format 1, kind "tekvaro-snapshot", date (UTC, ISO 8601), device, tool,
//   driver (the core version, or null), maps (the files the names came from),
//   map_digest (what those files say, as snapshot_maps.h digests it);
//   registers: every readable register of the maps' reg, crtc and pci blocks,
//     NAME -> value, or {"error": TEXT} for one that could not be read;
//   pci: the 256 bytes of the configuration header, crtc: the 255 CRTC
//     registers (null for a byte that could not be read);
//   i2c: per channel {channel, enabled, prescale, devices: [{address, type,
//     registers: {NAME -> value}}]} for each device of a known type that answers;
//   edid: per DDC port {port, bytes (hex), valid} or {port, error};
//   zv: per zoom video port what `tkvtool zv info --json` prints;
//   layout: where each register of the maps was, NAME -> {space, address,
//     width (bits)}.  A document without map_digest and layout (written
//     before they were) is read as well.
#ifndef TKV_CLIENT_SNAPSHOT_H
#define TKV_CLIENT_SNAPSHOT_H

#include <stdint.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "regmap.h"

namespace snapshot {

constexpr int kFormat = 1;

// Reads the open device into a document.  `complete` is false when some
// entry is an error entry.
std::string take(const regmap::Map &map, int device, const char *toolVersion, bool &complete);

struct Difference {
    std::string name;    // "ZV0.PORT_CTRL", "edid 0 byte 0x12", "zv 0 state", ...
    std::string before;  // as text: "0x00000510", "capturing", "(none)"
    std::string after;
    std::string fields;           // "capture 0 -> 1, layer1 1 -> 0", or empty
    std::string line;             // as diff prints it (before escaping), without the newline
    nlohmann::ordered_json json;  // the difference as diff --json gives it
};

// The differences from snapshot `a` to `b` (documents as text), leaving out
// names that match a pattern of `ignore` (shell globs, any case); first a
// line "maps differ: ..." when they were taken with different maps.  A
// register is paired by name only where both put it at the same place, and
// its fields are decoded only where both were taken with `map` (the maps
// loaded now).  False, with `why`, when either is not a sound snapshot of
// this format: `why` names the first fault by its JSON path.
bool compare(const std::string &a, const std::string &b, const regmap::Map &map,
             const std::vector<std::string> &ignore, std::vector<Difference> &differences, std::string &why);

// Whether `text` is a snapshot document this reader takes; `why` says what is wrong.
bool check(const std::string &text, std::string &why);

}  // namespace snapshot

#endif
