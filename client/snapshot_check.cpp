// Checking a snapshot document before the diff reads it.  The document may
// come from anybody and this layer is built without exceptions: every
// value's type is looked at before it is converted.
#include <ctype.h>

#include "json_reader.h"
#include "snapshot.h"
#include "snapshot_document.h"
#include "snapshot_maps.h"

namespace snapshot {
namespace {

using Json = nlohmann::ordered_json;

// A key as a path shows it: bare where it is a plain word, else quoted as
// JSON quotes it (ASCII only, so that the path is safe to print).
std::string keyText(const std::string &key) {
    bool word = !key.empty() && !isdigit(static_cast<unsigned char>(key[0]));
    for (char c : key) word = word && (isalnum(static_cast<unsigned char>(c)) || c == '_');
    return word ? key : Json(key).dump(-1, ' ', true, Json::error_handler_t::replace);
}

std::string member(const std::string &path, const std::string &key) {
    return path.empty() ? keyText(key) : path + "." + keyText(key);
}

bool isHex(const std::string &text) {
    if (text.size() % 2 != 0 || text.size() > 2 * kLargestEdid) return false;
    for (char c : text)
        if (!isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string element(const std::string &path, size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

// Finds the first fault; `why` is empty while there is none.
struct Checker {
    std::string why;

    bool fault(const std::string &path, const char *what) {
        if (why.empty()) why = path.empty() ? std::string(what) : path + ": " + what;
        return false;
    }

    // The member `key` of an object, or null when it has none.
    static const Json *find(const Json &object, const char *key) {
        const auto it = object.find(key);
        return it == object.end() || it->is_null() ? nullptr : &*it;
    }

    bool number(const Json *value, uint64_t largest) {
        return value && value->is_number_unsigned() && value->get<uint64_t>() <= largest;
    }

    // What could not be read: {"error": TEXT}.
    static bool errorEntry(const Json &value) {
        return value.is_object() && value.size() == 1 && value.contains("error") &&
               value["error"].is_string();
    }

    // NAME -> value; names are single words, as the maps spell them, so that
    // each is the first word of its line.
    bool registers(const Json *part, const std::string &path) {
        if (!part || !part->is_object()) return fault(path, "not an object of register values");
        for (const auto &[name, value] : part->items()) {
            bool oneWord = !name.empty();
            for (char c : name) oneWord = oneWord && isgraph(static_cast<unsigned char>(c));
            if (!oneWord)
                return fault(member(path, name), "not a register name (one word of printable characters)");
            if (!value.is_number_unsigned() && !errorEntry(value))
                return fault(member(path, name), "not a number from 0 to 2^64-1");
        }
        return true;
    }

    bool bytes(const Json *part, const char *path, size_t length) {
        if (!part || !part->is_array() || part->size() != length) {
            const std::string what = "not a list of " + std::to_string(length) + " bytes";
            return fault(path, what.c_str());
        }
        for (size_t i = 0; i < length; ++i)
            if (!(*part)[i].is_null() && !number(&(*part)[i], 255))
                return fault(element(path, i), "not a byte (0 to 255) or null");
        return true;
    }

    // The list of a part whose entries are objects numbered by `key`.
    bool entries(const Json *part, const char *path, const char *key, uint64_t largest) {
        if (!part || !part->is_array()) return fault(path, "not a list");
        for (size_t i = 0; i < part->size(); ++i) {
            const Json &entry = (*part)[i];
            if (!entry.is_object()) return fault(element(path, i), "not an object");
            if (!number(find(entry, key), largest)) {
                const std::string what = "not a number from 0 to " + std::to_string(largest);
                return fault(member(element(path, i), key), what.c_str());
            }
            const Json *error = find(entry, "error");
            if (error && !error->is_string()) return fault(member(element(path, i), "error"), "not a text");
        }
        return true;
    }

    bool flag(const Json &entry, const char *key, const std::string &path) {
        const Json *value = find(entry, key);
        return !value || value->is_boolean() || fault(member(path, key), "not true or false");
    }

    bool i2c(const Json *part) {
        if (!entries(part, "i2c", "channel", 255)) return false;
        for (size_t c = 0; c < part->size(); ++c) {
            const Json &channel = (*part)[c];
            const std::string path = element("i2c", c);
            if (!flag(channel, "enabled", path)) return false;
            if (const Json *prescale = find(channel, "prescale"); prescale && !number(prescale, 0xffff))
                return fault(member(path, "prescale"), "not a number from 0 to 65535");
            const Json *devices = find(channel, "devices");
            if (!devices) continue;
            if (!devices->is_array()) return fault(member(path, "devices"), "not a list");
            for (size_t d = 0; d < devices->size(); ++d) {
                const Json &device = (*devices)[d];
                const std::string at = element(member(path, "devices"), d);
                if (!device.is_object()) return fault(at, "not an object");
                if (!number(find(device, "address"), 127))
                    return fault(member(at, "address"), "not a number from 0 to 127");
                const Json *type = find(device, "type");
                if (!type || !type->is_string()) return fault(member(at, "type"), "not a text");
                if (!registers(find(device, "registers"), member(at, "registers"))) return false;
            }
        }
        return true;
    }

    bool edid(const Json *part) {
        if (!entries(part, "edid", "port", 255)) return false;
        for (size_t p = 0; p < part->size(); ++p) {
            const std::string path = element("edid", p);
            if (!flag((*part)[p], "valid", path)) return false;
            const Json *hex = find((*part)[p], "bytes");
            if (!hex) continue;
            if (!hex->is_string() || !isHex(hex->get_ref<const std::string &>()))
                return fault(member(path, "bytes"), "not up to 512 bytes in hexadecimal");
        }
        return true;
    }

    // A port's values are plain (a number, text, true or false, null), or
    // objects of plain values (its window, its camera).
    static bool plain(const Json &value) { return !value.is_structured(); }

    bool zoomVideo(const Json *part) {
        if (!entries(part, "zv", "port", 255)) return false;
        for (size_t p = 0; p < part->size(); ++p)
            for (const auto &[key, value] : (*part)[p].items()) {
                const std::string path = member(element("zv", p), key);
                if (plain(value)) continue;
                if (!value.is_object()) return fault(path, "not a plain value or an object of them");
                for (const auto &[inner, leaf] : value.items())
                    if (!plain(leaf)) return fault(member(path, inner), "not a plain value");
            }
        return true;
    }

    bool maps(const Json &document) {
        const Json *files = find(document, "maps");
        if (!files || !files->is_array()) return fault("maps", "not a list of files");
        for (size_t i = 0; i < files->size(); ++i)
            if (!(*files)[i].is_string()) return fault(element("maps", i), "not a text");
        const Json *digest = find(document, "map_digest");
        if (digest && !digest->is_string()) return fault("map_digest", "not a text");
        const Json *layout = find(document, "layout");
        if (!layout) return true;
        if (!layout->is_object()) return fault("layout", "not an object of register places");
        for (const auto &[name, place] : layout->items()) {
            const std::string path = member("layout", name);
            const Json *space = place.is_object() ? find(place, "space") : nullptr;
            regmap::Space known = regmap::Space::Reg;
            if (!space || !space->is_string() || !spaceNamed(space->get_ref<const std::string &>(), known))
                return fault(member(path, "space"), "not reg, crtc, pci or i2c");
            if (!number(find(place, "address"), regmap::spaceSize(known) - 1))
                return fault(member(path, "address"), "not an address in its space");
            const Json *width = find(place, "width");
            if (!number(width, 64) || (width->get<uint64_t>() != 8 && width->get<uint64_t>() != 16 &&
                                       width->get<uint64_t>() != 32 && width->get<uint64_t>() != 64))
                return fault(member(path, "width"), "not 8, 16, 32 or 64");
        }
        return true;
    }

    bool document(const Json &d) {
        if (d.is_discarded()) return fault("", "not JSON");
        if (!d.is_object() || !d.contains("kind") || d["kind"] != "tekvaro-snapshot")
            return fault("", "not a tekvaro snapshot");
        if (!d.contains("format") || d["format"] != kFormat)
            return fault("", "a snapshot format this tkvtool does not read (it reads format 1)");
        const Json *driver = find(d, "driver");
        if (driver && !driver->is_string()) return fault("driver", "not a text or null");
        return maps(d) && registers(find(d, "registers"), "registers") &&
               bytes(find(d, "pci"), "pci", findSpace("pci")->size) &&
               bytes(find(d, "crtc"), "crtc", findSpace("crtc")->size) && i2c(find(d, "i2c")) &&
               edid(find(d, "edid")) && zoomVideo(find(d, "zv"));
    }
};

}  // namespace

bool checkDocument(const Json &document, std::string &why) {
    Checker checker;
    if (checker.document(document)) return true;
    why = checker.why;
    return false;
}

bool check(const std::string &text, std::string &why) {
    return checkDocument(client::readOrderedJson(text), why);
}

}  // namespace snapshot
