#include "regmap.h"

#include "i2c_channel.h"

#include <ctype.h>
#include <strings.h>

#include <unordered_map>

#include "printable.h"
#include "spaces.h"

namespace regmap {

const char *accessName(Access access) {
    switch (access) {
    case Access::ReadOnly: return "ro";
    case Access::WriteOnly: return "wo";
    case Access::ReadWrite: break;
    }
    return "rw";
}

const char *spaceName(Space space) {
    switch (space) {
    case Space::Crtc: return "crtc";
    case Space::Pci: return "pci";
    case Space::I2c: return "i2c";
    case Space::Reg: break;
    }
    return "reg";
}

uint32_t spaceSize(Space space) {
    // An i2c device type's registers: its sub-addresses.
    return space == Space::I2c ? kI2cRegisters : findSpace(spaceName(space))->size;
}

bool spaceTakes(Space space, unsigned bits) {
    if (bits != 8 && bits != 16 && bits != 32 && bits != 64) return false;
    // An i2c device's registers are read in one run of bytes: any width.
    if (space == Space::I2c) return true;
    return findSpace(spaceName(space))->takes(bits / 8);
}

unsigned naturalWidth(Space space) {
    if (space == Space::I2c) return 8;  // one sub-address each
    return 8u * findSpace(spaceName(space))->defaultWidth;
}

const char *Field::valueName(uint64_t value) const {
    for (const NamedValue &v : values)
        if (v.value == value) return v.name.c_str();
    return nullptr;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string foldedName(std::string_view name) {
    std::string folded(name);
    for (char &c : folded) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return folded;
}

std::string faultText(const Fault &fault) {
    std::string text = fault.file + ":";
    if (fault.line) text += std::to_string(fault.line) + ":";
    return client::printable(text + (fault.note ? " note: " : " ") + fault.message);
}

void addBlocks(Map &map, std::vector<Block> &&blocks) {
    std::unordered_map<std::string, size_t> at;
    at.reserve(map.blocks.size() + blocks.size());
    for (size_t i = 0; i < map.blocks.size(); ++i) at.emplace(foldedName(map.blocks[i].name), i);
    for (Block &b : blocks) {
        const auto [where, added] = at.emplace(foldedName(b.name), map.blocks.size());
        if (added)
            map.blocks.push_back(std::move(b));
        else
            map.blocks[where->second] = std::move(b);
    }
}

}  // namespace regmap
