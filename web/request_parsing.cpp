#include "request_parsing.h"

#include <nlohmann/json.hpp>

namespace {

constexpr size_t kLongestName = 128;

bool nameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
}

bool digits(std::string_view text, unsigned base, uint64_t max, uint64_t &value) {
    if (text.empty() || text.size() > 20) return false;
    uint64_t v = 0;
    for (char c : text) {
        unsigned d;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        if (d > max || v > (max - d) / base) return false;
        v = v * base + d;
    }
    value = v;
    return true;
}

// A JSON value that is a number a register can hold.
bool jsonNumber(const nlohmann::json &j, uint64_t &value) {
    if (!j.is_number_unsigned() && !(j.is_number_integer() && j.get<int64_t>() >= 0)) return false;
    value = j.get<uint64_t>();
    return true;
}

}  // namespace

bool parseDecimalNumber(std::string_view text, uint64_t max, uint64_t &value) {
    return digits(text, 10, max, value);
}

bool parseNumber(std::string_view text, uint64_t max, uint64_t &value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return digits(text.substr(2), 16, max, value);
    return digits(text, 10, max, value);
}

bool parseNameList(std::string_view text, std::vector<std::string> &names, std::string &why) {
    names.clear();
    if (text.empty()) {
        why = "no names to watch";
        return false;
    }
    while (true) {
        const size_t comma = text.find(',');
        const std::string_view name = text.substr(0, comma);
        if (name.empty() || name.size() > kLongestName) {
            why = "an empty or overlong name in the list";
            return false;
        }
        for (char c : name)
            if (!nameCharacter(c)) {
                why = "a name holds only letters, digits, '_' and '.'";
                return false;
            }
        if (names.size() == kMostWatchedNames) {
            why = "at most " + std::to_string(kMostWatchedNames) + " names";
            return false;
        }
        names.emplace_back(name);
        if (comma == std::string_view::npos) return true;
        text.remove_prefix(comma + 1);
    }
}

bool parseInterval(std::string_view text, uint32_t &ms, std::string &why) {
    uint64_t value = 0;
    if (!parseDecimalNumber(text, kLongestIntervalMs, value) || value < kShortestIntervalMs) {
        why = "the interval is " + std::to_string(kShortestIntervalMs) + " to " +
              std::to_string(kLongestIntervalMs) + " milliseconds";
        return false;
    }
    ms = static_cast<uint32_t>(value);
    return true;
}

bool parseRegisterWrite(std::string_view body, RegisterWrite &write, std::string &why) {
    write = {};
    // No exceptions: a body that is not JSON is discarded, and every access checks the type first.
    const nlohmann::json document = nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
    if (document.is_discarded() || !document.is_object()) {
        why = "the body is not a JSON object";
        return false;
    }
    const bool hasValue = document.contains("value"), hasFields = document.contains("fields");
    if (hasValue == hasFields || document.size() != 1) {
        why = "the body has either \"value\" or \"fields\", and nothing else";
        return false;
    }
    if (hasValue) {
        write.whole = true;
        if (jsonNumber(document["value"], write.value)) return true;
        why = "\"value\" is a number from 0 to 2^64-1";
        return false;
    }
    const nlohmann::json &fields = document["fields"];
    if (!fields.is_object() || fields.empty()) {
        why = "\"fields\" is an object of one or more FIELD: VALUE";
        return false;
    }
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        FieldValue f;
        f.field = it.key();
        if (it.value().is_string()) {
            f.isWord = true;
            f.word = it.value().get<std::string>();
        } else if (!jsonNumber(it.value(), f.number)) {
            why = "the value of field '" + f.field + "' is a number or a name";
            return false;
        }
        write.fields.push_back(std::move(f));
    }
    return true;
}
