// The requests that are not memory accesses: a monitor's EDID, the driver
// core's version, and PCI configuration space.
#include <string.h>

#include <array>

#include "core_version.h"
#include "edid.h"
#include "errors.h"
#include "parts.h"
#include "spaces.h"

namespace tkvpy {

namespace {

class PciConfig {
public:
    explicit PciConfig(ConnectionPtr shared) : space(&pciSpace()), connection(std::move(shared)) {}

    // A byte or word is taken from the 32-bit word that holds it.
    uint32_t read(const Integer &offset, const Integer &width) const {
        const unsigned bytes = 1u << widthIndex(width);
        if (!space->takes(bytes))
            raise(PyExc_ValueError, py::str("PCI configuration space is read 1, 2 or 4 bytes at a time"));
        const uint32_t at = checkedOffset(offset);
        const uint32_t word = at & ~(space->wordBytes - 1u);
        if (at - word + bytes > space->wordBytes)
            raise(PyExc_ValueError,
                  py::str("{} bytes at PCI offset {:#x} cross a 32-bit word").format(bytes, at));
        uint64_t value = 0;
        if (int error = callClient(*connection, [&] { return space->read(at, bytes, value); }))
            raiseDeviceError(error, py::str("reading PCI configuration at {:#x}").format(word));
        return static_cast<uint32_t>(value);
    }

    // Only whole words: writing part of one would write back the rest, and
    // some status bits clear when written as 1.
    void write(const Integer &offset, const Integer &value, const Integer &width) const {
        const unsigned bytes = 1u << widthIndex(width);
        if (!space->writes(bytes))
            raise(PyExc_ValueError, py::str("PCI configuration space is written 4 bytes at a time"));
        const uint32_t at = checkedOffset(offset);
        if (at % space->wordBytes != 0)
            raise(PyExc_ValueError, py::str("PCI offset {:#x} is not a multiple of 4").format(at));
        const uint64_t word = checkedValue(value, bytes);
        if (int error = callClient(*connection, [&] { return space->write(at, bytes, word); }))
            raiseDeviceError(error, py::str("writing PCI configuration at {:#x}").format(at));
    }

private:
    uint32_t checkedOffset(const Integer &offset) const {
        return static_cast<uint32_t>(checked(offset, space->size - 1, PyExc_ValueError,
                                             "PCI offset {0:#x} is out of range (0 to {1:#x})"));
    }

    const Space *space;
    ConnectionPtr connection;
};

}  // namespace

py::bytes readEdid(const Connection &connection, const Integer &port) {
    const auto ddc = static_cast<uint32_t>(
        checked(port, client::kDdcPorts - 1, PyExc_ValueError, "DDC port {0} does not exist (0 to {1})"));
    client::Edid edid;
    client::Outcome read;
    callLibrary(connection, [&] {
        read = client::readEdid(ddc, edid);
        return 0;
    });
    const py::str action = py::str("reading the EDID on DDC port {}").format(ddc);
    switch (read.failure) {
    case client::Failure::None: break;
    case client::Failure::Absent: raiseNoMonitor(read.errnum ? read.errnum : ENXIO, ddc);
    case client::Failure::Usage: raise(PyExc_ValueError, py::str(read.message));
    case client::Failure::Device:
        if (read.errnum) raiseDeviceError(read.errnum, action);
        raiseDeviceError(EIO, py::str("{}: {}").format(action, read.message));
    }
    py::bytes bytes(reinterpret_cast<const char *>(edid.bytes.data()), edid.bytes.size());
    if (!edid.valid) raiseInvalidEdid(ddc, bytes);
    return bytes;
}

py::object decodeEdid(const py::bytes &data) {
    const std::string text = data;
    client::EdidIdentity identity;
    if (!client::decodeEdidIdentity(std::vector<uint8_t>(text.begin(), text.end()), identity))
        raise(PyExc_ValueError, py::str("not an EDID: no base block with its header"));
    const std::string json =
        client::toJson(identity).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    return py::module_::import("json").attr("loads")(json);
}

py::tuple coreVersion(const Connection &connection) {
    client::CoreVersion version;
    client::Outcome read;
    callLibrary(connection, [&] {
        read = client::readCoreVersion(version);
        return 0;
    });
    if (!read.ok()) raiseDeviceError(read.errnum, py::str("reading the core version"));
    const int *v = version.parts;
    return py::make_tuple(v[0], v[1], v[2], v[3]);
}

void bindPci(py::module_ &module) {
    py::class_<PciConfig>(
        module, "PciConfig",
        "The device's PCI configuration space (Device.pci).  A failed request raises DeviceError.")
        .def("read", &PciConfig::read, py::arg("offset"), py::arg("width") = 4,
             "Reads `width` (1, 2 or 4) bytes at `offset` (0 to 0xff), all within one 32-bit word.")
        .def("write", &PciConfig::write, py::arg("offset"), py::arg("value"), py::arg("width") = 4,
             "Writes the 32-bit word at `offset`, a multiple of 4.  Only whole\n"
             "words are written: writing back the rest of a word could clear status bits.")
        .def("__repr__", [](const PciConfig &) { return "<tekvaro.PciConfig PCI configuration space>"; });
}

py::object pciConfig(const ConnectionPtr &connection) { return py::cast(PciConfig(connection)); }

}  // namespace tkvpy
