// Comparing snapshots: each document is flattened into named values, in the
// document's order, and the values that differ are told by name, a
// register's fields decoded by the map.  The documents may come from
// anybody: every value's type is looked at before it is used.
#include <fnmatch.h>
#include <stdio.h>

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <utility>

#include "regmap_names.h"
#include "snapshot.h"

namespace snapshot {
namespace {

using Json = nlohmann::ordered_json;

// The document's parts, each a list of objects or a list of bytes.
constexpr const char *kListParts[] = {"pci", "crtc", "i2c", "edid", "zv"};

std::string hexText(uint64_t value, unsigned digits) {
    char text[24];
    snprintf(text, sizeof text, "0x%0*llx", static_cast<int>(digits), static_cast<unsigned long long>(value));
    return text;
}

// A value as a difference line shows it: registers and bytes in hex with
// their digits, other numbers (`digits` 0) in decimal.
std::string shown(const Json *value, unsigned digits) {
    if (!value) return "(none)";
    if (value->is_null()) return "(unreadable)";
    if (value->is_number_unsigned())
        return digits ? hexText(value->get<uint64_t>(), digits) : std::to_string(value->get<uint64_t>());
    if (value->is_string()) return value->get<std::string>();
    if (value->is_object() && value->contains("error") && (*value)["error"].is_string())
        return "(error: " + (*value)["error"].get<std::string>() + ")";
    return value->dump(-1, ' ', false, Json::error_handler_t::replace);
}

// "PREFIX WORD": the name of a value under another's.
std::string under(const std::string &prefix, const std::string &word) {
    std::string name = prefix;
    name += ' ';
    name += word;
    return name;
}

// The named values of one document, in its order.
struct Flat {
    std::vector<std::pair<std::string, Json>> values;

    void add(std::string name, const Json &value) { values.emplace_back(std::move(name), value); }

    // Every leaf of an object or list under `prefix` ("zv 0 window x").
    void addTree(const std::string &prefix, const Json &tree) {
        if (tree.is_object() && !tree.contains("error")) {
            for (const auto &[key, value] : tree.items()) addTree(under(prefix, key), value);
        } else {
            add(prefix, tree);
        }
    }
};

// The offsets of a space that named registers cover: their bytes are told
// by the register's name, not again as bytes.
std::set<uint32_t> coveredOffsets(const regmap::Map &map, regmap::Space space) {
    std::set<uint32_t> covered;
    for (const regmap::Block &b : map.blocks)
        if (b.space == space)
            for (const regmap::Instance &i : b.instances)
                for (const regmap::Register &r : b.registers)
                    for (unsigned k = 0; k < r.bytes(); ++k) covered.insert(i.base + r.offset + k);
    return covered;
}

std::string indexed(const char *part, unsigned index, const char *what = "") {
    char text[64];
    snprintf(text, sizeof text, "%s %u%s", part, index, what);
    return text;
}

void flattenBytes(Flat &flat, const char *part, const Json &bytes, const std::set<uint32_t> &covered) {
    for (size_t at = 0; at < bytes.size(); ++at) {
        if (covered.count(static_cast<uint32_t>(at))) continue;
        char name[32];
        snprintf(name, sizeof name, "%s 0x%02zx", part, at);
        flat.add(name, bytes[at]);
    }
}

// The number an entry has under `key`, or `fallback`.
unsigned numberOf(const Json &entry, const char *key, unsigned fallback) {
    if (!entry.is_object() || !entry.contains(key) || !entry[key].is_number_unsigned()) return fallback;
    return static_cast<unsigned>(entry[key].get<uint64_t>());
}

void flattenI2c(Flat &flat, const Json &channels) {
    for (size_t c = 0; c < channels.size(); ++c) {
        const Json &channel = channels[c];
        const std::string prefix = indexed("i2c", numberOf(channel, "channel", static_cast<unsigned>(c)));
        if (!channel.is_object()) continue;
        for (const auto &[key, value] : channel.items()) {
            if (key == "channel") continue;
            if (key != "devices" || !value.is_array()) {
                flat.add(under(prefix, key), value);
                continue;
            }
            for (const Json &device : value) {
                char address[16];
                snprintf(address, sizeof address, " 0x%02x", numberOf(device, "address", 0));
                const std::string at = prefix + address;
                flat.add(at, device.is_object() && device.contains("type") ? device["type"] : Json("?"));
                if (device.is_object() && device.contains("registers") && device["registers"].is_object())
                    for (const auto &[name, registerValue] : device["registers"].items())
                        flat.add(under(at, name), registerValue);
            }
        }
    }
}

// An EDID byte by byte, so that a difference names its byte.
void flattenEdid(Flat &flat, const Json &ports) {
    for (size_t p = 0; p < ports.size(); ++p) {
        const Json &port = ports[p];
        const std::string prefix = indexed("edid", numberOf(port, "port", static_cast<unsigned>(p)));
        if (!port.is_object()) continue;
        if (port.contains("error")) flat.add(prefix, port["error"]);
        if (port.contains("valid")) flat.add(prefix + " valid", port["valid"]);
        if (!port.contains("bytes") || !port["bytes"].is_string()) continue;
        const std::string &hex = port["bytes"].get_ref<const std::string &>();
        flat.add(prefix + " length", hex.size() / 2);
        for (size_t i = 0; i + 1 < hex.size(); i += 2) {
            char name[64];
            snprintf(name, sizeof name, "%s byte 0x%02zx", prefix.c_str(), i / 2);
            flat.add(name, Json(std::stoul(hex.substr(i, 2), nullptr, 16)));
        }
    }
}

// False, with `why` saying what is wrong.
bool refuse(std::string &why, std::string text) {
    why = std::move(text);
    return false;
}

bool isHex(const std::string &text) {
    for (char c : text)
        if (!isxdigit(static_cast<unsigned char>(c))) return false;
    return text.size() % 2 == 0;
}

// Checks the shape this reader relies on; `why` says what is wrong.
bool checkShape(const Json &document, std::string &why) {
    if (document.is_discarded()) return refuse(why, "not JSON");
    if (!document.is_object() || !document.contains("kind") || document["kind"] != "tekvaro-snapshot")
        return refuse(why, "not a tekvaro snapshot");
    if (!document.contains("format") || document["format"] != kFormat)
        return refuse(why, "a snapshot format this tkvtool does not read (it reads format 1)");
    if (!document.contains("registers") || !document["registers"].is_object())
        return refuse(why, "its registers are not an object");
    for (const char *part : kListParts)
        if (document.contains(part) && !document[part].is_array())
            return refuse(why, std::string(part) + " is not a list");
    if (document.contains("edid"))
        for (const Json &port : document["edid"])
            if (port.is_object() && port.contains("bytes") &&
                (!port["bytes"].is_string() || !isHex(port["bytes"].get_ref<const std::string &>())))
                return refuse(why, "an EDID's bytes are not hexadecimal");
    return true;
}

Flat flatten(const Json &document, const regmap::Map &map) {
    Flat flat;
    if (document.contains("driver")) flat.add("driver", document["driver"]);
    for (const auto &[name, value] : document["registers"].items()) flat.add(name, value);
    static const Json kNone = Json::array();
    auto part = [&](const char *name) -> const Json & {
        return document.contains(name) ? document[name] : kNone;
    };
    flattenBytes(flat, "pci", part("pci"), coveredOffsets(map, regmap::Space::Pci));
    flattenBytes(flat, "crtc", part("crtc"), coveredOffsets(map, regmap::Space::Crtc));
    flattenI2c(flat, part("i2c"));
    flattenEdid(flat, part("edid"));
    const Json &ports = part("zv");
    for (size_t p = 0; p < ports.size(); ++p)
        if (ports[p].is_object())
            for (const auto &[key, value] : ports[p].items())
                if (key != "port")
                    flat.addTree(
                        indexed("zv", numberOf(ports[p], "port", static_cast<unsigned>(p))) + " " + key,
                        value);
    return flat;
}

bool ignored(const std::string &name, const std::vector<std::string> &ignore) {
    for (const std::string &pattern : ignore)
        if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
    return false;
}

// The register a name is in the map, for its width and fields; or null.
const regmap::Register *registerNamed(const regmap::Map &map, const std::string &name) {
    const size_t space = name.rfind(' ');
    regmap::Name found;
    std::string hint;
    const std::string last = space == std::string::npos ? name : name.substr(space + 1);
    if (regmap::findName(map, last, found, hint) != regmap::Lookup::Found || found.field) return nullptr;
    return found.reg;
}

Difference differenceOf(const std::string &name, const Json *before, const Json *after,
                        const regmap::Map &map) {
    const regmap::Register *reg = registerNamed(map, name);
    const bool byte = name.find(" 0x") != std::string::npos || name.find(" byte ") != std::string::npos;
    const unsigned digits = reg ? 2 * reg->bytes() : byte ? 2 : 0;
    Difference d{name, shown(before, digits), shown(after, digits), "", ""};
    Json fields = Json::object();
    if (reg && before && after && before->is_number_unsigned() && after->is_number_unsigned()) {
        const uint64_t a = before->get<uint64_t>(), b = after->get<uint64_t>();
        for (const regmap::Field &f : reg->fields) {
            if (f.extract(a) == f.extract(b)) continue;
            d.fields += (d.fields.empty() ? "" : ", ") + f.name + " " + std::to_string(f.extract(a)) +
                        " -> " + std::to_string(f.extract(b));
            fields[f.name] = {f.extract(a), f.extract(b)};
        }
    }
    Json json = {{"name", name}, {"before", before ? *before : Json()}, {"after", after ? *after : Json()}};
    if (!before) json["before_absent"] = true;
    if (!after) json["after_absent"] = true;
    if (!fields.empty()) json["fields"] = fields;
    d.json = json.dump(-1, ' ', false, Json::error_handler_t::replace);
    return d;
}

}  // namespace

bool check(const std::string &text, std::string &why) {
    return checkShape(Json::parse(text, nullptr, false), why);
}

bool compare(const std::string &a, const std::string &b, const regmap::Map &map,
             const std::vector<std::string> &ignore, std::vector<Difference> &differences, std::string &why) {
    const Json first = Json::parse(a, nullptr, false), second = Json::parse(b, nullptr, false);
    std::string whyFirst, whySecond;
    if (!checkShape(first, whyFirst)) return refuse(why, "the first snapshot: " + whyFirst);
    if (!checkShape(second, whySecond)) return refuse(why, "the second snapshot: " + whySecond);
    const Flat before = flatten(first, map), after = flatten(second, map);
    // Two snapshots of one board list the same names in the same order: they
    // are paired in step until the lists part, then by name.
    size_t paired = 0;
    for (; paired < before.values.size() && paired < after.values.size(); ++paired) {
        const auto &[name, value] = before.values[paired];
        if (name != after.values[paired].first) break;
        if (value != after.values[paired].second && !ignored(name, ignore))
            differences.push_back(differenceOf(name, &value, &after.values[paired].second, map));
    }
    std::map<std::string, const Json *> afterByName;
    for (size_t i = paired; i < after.values.size(); ++i)
        afterByName.emplace(after.values[i].first, &after.values[i].second);
    std::set<std::string> seen;
    for (size_t i = paired; i < before.values.size(); ++i) {
        const auto &[name, value] = before.values[i];
        seen.insert(name);
        const auto other = afterByName.find(name);
        const Json *next = other == afterByName.end() ? nullptr : other->second;
        if ((next && *next == value) || ignored(name, ignore)) continue;
        differences.push_back(differenceOf(name, &value, next, map));
    }
    for (size_t i = paired; i < after.values.size(); ++i) {
        const auto &[name, value] = after.values[i];
        if (!seen.count(name) && !ignored(name, ignore))
            differences.push_back(differenceOf(name, nullptr, &value, map));
    }
    return true;
}

}  // namespace snapshot
