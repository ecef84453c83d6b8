// Reading a map file: TOML text to blocks, with a fault for every key that
// is missing, of the wrong type or out of its range.
#include <errno.h>
#include <string.h>

#include <algorithm>
#include <initializer_list>

#include <toml++/toml.h>

#include "input_file.h"
#include "printable.h"
#include "regmap.h"
#include "regmap_names.h"
#include "toml_prescan.h"
#include "toml_wide_integers.h"

namespace regmap {
namespace {

constexpr size_t kLargestMapFile = size_t{1} << 20;

// The keys each kind of table has.
using Keys = std::initializer_list<const char *>;
constexpr Keys kBlockKeys = {"name", "space", "description", "instances", "addresses", "register"};
constexpr Keys kInstanceKeys = {"name", "base"};
constexpr Keys kRegisterKeys = {"name", "offset", "width", "access", "reset", "description", "fields"};
constexpr Keys kFieldKeys = {"name", "bits", "access", "description", "values"};

// The kind of table that has `key`, for a key given at the wrong level.
const char *ownerOf(std::string_view key) {
    const std::pair<const char *, Keys> kinds[] = {{"a block", kBlockKeys},
                                                   {"an instance", kInstanceKeys},
                                                   {"a register", kRegisterKeys},
                                                   {"a field", kFieldKeys}};
    for (const auto &[kind, keys] : kinds)
        for (const char *k : keys)
            if (key == k) return kind;
    return nullptr;
}

uint64_t widthMask(unsigned bits) { return bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1; }

// "7:4" (HIGH:LOW, as data sheets write it) or "4-7" (LOW-HIGH), each number
// 0 to 63; "[7:4]" and "[4]" too.
bool parseBitRange(std::string range, uint64_t &lsb, uint64_t &msb) {
    if (range.size() >= 2 && range.front() == '[' && range.back() == ']') {
        range = range.substr(1, range.size() - 2);
        if (range.find('-') != std::string::npos) return false;
        if (range.find(':') == std::string::npos) range += ":" + range;
    }
    const size_t split = range.find_first_of(":-");
    if (split == std::string::npos) return false;
    auto number = [](const std::string &digits, uint64_t &out) {
        if (digits.empty() || digits.size() > 2 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        out = 0;
        for (char d : digits) out = out * 10 + static_cast<uint64_t>(d - '0');
        return out <= 63;
    };
    uint64_t first = 0, second = 0;
    if (!number(range.substr(0, split), first) || !number(range.substr(split + 1), second)) return false;
    lsb = range[split] == '-' ? first : second;
    msb = range[split] == '-' ? second : first;
    return lsb <= msb;
}

// One table's reading: each fault names the file and the line of the key.
class Reader {
public:
    Reader(const std::string &file, std::vector<Fault> &faults, const WideIntegers &wide)
        : file_(file), faults_(faults), wide_(wide) {}

    bool ok() const { return ok_; }

    void fault(const toml::node &node, const std::string &message) { fault(node.source(), message); }

    void fault(const toml::source_region &source, const std::string &message) {
        faults_.push_back({file_, static_cast<unsigned>(source.begin.line), message});
        ok_ = false;
    }

    // A key the table does not have is a mistake: left alone, `acess = "ro"`
    // would leave the register writable.  The hint is a key of the table
    // that is a slip away, or the kind of table the key belongs to.
    bool knownKeys(const toml::table &table, Keys keys) {
        bool good = true;
        for (const auto &[key, value] : table) {
            const std::string_view typed = key.str();
            if (std::find_if(keys.begin(), keys.end(), [&](const char *k) { return typed == k; }) !=
                keys.end())
                continue;
            std::string message = "unknown key '" + std::string(typed) + "'";
            unsigned slip = typed.size() >= 4 ? 2 : 1;
            const char *closest = nullptr;
            for (const char *k : keys) {
                const unsigned d = editDistance(typed, k);
                if (d <= slip) {
                    slip = d;
                    closest = k;
                }
            }
            if (const char *owner = ownerOf(typed))
                message += std::string(" (a key of ") + owner + ")";
            else if (closest)
                message += " (did you mean '" + std::string(closest) + "'?)";
            fault(key.source().begin.line ? key.source() : value.source(), message);
            good = false;
        }
        return good;
    }

    const toml::node *need(const toml::table &table, const char *key) {
        const toml::node *node = table.get(key);
        if (!node) fault(table, std::string("missing '") + key + "'");
        return node;
    }

    bool text(const toml::table &table, const char *key, std::string &out, bool required) {
        const toml::node *node = required ? need(table, key) : table.get(key);
        if (!node) return !required;
        if (const auto *s = node->as_string()) {
            out = s->get();
            return true;
        }
        fault(*node, std::string("'") + key + "' is not a string");
        return false;
    }

    // Text that reaches terminals: no control characters.
    bool plainText(const toml::node &node, const char *what, const std::string &text) {
        if (client::printable(text) == text) return true;
        fault(node, std::string(what) + " '" + text + "' has a control character");
        return false;
    }

    bool description(const toml::table &table, std::string &out) {
        return text(table, "description", out, false) &&
               (out.empty() || plainText(*table.get("description"), "description", out));
    }

    // A name as it is typed on command lines: letters, digits and '_'.
    bool name(const toml::table &table, std::string &out) {
        if (!text(table, "name", out, true)) return false;
        bool valid = !out.empty();
        for (char c : out)
            if (!(isalnum(static_cast<unsigned char>(c)) || c == '_')) valid = false;
        if (!valid) fault(*table.get("name"), "invalid name '" + out + "' (letters, digits and _)");
        return valid;
    }

    bool number(const toml::node &node, const char *what, uint64_t max, uint64_t &out) {
        const auto *i = node.as_integer();
        const auto wide = node.is_string()
                              ? wide_.find({node.source().begin.line, node.source().begin.column})
                              : wide_.end();
        if (!i && wide == wide_.end()) {
            fault(node, std::string("'") + what + "' is not an integer");
            return false;
        }
        const bool negative = i && i->get() < 0;
        const uint64_t v = i ? static_cast<uint64_t>(i->get()) : wide->second;
        if (negative || v > max) {
            fault(node, std::string("'") + what + "' is out of range");
            return false;
        }
        out = v;
        return true;
    }

    bool number(const toml::table &table, const char *key, uint64_t max, uint64_t &out, bool required) {
        const toml::node *node = required ? need(table, key) : table.get(key);
        if (!node) return !required;
        return number(*node, key, max, out);
    }

    bool access(const toml::table &table, Access &out) {
        std::string word;
        if (!table.get("access")) return true;
        if (!text(table, "access", word, false)) return false;
        for (Access a : {Access::ReadWrite, Access::ReadOnly, Access::WriteOnly})
            if (word == accessName(a)) {
                out = a;
                return true;
            }
        fault(*table.get("access"), "invalid access '" + word + "' (rw, ro or wo)");
        return false;
    }

    // `bits = 8`, `bits = "14-28"` or `bits = "28:14"`.
    bool bitRange(const toml::table &table, Field &field) {
        const toml::node *node = need(table, "bits");
        if (!node) return false;
        uint64_t lsb = 0, msb = 0;
        if (node->as_integer()) {
            if (!number(*node, "bits", 63, lsb)) return false;
            msb = lsb;
        } else if (const auto *s = node->as_string()) {
            if (!parseBitRange(s->get(), lsb, msb)) {
                fault(*node, "invalid bit range '" + s->get() + "' (HIGH:LOW or LOW-HIGH, 0 to 63)");
                return false;
            }
        } else {
            fault(*node, "'bits' is neither a bit number nor a range \"HIGH:LOW\"");
            return false;
        }
        field.lsb = static_cast<unsigned>(lsb);
        field.msb = static_cast<unsigned>(msb);
        return true;
    }

    // `values = { 0 = "off", 0x1 = "on" }`
    bool values(const toml::table &table, Field &field) {
        const toml::node *node = table.get("values");
        if (!node) return true;
        const toml::table *t = node->as_table();
        if (!t) {
            fault(*node, "'values' is not a table");
            return false;
        }
        for (const auto &[key, value] : *t) {
            const std::string k(key.str());
            char *end = nullptr;
            errno = 0;
            const uint64_t v = strtoull(k.c_str(), &end, 0);
            const auto *s = value.as_string();
            if (k.empty() || *end || errno || !isdigit(static_cast<unsigned char>(k[0])) || !s) {
                fault(value, "invalid named value '" + k + "' (a number = \"name\")");
                return false;
            }
            if (!plainText(value, "value name", s->get())) return false;
            field.values.push_back({v, s->get()});
        }
        return true;
    }

    bool field(const toml::table &table, Field &f) {
        f.line = static_cast<unsigned>(table.source().begin.line);
        const bool keys = knownKeys(table, kFieldKeys);
        return name(table, f.name) && bitRange(table, f) && access(table, f.access) &&
               description(table, f.description) && values(table, f) && keys;
    }

    // An array of tables, each read by `read`.
    template <typename T, typename Read>
    bool list(const toml::table &table, const char *key, std::vector<T> &out, Read read) {
        const toml::node *node = table.get(key);
        if (!node) return true;
        const toml::array *array = node->as_array();
        if (!array) {
            fault(*node, std::string("'") + key + "' is not an array");
            return false;
        }
        bool good = true;
        out.reserve(out.size() + array->size());
        for (const toml::node &element : *array) {
            const toml::table *t = element.as_table();
            if (!t) {
                fault(element, std::string("an element of '") + key + "' is not a table");
                good = false;
                continue;
            }
            out.emplace_back();
            good = read(*t, out.back()) && good;
        }
        return good;
    }

    // Only the widths that the space has requests for: any other would
    // reach a request that does not exist.
    bool width(const toml::table &table, Space space, unsigned &out) {
        uint64_t width = naturalWidth(space);
        if (!number(table, "width", 64, width, false)) return false;
        if (width != 8 && width != 16 && width != 32 && width != 64) {
            fault(*table.get("width"), "invalid width " + std::to_string(width) + " (8, 16, 32 or 64)");
            return false;
        }
        if (!spaceTakes(space, static_cast<unsigned>(width))) {
            std::string taken;
            for (unsigned bits : {8u, 16u, 32u, 64u})
                if (spaceTakes(space, bits)) taken += (taken.empty() ? "" : ", ") + std::to_string(bits);
            fault(table.get("width") ? *table.get("width") : static_cast<const toml::node &>(table),
                  std::string(spaceName(space)) + " has no " + std::to_string(width) + "-bit registers (" +
                      taken + ")");
            return false;
        }
        out = static_cast<unsigned>(width);
        return true;
    }

    bool reg(const toml::table &table, Space space, Register &r) {
        r.line = static_cast<unsigned>(table.source().begin.line);
        uint64_t offset = 0;
        const bool keys = knownKeys(table, kRegisterKeys);
        if (!(name(table, r.name) && number(table, "offset", UINT32_MAX, offset, true) &&
              width(table, space, r.width)))
            return false;
        r.offset = static_cast<uint32_t>(offset);
        r.hasReset = table.get("reset") != nullptr;
        if (r.hasReset && !number(*table.get("reset"), "reset", UINT64_MAX, r.reset)) return false;
        if (r.reset > widthMask(r.width)) {
            fault(*table.get("reset"),
                  "reset value is wider than the register's " + std::to_string(r.width) + " bits");
            return false;
        }
        return access(table, r.access) && description(table, r.description) &&
               list(table, "fields", r.fields,
                    [this](const toml::table &t, Field &f) { return field(t, f); }) &&
               keys;
    }

    bool instance(const toml::table &table, Instance &i) {
        i.line = static_cast<unsigned>(table.source().begin.line);
        uint64_t base = 0;
        const bool keys = knownKeys(table, kInstanceKeys);
        if (!keys || !name(table, i.name) || !number(table, "base", UINT32_MAX, base, true)) return false;
        i.base = static_cast<uint32_t>(base);
        return true;
    }

    bool space(const toml::table &table, Space &out) {
        std::string word;
        if (!text(table, "space", word, true)) return false;
        for (Space s : {Space::Reg, Space::Crtc, Space::Pci, Space::I2c})
            if (word == spaceName(s)) {
                out = s;
                return true;
            }
        fault(*table.get("space"), "invalid space '" + word + "' (reg, crtc, pci or i2c)");
        return false;
    }

    bool addresses(const toml::table &table, Block &b) {
        const toml::node *node = table.get("addresses");
        if (!node) return true;
        const toml::array *array = node->as_array();
        if (!array || b.space != Space::I2c) {
            fault(*node, array ? "'addresses' is for i2c blocks" : "'addresses' is not an array");
            return false;
        }
        for (const toml::node &element : *array) {
            uint64_t a = 0;
            if (!number(element, "addresses", 0x7F, a)) return false;
            b.i2cAddresses.push_back(static_cast<uint8_t>(a));
        }
        return true;
    }

    bool block(const toml::table &table, Block &b) {
        b.file = file_;
        b.line = static_cast<unsigned>(table.source().begin.line);
        bool good = knownKeys(table, kBlockKeys);
        // The registers' widths depend on the space.
        if (!(name(table, b.name) && space(table, b.space))) return false;
        good = description(table, b.description) && addresses(table, b) && good;
        good = list(table, "instances", b.instances,
                    [this](const toml::table &t, Instance &i) { return instance(t, i); }) &&
               good;
        good = list(table, "register", b.registers,
                    [this, &b](const toml::table &t, Register &r) { return reg(t, b.space, r); }) &&
               good;
        if (good && b.instances.empty()) b.instances.push_back({b.name, 0, b.line});
        return good;
    }

private:
    const std::string &file_;
    std::vector<Fault> &faults_;
    const WideIntegers &wide_;
    bool ok_ = true;
};

}  // namespace

bool parseMap(std::string_view text, const std::string &file, std::vector<Block> &blocks,
              std::vector<Fault> &faults) {
    unsigned line = 0;
    std::string reason;
    if (!prescanToml(text, line, reason)) {
        faults.push_back({file, line, reason});
        return false;
    }
    std::string widened(text);
    const WideIntegers wide = widenIntegers(widened);
    toml::parse_result parsed = toml::parse(widened, file);
    if (!parsed) {
        const toml::parse_error &error = parsed.error();
        faults.push_back(
            {file, static_cast<unsigned>(error.source().begin.line), std::string(error.description())});
        return false;
    }
    Reader reader(file, faults, wide);
    const toml::table &top = parsed.table();
    reader.knownKeys(top, {"block"});
    std::vector<Block> read;
    std::vector<bool> sound;
    reader.list(top, "block", read, [&reader, &sound](const toml::table &t, Block &b) {
        sound.push_back(reader.block(t, b));
        return sound.back();
    });
    for (size_t i = 0; i < read.size(); ++i)
        if (sound[i]) blocks.push_back(std::move(read[i]));
    return reader.ok();
}

bool loadMapFile(const std::string &path, std::vector<Block> &blocks, std::vector<Fault> &faults) {
    std::string text;
    const InputRead read = readRegularFile(path.c_str(), kLargestMapFile, text);
    if (read.ok()) return parseMap(text, path, blocks, faults);
    const char *problem = read.problem == InputProblem::NotRegular ? "not a regular file"
                          : read.problem == InputProblem::TooLarge ? "larger than 1 MiB"
                          : read.problem == InputProblem::Shrank   ? "file shrank while read"
                                                                   : strerror(read.error);
    faults.push_back({path, 0, problem});
    return false;
}

}  // namespace regmap
