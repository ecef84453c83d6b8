#include "json_reader.h"

#include <string>
#include <vector>

namespace client {
namespace {

using Json = nlohmann::ordered_json;

// Builds the document from the reader's events.  A new member is appended to
// its object's list without a look-up; a key given twice is found once the
// object is complete.
class Builder {
public:
    Json root;

    bool null() { return add(Json()); }
    bool boolean(bool value) { return add(Json(value)); }
    bool number_integer(Json::number_integer_t value) { return add(Json(value)); }
    bool number_unsigned(Json::number_unsigned_t value) { return add(Json(value)); }
    bool number_float(Json::number_float_t value, const Json::string_t &) { return add(Json(value)); }
    bool string(Json::string_t &value) { return add(Json(std::move(value))); }
    bool binary(Json::binary_t &) { return false; }  // not in JSON text
    bool key(Json::string_t &name) {
        key_ = std::move(name);
        return true;
    }
    bool start_object(std::size_t) { return open(Json::object()); }
    bool end_object() { return close(); }
    bool start_array(std::size_t) { return open(Json::array()); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &) { return false; }

private:
    std::vector<Json *> open_;  // the containers being filled, innermost last
    std::string key_;

    // Places a value in the innermost container (or as the document).
    Json *place(Json &&value) {
        if (open_.empty()) {
            root = std::move(value);
            return &root;
        }
        Json &container = *open_.back();
        if (container.is_array()) {
            container.get_ptr<Json::array_t *>()->push_back(std::move(value));
            return &container.get_ptr<Json::array_t *>()->back();
        }
        Json::object_t &members = *container.get_ptr<Json::object_t *>();
        members.emplace_back(std::move(key_), std::move(value));
        return &members.back().second;
    }

    bool add(Json &&value) {
        place(std::move(value));
        return true;
    }

    bool open(Json &&container) {
        open_.push_back(place(std::move(container)));
        return true;
    }

    bool close() {
        const Json &done = *open_.back();
        open_.pop_back();
        return !done.is_object() || unique(*done.get_ptr<const Json::object_t *>());
    }

    // No key twice: an open-addressed table of the members' places, so
    // that a large object costs no allocation per key.
    static bool unique(const Json::object_t &members) {
        if (members.size() < 2) return true;
        size_t size = 4;
        while (size < 2 * members.size()) size *= 2;
        std::vector<size_t> slots(size, 0);  // a member's place + 1, or 0
        const std::hash<std::string_view> hash;
        for (size_t i = 0; i < members.size(); ++i) {
            const std::string_view memberKey = members.begin()[static_cast<std::ptrdiff_t>(i)].first;
            size_t at = hash(memberKey) & (size - 1);
            for (; slots[at]; at = (at + 1) & (size - 1))
                if (members.begin()[static_cast<std::ptrdiff_t>(slots[at] - 1)].first == memberKey)
                    return false;
            slots[at] = i + 1;
        }
        return true;
    }
};

}  // namespace

nlohmann::ordered_json readOrderedJson(std::string_view text) {
    Builder builder;
    if (!Json::sax_parse(text, &builder, nlohmann::json::input_format_t::json, true, false))
        return Json(Json::value_t::discarded);
    return std::move(builder.root);
}

}  // namespace client
