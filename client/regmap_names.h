// Names of registers and fields as users type them: BLOCK.REGISTER[.FIELD],
// in any case, or a bare REGISTER[.FIELD] where only one block has it.
#ifndef TKV_CLIENT_REGMAP_NAMES_H
#define TKV_CLIENT_REGMAP_NAMES_H

#include "regmap.h"

namespace regmap {

struct Name {
    const Block *block = nullptr;
    const Instance *instance = nullptr;
    const Register *reg = nullptr;
    const Field *field = nullptr;  // null: the whole register

    uint32_t address() const { return instance->base + reg->offset; }
    std::string text() const;  // as the map spells it
};

enum class Lookup { Found, Unknown, Ambiguous };

// Finds `name`.  Otherwise `hint` holds the closest names ("ZV0.PORT_CTRL")
// for an unknown one, or the candidates ("ZV0.SIZE, ZV1.SIZE") for an
// ambiguous one; empty when nothing is close.
Lookup findName(const Map &map, std::string_view name, Name &found, std::string &hint);

// The number of single-character edits between two names, ignoring case.
unsigned editDistance(std::string_view a, std::string_view b);

}  // namespace regmap

#endif
