// Writing a named register field by field, as every front end does: the
// field looked up by name and refused where it is read-only, its value by
// the map's name for it or as a number that must fit, and the write that
// changes only those bits.
#ifndef TKV_CLIENT_FIELD_WRITE_H
#define TKV_CLIENT_FIELD_WRITE_H

#include <stdint.h>

#include <string_view>

#include "outcome.h"
#include "regmap_names.h"

namespace client {

// The bits the fields given so far set, and the mask of those that change.
struct FieldWrite {
    uint64_t bits = 0, mask = 0;
};

// The field of `name`'s register called `fieldName` (any case): a usage
// failure for one the register does not have, with the names it has.
Outcome findField(const regmap::Name &name, std::string_view fieldName, const regmap::Field *&found);

// The value the map names `word` for the field; false when it names none.
bool valueOfName(const regmap::Field &field, std::string_view word, uint64_t &value);
// The usage failure for a word that is neither a value's name nor a number.
Outcome invalidValue(const regmap::Field &field, std::string_view word);
// A usage failure unless `value` fits in the field.
Outcome checkFits(const regmap::Field &field, uint64_t value);

// Adds FIELD = VALUE to the write; a usage failure for a read-only field.
Outcome addField(FieldWrite &write, const regmap::Name &name, const regmap::Field &field, uint64_t value);

// What the write of fields stores: with `merge`, the register's current
// value with only the mask's bits changed (one read, one write); a register
// that cannot be read (write-only) starts from its reset value instead.
FieldWrite storedValue(const regmap::Register &reg, FieldWrite write, bool &merge);

// Writes `name`'s register as tkvtool write does: `value` whole, or (with
// `fields`) the fields' bits of `write` through storedValue.  `stored` is
// what was written, `old` (unless null: a write-only register) what the
// register held: its one read.  A Device failure says which request failed,
// in its message and (unless null) in `readFailed`.
Outcome writeRegister(const regmap::Name &name, uint64_t value, const FieldWrite *fields, uint64_t &stored,
                      uint64_t *old = nullptr, bool *readFailed = nullptr);

}  // namespace client

#endif
