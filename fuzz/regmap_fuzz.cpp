// The register map loader: any text, read as a map file and, when it is
// one, checked and searched by name as tkvtool does.
#include <string>

#include "regmap_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::vector<regmap::Block> blocks;
    std::vector<regmap::Fault> faults;
    if (!regmap::parseMap(text, "fuzz.toml", blocks, faults)) return 0;
    regmap::checkBlocks(blocks, faults);
    regmap::Map map;
    regmap::addBlocks(map, std::move(blocks));
    regmap::Name name;
    std::string hint;
    for (const char *typed : {"ZV0.PORT_CTRL", "A", "X.A.f", "a.b.c.d"})
        regmap::findName(map, typed, name, hint);
    return 0;
}
