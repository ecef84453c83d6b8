// tkvtool diff: the snapshot reader on any text, compared with itself and
// with a valid snapshot, against the shipped register maps.
#include "regmap_files.h"
#include "snapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const regmap::Map map = [] {
        regmap::Map shipped;
        regmap::addBlocks(shipped, regmap::shippedBlocks());
        return shipped;
    }();
    // A complete document with every part empty or null.
    static const std::string valid = [] {
        std::string bytes;
        for (unsigned i = 0; i < 255; ++i) bytes += "null,";
        return "{\"format\": 1, \"kind\": \"tekvaro-snapshot\", \"maps\": [], \"registers\": {}, \"pci\": [" +
               bytes + "null], \"crtc\": [" + bytes.substr(5) +
               "null], \"i2c\": [], \"edid\": [], \"zv\": []}";
    }();
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::string why;
    const bool taken = snapshot::check(text, why);
    std::vector<snapshot::Difference> differences;
    if (snapshot::compare(text, text, map, {}, differences, why) != taken) __builtin_trap();
    if (taken && !differences.empty()) __builtin_trap();  // a snapshot equals itself
    std::string whyValid;
    if (!snapshot::check(valid, whyValid)) __builtin_trap();
    snapshot::compare(valid, text, map, {"*SIZE*"}, differences, why);
    return 0;
}
