// What tkvweb reads from a request beyond HTTP itself: numbers in paths and
// queries, the list of names to watch, and the body of a register write.
// Plain functions of strings, so that they are fuzzed without a socket.
#ifndef TKVWEB_REQUEST_PARSING_H
#define TKVWEB_REQUEST_PARSING_H

#include <stdint.h>

#include <string>
#include <string_view>
#include <vector>

// Decimal digits only, at most `max`.
bool parseDecimalNumber(std::string_view text, uint64_t max, uint64_t &value);
// Decimal, or hexadecimal after 0x, at most `max`: channels, addresses, ports.
bool parseNumber(std::string_view text, uint64_t max, uint64_t &value);

constexpr size_t kMostWatchedNames = 64;
constexpr uint32_t kShortestIntervalMs = 10, kLongestIntervalMs = 10000;

// "A,B,C": register or field names (letters, digits, '_' and '.'), at most
// kMostWatchedNames; false with the reason otherwise.
bool parseNameList(std::string_view text, std::vector<std::string> &names, std::string &why);
// Milliseconds between polls, kShortestIntervalMs to kLongestIntervalMs.
bool parseInterval(std::string_view text, uint32_t &ms, std::string &why);

// A field's value as the body gives it: a number, or a word (the map's name
// for a value, or a number in a string such as "0x1f").
struct FieldValue {
    std::string field;
    bool isWord = false;
    uint64_t number = 0;
    std::string word;
};

// The body of PUT /api/v1/registers/NAME: {"value": N} for the whole
// register, or {"fields": {"FIELD": N or "WORD", ...}}.
struct RegisterWrite {
    bool whole = false;
    uint64_t value = 0;
    std::vector<FieldValue> fields;
};
bool parseRegisterWrite(std::string_view body, RegisterWrite &write, std::string &why);

#endif
