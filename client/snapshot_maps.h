// What a snapshot records about the maps its names came from: the files, a
// digest of what they say, and where each named register was.  A diff pairs
// two registers by name only where both sides put them at one place, and
// decodes fields only with a map both snapshots were taken with.
#ifndef TKV_CLIENT_SNAPSHOT_MAPS_H
#define TKV_CLIENT_SNAPSHOT_MAPS_H

#include <stdint.h>

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <unordered_map>

#include "regmap.h"

namespace snapshot {

// Where a register is: its space, its address there and its width in bits.
struct Location {
    regmap::Space space = regmap::Space::Reg;
    uint32_t address = 0;
    unsigned width = 0;

    bool operator==(const Location &other) const {
        return space == other.space && address == other.address && width == other.width;
    }
    bool operator!=(const Location &other) const { return !(*this == other); }
};

// The space a document's "space" names: reg, crtc, pci or i2c.
bool spaceNamed(const std::string &name, regmap::Space &space);

// "reg 0x100c4, 16 bits"
std::string describe(const Location &location);

// NAME -> location for every register of `map` ("ZV0.PORT_CTRL",
// "SAA7111A.BRIGHTNESS"), as the document's "layout" records it.
nlohmann::ordered_json layoutOf(const regmap::Map &map);

// A digest of everything the map says that a diff relies on (names, spaces,
// addresses, widths, fields): equal digests name, place and decode every
// register alike, wherever the files were.
std::string digestOf(const regmap::Map &map);

// The digest of the shipped maps alone.
const std::string &shippedDigest();

// The registers of a map by full name, with where they are.
struct Placed {
    Location location;
    const regmap::Register *reg = nullptr;
};
using Placement = std::unordered_map<std::string, Placed>;
Placement placementOf(const regmap::Map &map);

// The files of `map`, each once, in the order of its blocks.
nlohmann::ordered_json filesOf(const regmap::Map &map);

}  // namespace snapshot

#endif
