// The module tekvaro._tekvaro: open() and the Device it returns.  The package
// tekvaro re-exports everything from here.
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "errors.h"
#include "parts.h"
#include "quiet_open.h"

namespace tkvpy {

namespace {

// Device numbers, as tkvtool takes them: device n is the n+1-th descriptor
// the library opens on the driver's node.
constexpr uint64_t kLastDevice = 0xFF;

// The library keeps one connection per process: true while a Device holds it.
// Changes only under the library lock.
bool connected = false;

class Device {
public:
    explicit Device(int number) : connection(std::make_shared<Connection>(Connection{number, false})) {}

    // A device nobody closed is closed when it goes.  The lock is awaited with
    // the GIL held, which is safe (see connection.h) and never ends the thread.
    ~Device() {
        std::lock_guard<std::mutex> lock(libraryMutex());
        closeLocked();
    }
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    void open() {
        Outcome outcome{0, 0};
        bool busy = false;
        {
            auto lock = lockLibrary();
            busy = connected;
            if (!busy) {
                outcome = {quietOpen(connection->device), errno};
                connection->open = connected = outcome.result >= 0;
            }
        }
        if (busy) raiseError("a device is already open (the library keeps one connection): close it first");
        if (outcome.result < 0)
            raiseDeviceError(-outcome.result, py::str("opening device {}").format(connection->device));
    }

    void close() {
        Outcome outcome{0, 0};
        {
            auto lock = lockLibrary();
            outcome = closeLocked();
        }
        if (outcome.result != 0) raiseDeviceError(outcome.error, py::str("closing the device"));
    }

    bool closed() const { return !connection->open; }
    int number() const { return connection->device; }
    const ConnectionPtr &shared() const { return connection; }
    // The register maps open() loaded: what a snapshot reads by name.
    std::shared_ptr<const regmap::Map> map;

private:
    Outcome closeLocked() {
        if (!connection->open) return {0, 0};
        const int error = closeDevice();
        const Outcome outcome{error ? -1 : 0, error};
        connection->open = connected = false;
        return outcome;
    }

    ConnectionPtr connection;
};

// The parts are set once, in the object's dictionary: reaching one costs a
// dictionary look-up, not a call.  Device's __setattr__ refuses any other
// setting, so this goes around it.
void setPart(const py::object &device, const char *name, const py::object &part) {
    if (PyObject_GenericSetAttr(device.ptr(), py::str(name).ptr(), part.ptr()) != 0)
        throw py::error_already_set();
}

py::object openDevice(const Integer &device, const std::vector<std::string> &maps) {
    const auto number = static_cast<int>(
        checked(device, kLastDevice, PyExc_ValueError, "device {0} does not exist (0 to {1:#x})"));
    // The maps first: a fault in one leaves nothing open.
    const std::shared_ptr<const regmap::Map> map = loadRegisterMap(maps);
    auto opened = std::make_unique<Device>(number);
    opened->map = map;
    opened->open();
    const ConnectionPtr connection = opened->shared();
    py::object wrapped = py::cast(std::move(opened));
    setPart(wrapped, "reg", registerSpace(connection));
    setPart(wrapped, "vram", videoMemory(connection));
    setPart(wrapped, "crtc", crtcRegisters(connection));
    setPart(wrapped, "pci", pciConfig(connection));
    setPart(wrapped, "regs", namedRegisters(connection, map));
    return wrapped;
}

// A Device's attributes are its parts and properties, none to add or change.
[[noreturn]] void refuseAttribute(const py::object &device, const py::str &name) {
    if (py::hasattr(device, name))
        raise(PyExc_AttributeError, py::str("attribute '{}' of tekvaro.Device is read-only").format(name));
    raise(PyExc_AttributeError, py::str("'tekvaro.Device' object has no attribute '{}'").format(name));
}

}  // namespace

}  // namespace tkvpy

PYBIND11_MODULE(_tekvaro, module) {
    namespace py = pybind11;
    using tkvpy::Device;
    module.doc() = "The compiled part of the tekvaro package; import tekvaro instead.";
    tkvpy::defineErrors(module);
    tkvpy::bindMemory(module);
    tkvpy::bindCrtc(module);
    tkvpy::bindI2c(module);
    tkvpy::bindPci(module);
    tkvpy::bindZoomVideo(module);
    tkvpy::bindRegisters(module);
    tkvpy::bindFrame(module);

    py::class_<Device>(module, "Device", py::dynamic_attr(),
                       "An open device, from tekvaro.open().  Its parts:\n\n"
                       "  reg   register space (a Memory of 16 MiB)\n"
                       "  vram  video memory (a Memory of 256 MiB)\n"
                       "  crtc  CRT controller 0's registers (a Crtc)\n"
                       "  pci   PCI configuration space (a PciConfig)\n"
                       "  regs  the registers by name (Registers), as the register maps give them\n\n"
                       "and i2c(channel), zv(port), edid(port) and version.  Closing it (close(), or\n"
                       "the end of a with block) ends the connection; its parts then raise Error.")
        .def("__setattr__", [](const py::object &self, const py::str &name,
                               const py::object &) { tkvpy::refuseAttribute(self, name); })
        .def("__delattr__", &tkvpy::refuseAttribute)
        .def(
            "i2c",
            [](const Device &device, const tkvpy::Integer &channel) {
                return tkvpy::i2cChannel(device.shared(), channel);
            },
            py::arg("channel"), "The I2cChannel of I2C master channel 0 or 1.")
        .def(
            "zv",
            [](const Device &device, const tkvpy::Integer &port) {
                return tkvpy::zoomVideoPort(device.shared(), port);
            },
            py::arg("port"), "The ZoomVideoPort of zoom video capture port 0 or 1.")
        .def(
            "edid",
            [](const Device &device, const tkvpy::Integer &port) {
                return tkvpy::readEdid(*device.shared(), port);
            },
            py::arg("port"),
            "The EDID of the monitor on DDC port 0 to 3.  Raises NoMonitor when\n"
            "none answers, InvalidEdid when the driver finds the bytes not valid.")
        .def(
            "snapshot", [](const Device &device) { return tkvpy::takeSnapshot(device.shared(), device.map); },
            "The board's whole state as a dict, the document `tkvtool snapshot` writes:\n"
            "registers by name, PCI and CRTC bytes, I2C devices of known types, EDIDs,\n"
            "zoom video ports, versions.  What could not be read is {'error': text}.")
        .def_property_readonly(
            "version", [](const Device &device) { return tkvpy::coreVersion(*device.shared()); },
            "The driver core's version: four ints, most significant first.")
        .def("close", &Device::close, "Ends the connection; closing again does nothing.")
        .def_property_readonly("closed", &Device::closed, "True once the device is closed.")
        .def_property_readonly("device", &Device::number, "The device number given to open().")
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](Device &device, const py::args &) { device.close(); })
        .def("__repr__", [](const Device &device) {
            return py::str("<tekvaro.Device {} {}>")
                .format(device.number(), device.closed() ? "closed" : "open");
        });

    // tekvaro.open, a plain Python function, calls this.
    module.def("_open", &tkvpy::openDevice, py::arg("device"), py::arg("maps"));
    // tekvaro.diff, a plain Python function, calls this.
    module.def("_diff", &tkvpy::compareSnapshots, py::arg("first"), py::arg("second"), py::arg("ignore"),
               py::arg("maps"));
    module.def("decode_edid", &tkvpy::decodeEdid, py::arg("data"),
               "The identity an EDID's base block gives, as tkvtool edid --json shows it: a dict\n"
               "of manufacturer, product, serial, serial_text, week, year, version, name and\n"
               "preferred (the first detailed timing: width, height, refresh_hz, pixel_clock_khz).\n"
               "Raises ValueError for bytes without a base block.");
    module.attr("__version__") = TKV_VERSION;

    // The classes belong to the package users import.
    for (const char *name : {"Device", "Memory", "Crtc", "I2cChannel", "PciConfig", "ZoomVideoPort",
                             "Register", "Registers", "Frame"})
        module.attr(name).attr("__module__") = "tekvaro";
}
