#include "regmap_names.h"

#include <ctype.h>

#include <algorithm>

namespace regmap {
namespace {

constexpr size_t kMostSuggestions = 3;

std::vector<std::string_view> split(std::string_view name) {
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t dot = name.find('.', start);
        parts.push_back(name.substr(start, dot == std::string_view::npos ? dot : dot - start));
        if (dot == std::string_view::npos) return parts;
        start = dot + 1;
    }
}

const Register *findRegister(const Block &b, std::string_view name) {
    for (const Register &r : b.registers)
        if (sameName(r.name, name)) return &r;
    return nullptr;
}

const Field *findField(const Register &r, std::string_view name) {
    for (const Field &f : r.fields)
        if (sameName(f.name, name)) return &f;
    return nullptr;
}

// The names closest to `typed` among `candidates`, close enough to be a slip.
std::string closest(std::string_view typed, const std::vector<std::string> &candidates) {
    const unsigned limit = 1 + static_cast<unsigned>(typed.size() / 4);
    unsigned best = limit + 1;
    std::vector<const std::string *> chosen;
    for (const std::string &c : candidates) {
        const unsigned d = editDistance(typed, c);
        if (d > limit || d > best) continue;
        if (d < best) chosen.clear();
        best = d;
        if (std::find_if(chosen.begin(), chosen.end(), [&](const std::string *s) { return *s == c; }) ==
            chosen.end())
            chosen.push_back(&c);
    }
    std::string hint;
    for (size_t i = 0; i < chosen.size() && i < kMostSuggestions; ++i) hint += (i ? " or " : "") + *chosen[i];
    return hint;
}

// Every BLOCK.REGISTER name that could have been meant.
std::vector<std::string> candidates(const Map &map) {
    std::vector<std::string> names;
    for (const Block &b : map.blocks)
        for (const Instance &i : b.instances)
            for (const Register &r : b.registers) names.push_back(i.name + "." + r.name);
    return names;
}

Lookup unknown(const Map &map, std::string_view typed, std::string &hint) {
    hint = closest(typed, candidates(map));
    return Lookup::Unknown;
}

// REGISTER or REGISTER.FIELD without its block.
Lookup bare(const Map &map, std::string_view typed, std::string_view reg, const std::string_view *field,
            Name &found, std::string &hint) {
    std::vector<Name> matches;
    for (const Block &b : map.blocks)
        if (const Register *r = findRegister(b, reg))
            for (const Instance &i : b.instances) matches.push_back({&b, &i, r, nullptr});
    if (matches.empty()) return unknown(map, typed, hint);
    if (matches.size() > 1) {
        hint.clear();
        for (const Name &n : matches) hint += (hint.empty() ? "" : ", ") + n.text();
        return Lookup::Ambiguous;
    }
    found = matches[0];
    if (!field) return Lookup::Found;
    found.field = findField(*found.reg, *field);
    if (found.field) return Lookup::Found;
    std::vector<std::string> fields;
    for (const Field &f : found.reg->fields) fields.push_back(found.reg->name + "." + f.name);
    hint = closest(typed, fields);
    return Lookup::Unknown;
}

}  // namespace

std::string Name::text() const {
    std::string t = instance->name + "." + reg->name;
    return field ? t + "." + field->name : t;
}

unsigned editDistance(std::string_view a, std::string_view b) {
    std::vector<unsigned> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = static_cast<unsigned>(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        unsigned diagonal = row[0];
        row[0] = static_cast<unsigned>(i);
        for (size_t j = 1; j <= b.size(); ++j) {
            const bool same = tolower(static_cast<unsigned char>(a[i - 1])) ==
                              tolower(static_cast<unsigned char>(b[j - 1]));
            const unsigned next = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0u : 1u)});
            diagonal = row[j];
            row[j] = next;
        }
    }
    return row[b.size()];
}

Lookup findName(const Map &map, std::string_view name, Name &found, std::string &hint) {
    const std::vector<std::string_view> parts = split(name);
    if (parts.size() > 3) return unknown(map, name, hint);
    if (parts.size() == 1) return bare(map, name, parts[0], nullptr, found, hint);
    for (const Block &b : map.blocks)
        for (const Instance &i : b.instances) {
            if (!sameName(i.name, parts[0])) continue;
            const Register *r = findRegister(b, parts[1]);
            if (!r) return unknown(map, name, hint);
            found = {&b, &i, r, nullptr};
            if (parts.size() == 2) return Lookup::Found;
            found.field = findField(*r, parts[2]);
            if (found.field) return Lookup::Found;
            std::vector<std::string> fields;
            for (const Field &f : r->fields) fields.push_back(i.name + "." + r->name + "." + f.name);
            hint = closest(name, fields);
            return Lookup::Unknown;
        }
    if (parts.size() == 2) return bare(map, name, parts[0], &parts[1], found, hint);
    return unknown(map, name, hint);
}

}  // namespace regmap
