// Registers by name (Device.regs): the register map that tkvtool reads, its
// names looked up and its fields decoded by the client layer.
#include <fnmatch.h>
#include <pybind11/stl.h>

#include <memory>
#include <optional>

#include "errors.h"
#include "field_write.h"
#include "parts.h"
#include "regmap_files.h"
#include "regmap_names.h"
#include "spaces.h"

namespace tkvpy {

namespace {

using MapPtr = std::shared_ptr<const regmap::Map>;

PyObject *fieldType;  // RegisterField, a named tuple made with the module

class Register {
public:
    Register(ConnectionPtr shared, MapPtr keep, const regmap::Name &of)
        : connection(std::move(shared)),
          map(std::move(keep)),
          name(of),
          space(findSpace(regmap::spaceName(of.block->space))) {}

    uint64_t read() const {
        refuse(regmap::Access::WriteOnly, "write-only");
        uint64_t value = 0;
        if (int error = callClient(*connection, [&] { return space->read(address(), bytes(), value); }))
            raiseFailed(error, "reading");
        return value;
    }

    // A whole value, or only the fields named: one read (none for a
    // write-only register, which starts from its reset value), one write.
    void write(const std::optional<Integer> &value, const py::kwargs &fields) const {
        refuse(regmap::Access::ReadOnly, "read-only");
        if (!space->writes(bytes()))
            raise(PyExc_ValueError, py::str("{} is {} bytes wide: {} space is written {} bytes at a time")
                                        .format(text(), bytes(), space->name, space->writeUnit()));
        if (value && !fields.empty())
            raise(PyExc_TypeError, py::str("give {} a value or fields, not both").format(text()));
        if (!value && fields.empty())
            raise(PyExc_TypeError, py::str("give {} a value or fields").format(text()));
        if (value) return store(checkedValue(*value, bytes()), nullptr);
        client::FieldWrite write;
        for (auto item : fields) {
            const regmap::Field &f = field(py::str(item.first));
            raiseRefused(client::addField(write, name, f, fieldValue(f, item.second)));
        }
        store(0, &write);
    }

    py::dict decode() const {
        const uint64_t value = read();
        py::dict decoded;
        for (const regmap::Field &f : reg().fields) decoded[f.name.c_str()] = f.extract(value);
        return decoded;
    }

    py::dict fields() const {
        py::dict all;
        for (const regmap::Field &f : reg().fields) {
            py::dict values;
            for (const regmap::NamedValue &v : f.values) values[py::int_(v.value)] = v.name;
            all[f.name.c_str()] = py::reinterpret_borrow<py::object>(fieldType)(
                f.name, f.lsb, f.msb, regmap::accessName(f.access), f.description, values);
        }
        return all;
    }

    std::string text() const { return name.text(); }
    uint32_t address() const { return name.address(); }
    unsigned bytes() const { return reg().bytes(); }
    const regmap::Register &reg() const { return *name.reg; }
    const char *spaceName() const { return space->name; }

private:
    void refuse(regmap::Access access, const char *what) const {
        if (reg().access == access) raise(PyExc_ValueError, py::str("{} is {}").format(text(), what));
    }

    const regmap::Field &field(const py::str &typed) const {
        const regmap::Field *found = nullptr;
        raiseRefused(client::findField(name, typed.cast<std::string>(), found));
        return *found;
    }

    static void raiseRefused(const client::Outcome &outcome) {
        if (!outcome.ok()) raise(PyExc_ValueError, py::str(outcome.message));
    }

    // An int that fits the field, or the name the map gives a value.
    static uint64_t fieldValue(const regmap::Field &f, const py::handle &given) {
        if (py::isinstance<py::str>(given)) {
            uint64_t value = 0;
            const auto word = given.cast<std::string>();
            if (!client::valueOfName(f, word, value)) raiseRefused(client::invalidValue(f, word));
            return value;
        }
        const auto number = given.cast<Integer>();
        const py::str message = py::str("value {{0:#x}} does not fit in {} ({} bit{})")
                                    .format(f.name, f.bits(), f.bits() == 1 ? "" : "s");
        return checked(number, f.mask() >> f.lsb, PyExc_ValueError, message.cast<std::string>().c_str());
    }

    // One read (unless the register is written whole or cannot be read), one write.
    void store(uint64_t value, const client::FieldWrite *fields) const {
        client::Outcome written;
        bool readFailed = false;
        uint64_t stored = 0;
        callLibrary(*connection, [&] {
            written = client::writeRegister(name, value, fields, stored, nullptr, &readFailed);
            return 0;
        });
        if (!written.ok()) raiseFailed(written.errnum, readFailed ? "reading" : "writing");
    }

    [[noreturn]] void raiseFailed(int error, const char *doing) const {
        raiseDeviceError(error, py::str("{} {} ({} {:#x})").format(doing, text(), space->name, address()));
    }

    ConnectionPtr connection;
    MapPtr map;  // keeps `name`'s block alive
    regmap::Name name;
    const Space *space;
};

class Registers {
public:
    Registers(ConnectionPtr shared, MapPtr loaded) : connection(std::move(shared)), map(std::move(loaded)) {}

    Register get(const std::string &typed) const {
        regmap::Name found;
        std::string hint;
        switch (regmap::findName(*map, typed, found, hint)) {
        case regmap::Lookup::Ambiguous:
            raise(PyExc_KeyError, py::str("'{}' is ambiguous: {}").format(typed, hint));
        case regmap::Lookup::Unknown:
            if (hint.empty()) raise(PyExc_KeyError, py::str("unknown register '{}'").format(typed));
            raise(PyExc_KeyError, py::str("unknown register '{}' (did you mean {}?)").format(typed, hint));
        case regmap::Lookup::Found: break;
        }
        if (found.block->space == regmap::Space::I2c)
            raise(PyExc_KeyError, py::str("{} is a register of an I2C device: read it with "
                                          "dev.i2c(channel).read(address, {:#04x})")
                                      .format(found.text(), found.reg->offset));
        if (found.field)
            raise(PyExc_KeyError,
                  py::str("{} is a field: dev.regs['{}'].decode()['{}'] reads it")
                      .format(found.text(), regmap::Name{found.block, found.instance, found.reg}.text(),
                              found.field->name));
        return Register(connection, map, found);
    }

    // Every register whose name matches the shell pattern, in the map's order.
    std::vector<Register> find(const std::string &pattern) const {
        std::vector<Register> matches;
        for (const regmap::Block &b : map->blocks) {
            if (b.space == regmap::Space::I2c) continue;
            for (const regmap::Instance &i : b.instances)
                for (const regmap::Register &r : b.registers) {
                    const regmap::Name name{&b, &i, &r, nullptr};
                    if (fnmatch(pattern.c_str(), name.text().c_str(), FNM_CASEFOLD) == 0)
                        matches.emplace_back(connection, map, name);
                }
        }
        return matches;
    }

private:
    ConnectionPtr connection;
    MapPtr map;
};

}  // namespace

std::shared_ptr<const regmap::Map> loadRegisterMap(const std::vector<std::string> &files) {
    auto map = std::make_shared<regmap::Map>();
    std::vector<regmap::Fault> faults;
    if (regmap::loadMaps(*map, files, faults)) return map;
    std::string lines;
    for (const regmap::Fault &f : faults) lines += (lines.empty() ? "" : "\n") + regmap::faultText(f);
    raiseError(py::str(lines));
}

py::object namedRegisters(const ConnectionPtr &connection, const MapPtr &map) {
    return py::cast(Registers(connection, map));
}

void bindRegisters(py::module_ &module) {
    fieldType = namedTuple(module, "RegisterField", "name lsb msb access description values",
                           "A field of a register (Register.fields): its name, lowest and highest bit,\n"
                           "access ('rw', 'ro' or 'wo'), description, and the names of its values\n"
                           "(a dict from value to name, empty when the map names none).");
    py::class_<Register>(module, "Register",
                         "A register by name (Device.regs[name]), as the register map describes it.\n"
                         "A failed request raises DeviceError.")
        .def("read", &Register::read, "Reads the register's value (ValueError for a write-only one).")
        .def("write", &Register::write, py::arg("value") = py::none(), py::pos_only(),
             "write(value) writes the whole register; write(field=value, ...) changes only\n"
             "those fields, with one read and one write (a write-only register starts from its\n"
             "reset value).  A field's value is an int or the name the map gives it.  Raises\n"
             "ValueError for a read-only register or field, an unknown field or a value wider\n"
             "than its field; OverflowError for a value wider than the register.")
        .def("decode", &Register::decode, "Reads the register once: its fields' values, by name.")
        .def_property_readonly("fields", &Register::fields, "The register's fields, RegisterFields by name.")
        .def_property_readonly("name", &Register::text, "BLOCK.REGISTER, as the map spells it.")
        .def_property_readonly("address", &Register::address, "The offset in its space.")
        .def_property_readonly("width", &Register::bytes, "The width in bytes: 1, 2, 4 or 8.")
        .def_property_readonly("space", &Register::spaceName, "'reg', 'crtc' or 'pci'.")
        .def_property_readonly(
            "access", [](const Register &r) { return regmap::accessName(r.reg().access); },
            "'rw', 'ro' (read-only) or 'wo' (write-only).")
        .def_property_readonly(
            "description", [](const Register &r) { return r.reg().description; }, "What the map says it is.")
        .def("__repr__", [](const Register &r) {
            return py::str("<tekvaro.Register {} {} {:#x}>").format(r.text(), r.spaceName(), r.address());
        });
    py::class_<Registers>(module, "Registers",
                          "The device's registers by name (Device.regs): regs['ZV0.PORT_CTRL'] is a\n"
                          "Register.  Names are BLOCK.REGISTER in any case, or a bare REGISTER where only\n"
                          "one block has it; an unknown one raises KeyError with the closest names.\n"
                          "The maps are the shipped ones, the user's and those given to open().\n"
                          "Registers of I2C devices are read through Device.i2c().")
        .def("__getitem__", &Registers::get, py::arg("name"))
        .def("find", &Registers::find, py::arg("pattern") = "*",
             "The registers whose BLOCK.REGISTER names match the shell pattern, in any case.")
        .def("__repr__", [](const Registers &) { return "<tekvaro.Registers>"; });
}

}  // namespace tkvpy
