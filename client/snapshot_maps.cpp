#include "snapshot_maps.h"

#include <stdio.h>

#include <unordered_set>

#include "regmap_files.h"

namespace snapshot {

std::string describe(const Location &location) {
    char text[64];
    snprintf(text, sizeof text, "%s 0x%x, %u bits", regmap::spaceName(location.space),
             static_cast<unsigned>(location.address), location.width);
    return text;
}

bool spaceNamed(const std::string &name, regmap::Space &space) {
    for (regmap::Space s : {regmap::Space::Reg, regmap::Space::Crtc, regmap::Space::Pci, regmap::Space::I2c})
        if (name == regmap::spaceName(s)) {
            space = s;
            return true;
        }
    return false;
}

Placement placementOf(const regmap::Map &map) {
    Placement placement;
    for (const regmap::Block &b : map.blocks)
        for (const regmap::Instance &i : b.instances)
            for (const regmap::Register &r : b.registers)
                placement[i.name + "." + r.name] = {{b.space, i.base + r.offset, r.width}, &r};
    return placement;
}

nlohmann::ordered_json layoutOf(const regmap::Map &map) {
    nlohmann::ordered_json layout = nlohmann::ordered_json::object();
    for (const regmap::Block &b : map.blocks)
        for (const regmap::Instance &i : b.instances)
            for (const regmap::Register &r : b.registers)
                layout[i.name + "." + r.name] = {{"space", regmap::spaceName(b.space)},
                                                 {"address", i.base + r.offset},
                                                 {"width", r.width}};
    return layout;
}

namespace {

// FNV-1a over length-prefixed words, so that no two different maps spell
// the same stream.  It tells maps apart; it is not a defence against a map
// made to collide, which could only mislead its own maker's decode.
struct Digest {
    uint64_t state = 0xcbf29ce484222325u;

    void byte(uint8_t b) {
        state ^= b;
        state *= 0x100000001b3u;
    }
    void number(uint64_t value) {
        for (unsigned i = 0; i < 8; ++i) byte(static_cast<uint8_t>(value >> (8 * i)));
    }
    void word(const std::string &text) {
        number(text.size());
        for (char c : text) byte(static_cast<uint8_t>(c));
    }
};

}  // namespace

std::string digestOf(const regmap::Map &map) {
    Digest d;
    for (const regmap::Block &b : map.blocks) {
        d.word(b.name);
        d.number(static_cast<uint64_t>(b.space));
        d.number(b.instances.size());
        for (const regmap::Instance &i : b.instances) {
            d.word(i.name);
            d.number(i.base);
        }
        d.number(b.registers.size());
        for (const regmap::Register &r : b.registers) {
            d.word(r.name);
            d.number(r.offset);
            d.number(r.width);
            d.number(r.fields.size());
            for (const regmap::Field &f : r.fields) {
                d.word(f.name);
                d.number(f.lsb);
                d.number(f.msb);
            }
        }
    }
    char text[20];
    snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(d.state));
    return text;
}

const std::string &shippedDigest() {
    static const std::string digest = [] {
        regmap::Map shipped;
        regmap::addBlocks(shipped, regmap::shippedBlocks());
        return digestOf(shipped);
    }();
    return digest;
}

nlohmann::ordered_json filesOf(const regmap::Map &map) {
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    std::unordered_set<std::string> seen;
    for (const regmap::Block &b : map.blocks)
        if (seen.insert(b.file).second) files.push_back(b.file);
    return files;
}

}  // namespace snapshot
