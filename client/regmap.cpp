#include "regmap.h"

#include <strings.h>

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
    switch (space) {
    case Space::Crtc: return 0xFF;  // index 0xFF is refused by the library
    case Space::Pci:
    case Space::I2c: return 0x100;
    case Space::Reg: break;
    }
    return 0x1000000;
}

const char *Field::valueName(uint64_t value) const {
    for (const NamedValue &v : values)
        if (v.value == value) return v.name.c_str();
    return nullptr;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

void addBlocks(Map &map, std::vector<Block> &&blocks) {
    for (Block &b : blocks) {
        Block *old = nullptr;
        for (Block &existing : map.blocks)
            if (sameName(existing.name, b.name)) {
                old = &existing;
                break;
            }
        if (old)
            *old = std::move(b);
        else
            map.blocks.push_back(std::move(b));
    }
}

}  // namespace regmap
