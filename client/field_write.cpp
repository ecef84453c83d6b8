#include "field_write.h"

#include <stdio.h>

#include <string>

#include "documents.h"

namespace client {

Outcome findField(const regmap::Name &name, std::string_view fieldName, const regmap::Field *&found) {
    found = nullptr;
    for (const regmap::Field &f : name.reg->fields)
        if (regmap::sameName(f.name, fieldName)) {
            found = &f;
            return succeeded();
        }
    std::string fields;
    for (const regmap::Field &f : name.reg->fields) fields += (fields.empty() ? "" : ", ") + f.name;
    return failed(Failure::Usage, name.instance->name + "." + name.reg->name + " has no field '" +
                                      std::string(fieldName) + "' (" +
                                      (fields.empty() ? "it has no fields" : fields) + ")");
}

bool valueOfName(const regmap::Field &field, std::string_view word, uint64_t &value) {
    for (const regmap::NamedValue &v : field.values)
        if (regmap::sameName(v.name, word)) {
            value = v.value;
            return true;
        }
    return false;
}

Outcome invalidValue(const regmap::Field &field, std::string_view word) {
    return failed(Failure::Usage, "invalid value '" + std::string(word) + "' for " + field.name);
}

Outcome checkFits(const regmap::Field &field, uint64_t value) {
    if (value <= field.mask() >> field.lsb) return succeeded();
    char text[200];
    snprintf(text, sizeof text, "value 0x%llx does not fit in %s (%u bit%s)",
             static_cast<unsigned long long>(value), field.name.c_str(), field.bits(),
             field.bits() == 1 ? "" : "s");
    return failed(Failure::Usage, text);
}

Outcome addField(FieldWrite &write, const regmap::Name &name, const regmap::Field &field, uint64_t value) {
    if (field.access == regmap::Access::ReadOnly)
        return failed(Failure::Usage,
                      name.instance->name + "." + name.reg->name + "." + field.name + " is read-only");
    if (Outcome fits = checkFits(field, value); !fits.ok()) return fits;
    write.mask |= field.mask();
    write.bits = (write.bits & ~field.mask()) | (value << field.lsb);
    return succeeded();
}

FieldWrite storedValue(const regmap::Register &reg, FieldWrite write, bool &merge) {
    merge = write.mask != 0 && reg.access != regmap::Access::WriteOnly;
    if (write.mask && !merge) write.bits |= reg.reset & ~write.mask;
    return write;
}

Outcome writeRegister(const regmap::Name &name, uint64_t value, const FieldWrite *fields, uint64_t &stored,
                      uint64_t *old, bool *readFailed) {
    const Space &space = *findSpace(regmap::spaceName(name.block->space));
    const uint32_t address = name.address();
    const unsigned width = name.reg->bytes();
    bool merge = false;
    FieldWrite write{value, ~uint64_t{0}};
    if (fields) write = storedValue(*name.reg, *fields, merge);
    uint64_t before = 0;
    const int readError = merge || old ? space.read(address, width, before) : 0;
    if (readFailed) *readFailed = readError != 0;
    if (readError)
        return failed(Failure::Device, requestFailureText("read", {readError, space.name, address, width}),
                      readError);
    if (old) *old = before;
    stored = merge ? (before & ~write.mask) | (write.bits & write.mask) : write.bits;
    if (int error = space.write(address, width, stored))
        return failed(Failure::Device, requestFailureText("write", {error, space.name, address, width}),
                      error);
    return succeeded();
}

}  // namespace client
