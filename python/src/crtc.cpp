// CRT controller 0's registers, indexed like a sequence: dev.crtc[0x11].
#include "errors.h"
#include "parts.h"
#include "spaces.h"

namespace tkvpy {

namespace {

class Crtc {
public:
    explicit Crtc(ConnectionPtr shared) : space(findSpace("crtc")), connection(std::move(shared)) {}

    uint8_t get(const Integer &index) const {
        const uint32_t at = checkedIndex(index);
        uint64_t value = 0;
        if (int error = callClient(*connection, [&] { return space->read(at, 1, value); }))
            raiseDeviceError(error, py::str("reading CRTC register {:#x}").format(at));
        return static_cast<uint8_t>(value);
    }

    void set(const Integer &index, const Integer &value) const {
        const uint32_t at = checkedIndex(index);
        const uint64_t byte = checkedValue(value, 1);
        if (int error = callClient(*connection, [&] { return space->write(at, 1, byte); }))
            raiseDeviceError(error, py::str("writing CRTC register {:#x}").format(at));
    }

    uint32_t size() const { return space->size; }

private:
    uint32_t checkedIndex(const Integer &index) const {
        return static_cast<uint32_t>(
            checked(index, size() - 1, PyExc_IndexError, "CRTC index {0:#x} is out of range (0 to {1:#x})"));
    }

    const Space *space;
    ConnectionPtr connection;
};

}  // namespace

void bindCrtc(py::module_ &module) {
    py::class_<Crtc>(module, "Crtc",
                     "CRT controller 0's registers (Device.crtc), reached through its index/data pair.\n\n"
                     "crtc[index] reads and crtc[index] = value writes the byte at index 0 to 0xfe.")
        .def("__getitem__", &Crtc::get, py::arg("index"))
        .def("__setitem__", &Crtc::set, py::arg("index"), py::arg("value"))
        .def("__len__", &Crtc::size)
        .def(
            "__iter__",
            [](const py::object &self) {  // lazily, one register at a time
                const py::module_ builtins = py::module_::import("builtins");
                return builtins.attr("map")(self.attr("__getitem__"),
                                            builtins.attr("range")(self.attr("__len__")()));
            },
            "The registers' values from index 0 to 0xfe, each read when it is reached.")
        .def("__repr__", [](const Crtc &) { return "<tekvaro.Crtc CRT controller 0>"; });
}

py::object crtcRegisters(const ConnectionPtr &connection) { return py::cast(Crtc(connection)); }

}  // namespace tkvpy
