// Reading a map file: TOML text to blocks, with a fault for every key that
// is missing, of the wrong type or out of its range.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <toml++/toml.h>

#include "regmap.h"
#include "toml_prescan.h"

namespace regmap {
namespace {

constexpr off_t kLargestMapFile = off_t{1} << 20;

// One table's reading: each fault names the file and the line of the key.
class Reader {
public:
    Reader(const std::string &file, std::vector<Fault> &faults) : file_(file), faults_(faults) {}

    bool ok() const { return ok_; }

    void fault(const toml::node &node, const std::string &message) {
        faults_.push_back({file_, static_cast<unsigned>(node.source().begin.line), message});
        ok_ = false;
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
        if (!i) {
            fault(node, std::string("'") + what + "' is not an integer");
            return false;
        }
        const int64_t v = i->get();
        if (v < 0 || static_cast<uint64_t>(v) > max) {
            fault(node, std::string("'") + what + "' is out of range");
            return false;
        }
        out = static_cast<uint64_t>(v);
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

    // `bits = 8` or `bits = "14-28"`.
    bool bitRange(const toml::table &table, Field &field) {
        const toml::node *node = need(table, "bits");
        if (!node) return false;
        uint64_t lsb = 0, msb = 0;
        if (node->as_integer()) {
            if (!number(*node, "bits", 63, lsb)) return false;
            msb = lsb;
        } else if (const auto *s = node->as_string()) {
            const std::string &range = s->get();
            char *end = nullptr;
            errno = 0;
            lsb = strtoull(range.c_str(), &end, 10);
            const bool first =
                end != range.c_str() && *end == '-' && isdigit(static_cast<unsigned char>(end[1]));
            const char *second = end + 1;
            msb = first ? strtoull(second, &end, 10) : 0;
            if (!first || *end || errno || msb > 63 || lsb > msb) {
                fault(*node, "invalid bit range '" + range + "' (LOW-HIGH, 0 to 63)");
                return false;
            }
        } else {
            fault(*node, "'bits' is neither a bit number nor a range \"LOW-HIGH\"");
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
            field.values.push_back({v, s->get()});
        }
        return true;
    }

    bool field(const toml::table &table, Field &f) {
        f.line = static_cast<unsigned>(table.source().begin.line);
        return name(table, f.name) && bitRange(table, f) && access(table, f.access) &&
               text(table, "description", f.description, false) && values(table, f);
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

    bool reg(const toml::table &table, Register &r) {
        r.line = static_cast<unsigned>(table.source().begin.line);
        uint64_t offset = 0, width = 32;
        bool good = name(table, r.name) && number(table, "offset", UINT32_MAX, offset, true) &&
                    number(table, "width", 64, width, false);
        if (!good) return false;
        if (width != 8 && width != 16 && width != 32 && width != 64) {
            fault(*table.get("width"), "invalid width " + std::to_string(width) + " (8, 16, 32 or 64)");
            return false;
        }
        r.offset = static_cast<uint32_t>(offset);
        r.width = static_cast<unsigned>(width);
        r.hasReset = table.get("reset") != nullptr;
        return access(table, r.access) && number(table, "reset", UINT64_MAX, r.reset, false) &&
               text(table, "description", r.description, false) &&
               list(table, "fields", r.fields,
                    [this](const toml::table &t, Field &f) { return field(t, f); });
    }

    bool instance(const toml::table &table, Instance &i) {
        i.line = static_cast<unsigned>(table.source().begin.line);
        uint64_t base = 0;
        if (!name(table, i.name) || !number(table, "base", UINT32_MAX, base, true)) return false;
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
        bool good = name(table, b.name) && space(table, b.space) &&
                    text(table, "description", b.description, false) && addresses(table, b);
        good = list(table, "instances", b.instances,
                    [this](const toml::table &t, Instance &i) { return instance(t, i); }) &&
               good;
        good = list(table, "register", b.registers,
                    [this](const toml::table &t, Register &r) { return reg(t, r); }) &&
               good;
        if (good && b.instances.empty()) b.instances.push_back({b.name, 0, b.line});
        return good;
    }

private:
    const std::string &file_;
    std::vector<Fault> &faults_;
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
    toml::parse_result parsed = toml::parse(text, file);
    if (!parsed) {
        const toml::parse_error &error = parsed.error();
        faults.push_back(
            {file, static_cast<unsigned>(error.source().begin.line), std::string(error.description())});
        return false;
    }
    Reader reader(file, faults);
    const toml::table &top = parsed.table();
    for (const auto &[key, value] : top)
        if (key.str() != "block") reader.fault(value, "unknown key '" + std::string(key.str()) + "'");
    std::vector<Block> read;
    reader.list(top, "block", read, [&reader](const toml::table &t, Block &b) { return reader.block(t, b); });
    if (!reader.ok()) return false;
    for (Block &b : read) blocks.push_back(std::move(b));
    return true;
}

bool loadMapFile(const std::string &path, std::vector<Block> &blocks, std::vector<Fault> &faults) {
    // Non-blocking, so that a FIFO in the way cannot hold the program; only
    // a regular file is read.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat st;
    std::string problem;
    if (fd < 0 || fstat(fd, &st) != 0)
        problem = strerror(errno);
    else if (!S_ISREG(st.st_mode))
        problem = "not a regular file";
    else if (st.st_size > kLargestMapFile)
        problem = "larger than 1 MiB";
    std::string text;
    if (problem.empty()) {
        text.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = read(fd, &text[done], text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                problem = n < 0 ? strerror(errno) : "file shrank while read";
                break;
            }
            done += static_cast<size_t>(n);
        }
    }
    if (fd >= 0) close(fd);
    if (!problem.empty()) {
        faults.push_back({path, 0, problem});
        return false;
    }
    return parseMap(text, path, blocks, faults);
}

}  // namespace regmap
