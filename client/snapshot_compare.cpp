// Comparing snapshots: each document, checked whole first, is flattened into
// named values in its order; the two lists are paired by name in one pass
// over each, and the values that differ are told.  A register is paired only
// where both documents put it at one place, and decoded only with a map both
// were taken with.
#include <fnmatch.h>
#include <stdio.h>

#include <bitset>
#include <deque>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "json_reader.h"
#include "snapshot.h"
#include "snapshot_document.h"
#include "snapshot_maps.h"

namespace snapshot {
namespace {

using Json = nlohmann::ordered_json;

// How a value is shown: a register's in hex with the digits of its width, a
// byte's in two hex digits, others as they are.
enum class Kind : uint8_t { Register, Byte, Plain };

struct Entry {
    std::string name;
    const Json *value;
    Kind kind;
    std::string_view key;                   // a register's name in the layout ("SAA7111A.BRIGHTNESS")
    const char *nullText = "(unreadable)";  // what null means here
};

// A member of an object, or null when it has none (or has null).
const Json *present(const Json &object, const char *key) {
    const auto it = object.find(key);
    return it == object.end() || it->is_null() ? nullptr : &*it;
}

const Json kNull;

// One document: its values, and what it says about its maps.
struct Side {
    const Json &document;
    std::vector<Entry> entries;
    std::deque<Json> made;  // values the document holds in another form (EDID bytes)
    // Where its registers are: as recorded, or else as the loaded map has them.
    std::unordered_map<std::string_view, Location> layout;
    bool placed = false;     // the layout is the document's own (recorded, or its map is the loaded one)
    bool loadedMap = false;  // taken with the maps loaded now
    std::bitset<256> pciCovered, crtcCovered;

    explicit Side(const Json &d) : document(d) {}

    // Where the register `key` was, or null where that is not known.
    const Location *place(std::string_view key) const {
        if (!placed) return nullptr;
        const auto it = layout.find(key);
        return it == layout.end() ? nullptr : &it->second;
    }

    void add(std::string name, const Json *value, Kind kind, std::string_view key = {}) {
        entries.push_back({std::move(name), value, kind, key});
    }
};

// The maps loaded now, as the sides are measured against them.
struct Loaded {
    Placement placement;
    std::string digest;
    Json files;
};

void learnMaps(Side &side, const Loaded &loaded) {
    const Json &d = side.document;
    const Json *digest = present(d, "map_digest");
    // A document from before digests were recorded is known only as the shipped maps.
    side.loadedMap = digest ? digest->get_ref<const std::string &>() == loaded.digest
                            : d["maps"] == loaded.files && loaded.digest == shippedDigest();
    if (const Json *layout = present(d, "layout")) {
        for (const auto &[name, place] : layout->items()) {
            Location &l = side.layout[name];
            spaceNamed(place["space"].get_ref<const std::string &>(), l.space);
            l.address = static_cast<uint32_t>(place["address"].get<uint64_t>());
            l.width = static_cast<unsigned>(place["width"].get<uint64_t>());
        }
        side.placed = true;
    } else {
        for (const auto &[name, placed] : loaded.placement) side.layout[name] = placed.location;
        side.placed = side.loadedMap;
    }
    for (const auto &[name, l] : side.layout) {
        if (l.space != regmap::Space::Pci && l.space != regmap::Space::Crtc) continue;
        std::bitset<256> &covered = l.space == regmap::Space::Pci ? side.pciCovered : side.crtcCovered;
        for (unsigned k = 0; k < l.width / 8 && l.address + k < 256; ++k) covered.set(l.address + k);
    }
}

std::string indexed(const char *part, const Json &entry, const char *key) {
    char text[64];
    snprintf(text, sizeof text, "%s %llu", part, static_cast<unsigned long long>(entry[key].get<uint64_t>()));
    return text;
}

std::string under(const std::string &prefix, const std::string &word) { return prefix + " " + word; }

// Bytes that a named register covers in both documents are told by its name only.
void flattenBytes(Side &side, const char *part, const std::bitset<256> &told) {
    const Json &bytes = side.document[part];
    for (size_t at = 0; at < bytes.size(); ++at) {
        if (told.test(at)) continue;
        char name[32];
        snprintf(name, sizeof name, "%s 0x%02zx", part, at);
        side.add(name, &bytes[at], Kind::Byte);
    }
}

void flattenI2c(Side &side) {
    for (const Json &channel : side.document["i2c"]) {
        const std::string prefix = indexed("i2c", channel, "channel");
        for (const char *key : {"error", "enabled", "prescale"})
            if (channel.contains(key)) side.add(under(prefix, key), &channel[key], Kind::Plain);
        static const Json kNoDevices = Json::array();
        const Json *devices = present(channel, "devices");
        for (const Json &device : devices ? *devices : kNoDevices) {
            char address[16];
            snprintf(address, sizeof address, " 0x%02x",
                     static_cast<unsigned>(device["address"].get<uint64_t>()));
            const std::string at = prefix + address;
            side.add(at, &device["type"], Kind::Plain);
            for (const auto &[name, value] : device["registers"].items())
                side.add(under(at, name), &value, Kind::Register, name);
        }
    }
}

// An EDID byte by byte, so that a difference names its byte.
void flattenEdid(Side &side) {
    for (const Json &port : side.document["edid"]) {
        const std::string prefix = indexed("edid", port, "port");
        if (port.contains("error")) side.add(prefix, &port["error"], Kind::Plain);
        if (port.contains("valid")) side.add(prefix + " valid", &port["valid"], Kind::Plain);
        const Json *bytes = present(port, "bytes");
        if (!bytes) continue;
        const std::string &hex = bytes->get_ref<const std::string &>();
        side.add(prefix + " length", &side.made.emplace_back(hex.size() / 2), Kind::Plain);
        for (size_t i = 0; i + 1 < hex.size(); i += 2) {
            char name[64];
            snprintf(name, sizeof name, "%s byte 0x%02zx", prefix.c_str(), i / 2);
            const Json &value = side.made.emplace_back(strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
            side.add(name, &value, Kind::Byte);
        }
    }
}

// A port's values, and those of its window and camera one level down; its
// layer and window are null where it feeds no layer.
void flattenZoomVideo(Side &side) {
    for (const Json &port : side.document["zv"]) {
        const std::string prefix = indexed("zv", port, "port");
        for (const auto &[key, value] : port.items()) {
            if (key == "port") continue;
            if (key == "window" && value.is_null()) continue;  // its layer says "no layer"
            if (!value.is_object()) {
                side.add(under(prefix, key), &value, Kind::Plain);
                if (key == "layer") side.entries.back().nullText = "no layer";
                continue;
            }
            for (const auto &[inner, leaf] : value.items())
                side.add(under(under(prefix, key), inner), &leaf, Kind::Plain);
        }
    }
}

void flatten(Side &side, const std::bitset<256> &pciTold, const std::bitset<256> &crtcTold) {
    side.add("driver", side.document.contains("driver") ? &side.document["driver"] : &kNull, Kind::Plain);
    for (const auto &[name, value] : side.document["registers"].items())
        side.add(name, &value, Kind::Register, name);
    flattenBytes(side, "pci", pciTold);
    flattenBytes(side, "crtc", crtcTold);
    flattenI2c(side);
    flattenEdid(side);
    flattenZoomVideo(side);
}

std::string hexText(uint64_t value, unsigned digits) {
    char text[24];
    snprintf(text, sizeof text, "0x%0*llx", static_cast<int>(digits), static_cast<unsigned long long>(value));
    return text;
}

// A value as a difference line shows it; `digits` 0 for a register of no
// known width.
std::string shown(const Entry *entry, unsigned digits) {
    if (!entry) return "(none)";
    const Json &value = *entry->value;
    if (value.is_null()) return entry->nullText;
    if (value.is_number_unsigned())
        return entry->kind == Kind::Plain ? std::to_string(value.get<uint64_t>())
                                          : hexText(value.get<uint64_t>(), digits);
    if (value.is_string()) return value.get<std::string>();
    if (value.is_object() && value.contains("error") && value["error"].is_string())
        return "(error: " + value["error"].get<std::string>() + ")";
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json placeJson(const Location &l) {
    return {{"space", regmap::spaceName(l.space)}, {"address", l.address}, {"width", l.width}};
}

struct Comparison {
    const Side &before, &after;
    const Loaded &loaded;
    const std::vector<std::string> &ignore;
    std::vector<Difference> &out;

    bool ignored(const std::string &name) const {
        for (const std::string &pattern : ignore)
            if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
        return false;
    }

    // The fields of a register both documents decode with the loaded map.
    const regmap::Register *decoder(std::string_view key, const Location *a, const Location *b) const {
        if (!before.loadedMap || !after.loadedMap || !a || !b) return nullptr;
        const auto it = loaded.placement.find(std::string(key));
        return it != loaded.placement.end() && it->second.location == *a ? it->second.reg : nullptr;
    }

    void notTheSame(const Entry &a, const Entry &b, const Location &la, const Location &lb) {
        Difference d{a.name, shown(&a, la.width / 4), shown(&b, lb.width / 4), "", "", {}};
        d.line = a.name + ": not the same register (" + describe(la) + " / " + describe(lb) + ")";
        d.json = Json{{"name", a.name},
                      {"before", *a.value},
                      {"after", *b.value},
                      {"before_register", placeJson(la)},
                      {"after_register", placeJson(lb)}};
        out.push_back(std::move(d));
    }

    void tell(const Entry *a, const Entry *b) {
        const Entry &some = a ? *a : *b;
        const bool isRegister = some.kind == Kind::Register && (!a || !b || a->key == b->key);
        const Location *la = isRegister && a ? before.place(a->key) : nullptr;
        const Location *lb = isRegister && b ? after.place(b->key) : nullptr;
        if (la && lb && *la != *lb) {
            if (!ignored(some.name)) notTheSame(*a, *b, *la, *lb);
            return;
        }
        if ((a && b && *a->value == *b->value) || ignored(some.name)) return;
        const unsigned digits = some.kind == Kind::Byte ? 2 : la ? la->width / 4 : lb ? lb->width / 4 : 0;
        Difference d{some.name, shown(a, digits), shown(b, digits), "", "", {}};
        Json fields = Json::object();
        const regmap::Register *reg = isRegister ? decoder(some.key, la, lb) : nullptr;
        if (reg && a->value->is_number_unsigned() && b->value->is_number_unsigned()) {
            const uint64_t x = a->value->get<uint64_t>(), y = b->value->get<uint64_t>();
            for (const regmap::Field &f : reg->fields) {
                if (f.extract(x) == f.extract(y)) continue;
                d.fields += (d.fields.empty() ? "" : ", ") + f.name + " " + std::to_string(f.extract(x)) +
                            " -> " + std::to_string(f.extract(y));
                fields[f.name] = {f.extract(x), f.extract(y)};
            }
        }
        d.line = d.name + " " + d.before + " -> " + d.after;
        if (!d.fields.empty()) d.line += " (" + d.fields + ")";
        Json json = {
            {"name", some.name}, {"before", a ? *a->value : kNull}, {"after", b ? *b->value : kNull}};
        if (!a) json["before_absent"] = true;
        if (!b) json["after_absent"] = true;
        if (!fields.empty()) json["fields"] = fields;
        d.json = std::move(json);
        out.push_back(std::move(d));
    }

    // Names in the before document's order, then those only the after one
    // has.  Two snapshots of one board list the same names in the same
    // order: they are paired in step until the lists part, then by name.
    void run() {
        const std::vector<Entry> &a = before.entries, &b = after.entries;
        size_t step = 0;
        for (; step < a.size() && step < b.size() && a[step].name == b[step].name; ++step)
            tell(&a[step], &b[step]);
        // The rest of the after entries of each name, first to last, as a chain.
        constexpr size_t kEnd = ~size_t{0};
        std::unordered_map<std::string_view, size_t> first;
        std::vector<size_t> next(b.size(), kEnd);
        first.reserve(b.size() - step);
        for (size_t i = b.size(); i-- > step;) {
            auto [it, added] = first.emplace(b[i].name, i);
            if (!added) {
                next[i] = it->second;
                it->second = i;
            }
        }
        std::vector<bool> paired(b.size(), false);
        for (size_t i = step; i < a.size(); ++i) {
            const auto it = first.find(a[i].name);
            const Entry *other = nullptr;
            if (it != first.end() && it->second != kEnd) {
                other = &b[it->second];
                paired[it->second] = true;
                it->second = next[it->second];
            }
            tell(&a[i], other);
        }
        for (size_t i = step; i < b.size(); ++i)
            if (!paired[i]) tell(nullptr, &b[i]);
    }
};

std::string joined(const std::vector<std::string> &words) {
    std::string text;
    for (const std::string &w : words) text += (text.empty() ? "" : ", ") + w;
    return text.empty() ? "(none)" : text;
}

// The files of `of` that `other` does not have.
std::vector<std::string> onlyIn(const Json &of, const Json &other) {
    std::unordered_set<std::string> there;
    for (const Json &file : other) there.insert(file.get<std::string>());
    std::vector<std::string> only;
    for (const Json &file : of)
        if (!there.count(file.get<std::string>())) only.push_back(file.get<std::string>());
    return only;
}

// "maps differ: ..." when the documents were not taken with the same maps:
// by their digests where both have one, else by their files.
void tellMaps(const Json &a, const Json &b, std::vector<Difference> &out) {
    const Json *da = present(a, "map_digest"), *db = present(b, "map_digest");
    if (da && db ? *da == *db : a["maps"] == b["maps"]) return;
    const std::vector<std::string> onlyA = onlyIn(a["maps"], b["maps"]), onlyB = onlyIn(b["maps"], a["maps"]);
    Difference d{"maps", "", "", "", "", {}};
    d.line = onlyA.empty() && onlyB.empty() ? "maps differ: the same files, saying different things"
                                            : "maps differ: only in the first: " + joined(onlyA) +
                                                  "; only in the second: " + joined(onlyB);
    d.json = Json{{"name", "maps"}, {"before", a["maps"]}, {"after", b["maps"]}};
    out.push_back(std::move(d));
}

bool refuse(std::string &why, std::string text) {
    why = std::move(text);
    return false;
}

}  // namespace

bool compare(const std::string &a, const std::string &b, const regmap::Map &map,
             const std::vector<std::string> &ignore, std::vector<Difference> &differences, std::string &why) {
    const Json first = client::readOrderedJson(a), second = client::readOrderedJson(b);
    std::string whyFirst, whySecond;
    if (!checkDocument(first, whyFirst)) return refuse(why, "the first snapshot: " + whyFirst);
    if (!checkDocument(second, whySecond)) return refuse(why, "the second snapshot: " + whySecond);
    const Loaded loaded{placementOf(map), digestOf(map), filesOf(map)};
    Side before(first), after(second);
    learnMaps(before, loaded);
    learnMaps(after, loaded);
    const std::bitset<256> pciTold = before.pciCovered & after.pciCovered,
                           crtcTold = before.crtcCovered & after.crtcCovered;
    flatten(before, pciTold, crtcTold);
    flatten(after, pciTold, crtcTold);
    Comparison comparison{before, after, loaded, ignore, differences};
    if (!comparison.ignored("maps")) tellMaps(first, second, differences);
    comparison.run();
    return true;
}

}  // namespace snapshot
