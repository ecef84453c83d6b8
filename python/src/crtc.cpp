// CRT controller 0's registers, indexed like a sequence: dev.crtc[0x11].
#include "errors.h"
#include "parts.h"
#include "tekvaro.h"

namespace tkvpy {

namespace {

constexpr unsigned kLastIndex = 0xFE;

class Crtc {
public:
    explicit Crtc(ConnectionPtr shared) : connection(std::move(shared)) {}

    uint8_t get(const Integer &index) const {
        const uint32_t at = checkedIndex(index);
        uint8_t value = 0;
        const Outcome outcome = callLibrary(*connection, [&] { return tkvCrtcReadByte(at, &value); });
        if (outcome.result != 0)
            raiseDeviceError(outcome.error, py::str("reading CRTC register {:#x}").format(at));
        return value;
    }

    void set(const Integer &index, const Integer &value) const {
        const uint32_t at = checkedIndex(index);
        const auto byte = static_cast<uint8_t>(checkedValue(value, 1));
        const Outcome outcome = callLibrary(*connection, [&] { return tkvCrtcWriteByte(at, byte); });
        if (outcome.result != 0)
            raiseDeviceError(outcome.error, py::str("writing CRTC register {:#x}").format(at));
    }

private:
    static uint32_t checkedIndex(const Integer &index) {
        return static_cast<uint32_t>(
            checked(index, kLastIndex, PyExc_IndexError, "CRTC index {0:#x} is out of range (0 to {1:#x})"));
    }

    ConnectionPtr connection;
};

}  // namespace

void bindCrtc(py::module_ &module) {
    py::class_<Crtc>(module, "Crtc",
                     "CRT controller 0's registers (Device.crtc), reached through its index/data pair.\n\n"
                     "crtc[index] reads and crtc[index] = value writes the byte at index 0 to 0xfe.")
        .def("__getitem__", &Crtc::get, py::arg("index"))
        .def("__setitem__", &Crtc::set, py::arg("index"), py::arg("value"))
        .def("__len__", [](const Crtc &) { return kLastIndex + 1; })
        .def(
            "__iter__",
            [](const py::object &self) {  // lazily, one register at a time
                const py::module_ builtins = py::module_::import("builtins");
                return builtins.attr("map")(self.attr("__getitem__"), builtins.attr("range")(kLastIndex + 1));
            },
            "The registers' values from index 0 to 0xfe, each read when it is reached.")
        .def("__repr__", [](const Crtc &) { return "<tekvaro.Crtc CRT controller 0>"; });
}

py::object crtcRegisters(const ConnectionPtr &connection) { return py::cast(Crtc(connection)); }

}  // namespace tkvpy
