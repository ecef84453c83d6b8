// The module tekvaro._tekvaro: open() and the Device it returns.  The package
// tekvaro re-exports everything from here.
#include <limits.h>

#include "errors.h"
#include "parts.h"
#include "tekvaro.h"

namespace tkvpy {

namespace {

// The library keeps one connection per process: true while a Device holds it.
// Changes only under the library lock.
bool connected = false;

class Device {
public:
    explicit Device(int number) : connection(std::make_shared<Connection>(Connection{number, false})) {}

    // A device nobody closed is closed when it goes.
    ~Device() {
        auto lock = lockLibrary();
        closeLocked();
    }
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    void open() {
        Outcome outcome{0, 0};
        {
            auto lock = lockLibrary();
            if (connected)
                raiseError("a device is already open (the library keeps one connection): close it first");
            outcome = {tkvOpen(connection->device), errno};
            connection->open = connected = outcome.result >= 0;
        }
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

private:
    Outcome closeLocked() {
        if (!connection->open) return {0, 0};
        const Outcome outcome{tkvClose(), errno};
        connection->open = connected = false;
        return outcome;
    }

    ConnectionPtr connection;
};

// The parts are plain attributes of the Python object: reaching one costs a
// dictionary look-up, not a call.
py::object openDevice(const Integer &device) {
    auto opened = std::make_unique<Device>(
        static_cast<int>(checked(device, INT_MAX, PyExc_ValueError, "device {0} does not exist (0 to {1})")));
    opened->open();
    const ConnectionPtr connection = opened->shared();
    py::object wrapped = py::cast(std::move(opened));
    wrapped.attr("reg") = registerSpace(connection);
    wrapped.attr("vram") = videoMemory(connection);
    wrapped.attr("crtc") = crtcRegisters(connection);
    wrapped.attr("pci") = pciConfig(connection);
    return wrapped;
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

    py::class_<Device>(module, "Device", py::dynamic_attr(),
                       "An open device, from tekvaro.open().  Its parts:\n\n"
                       "  reg   register space (a Memory of 16 MiB)\n"
                       "  vram  video memory (a Memory of 256 MiB)\n"
                       "  crtc  CRT controller 0's registers (a Crtc)\n"
                       "  pci   PCI configuration space (a PciConfig)\n\n"
                       "Closing it (close(), or the end of a with block) ends the connection; its parts\n"
                       "then raise Error.")
        .def(
            "i2c",
            [](const Device &device, const tkvpy::Integer &channel) {
                return tkvpy::i2cChannel(device.shared(), channel);
            },
            py::arg("channel"), "The I2cChannel of I2C master channel 0 or 1.")
        .def(
            "edid",
            [](const Device &device, const tkvpy::Integer &port) {
                return tkvpy::readEdid(*device.shared(), port);
            },
            py::arg("port"),
            "The EDID of the monitor on DDC port 0 to 3.  Raises NoMonitor when\n"
            "none answers, InvalidEdid when the driver finds the bytes not valid.")
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

    module.def("open", &tkvpy::openDevice, py::arg("device") = 0,
               "Opens device `device` (0 is the first) and returns its Device; use it in a\n"
               "with block to close it at the end.  The library keeps one connection per process:\n"
               "opening a second device while one is open raises Error.  Device n keeps n\n"
               "further descriptors of the driver's node open for the life of the process.");
    module.attr("__version__") = TKV_VERSION;

    // The classes belong to the package users import.
    for (const char *name : {"Device", "Memory", "Crtc", "I2cChannel", "PciConfig"})
        module.attr(name).attr("__module__") = "tekvaro";
}
