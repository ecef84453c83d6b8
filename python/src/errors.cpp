#include "errors.h"

#include <string.h>

#include "i2c_channel.h"

namespace tkvpy {

namespace {

// Created once with the module and kept for the life of the process.
PyObject *baseError, *deviceError, *i2cError, *i2cDisabled, *noMonitor, *invalidEdid;

struct ExceptionType {
    PyObject **type;
    const char *name;
    PyObject **base, **secondBase;
    const char *doc;
};

const ExceptionType kExceptions[] = {
    {&baseError, "tekvaro.Error", &PyExc_Exception, nullptr, "Base class of every error of this module."},
    {&deviceError, "tekvaro.DeviceError", &baseError, &PyExc_OSError,
     "A driver request failed (also an OSError): errno and strerror tell why, action what was done."},
    {&i2cError, "tekvaro.I2cError", &baseError, nullptr,
     "An I2C transaction failed: code is the library's result code, text says what happened."},
    {&i2cDisabled, "tekvaro.I2cDisabled", &i2cError, &deviceError,
     "The channel's I2C core is disabled (an I2cError, and a DeviceError like every failure of\n"
     "the device): nothing was sent; control holds its control register."},
    {&noMonitor, "tekvaro.NoMonitor", &deviceError, nullptr,
     "No monitor answered on the DDC port (a DeviceError)."},
    {&invalidEdid, "tekvaro.InvalidEdid", &baseError, nullptr,
     "The driver found the EDID not valid (bad header or checksum); data holds the bytes read."},
};

// A DeviceError reads as OSError does, with what was done before the reason.
py::str describeDeviceError(const py::handle &self) {
    return py::str("[Errno {}] {}: {}")
        .format(self.attr("errno"), self.attr("action"), self.attr("strerror"));
}

// Raises an instance of `type` made from `args`, with `attributes` set on it;
// its own type may be a subclass (OSError makes FileNotFoundError for ENOENT).
[[noreturn]] void raiseInstance(PyObject *type, const py::tuple &args, const py::dict &attributes = {}) {
    py::object instance = py::reinterpret_borrow<py::object>(type)(*args);
    for (auto item : attributes) py::setattr(instance, item.first, item.second);
    PyErr_SetObject(reinterpret_cast<PyObject *>(Py_TYPE(instance.ptr())), instance.ptr());
    throw py::error_already_set();
}

}  // namespace

void defineErrors(py::module_ &module) {
    for (const ExceptionType &e : kExceptions) {
        const char *name = strchr(e.name, '.') + 1;
        py::object bases = e.secondBase ? py::make_tuple(py::handle(*e.base), py::handle(*e.secondBase))
                                        : py::reinterpret_borrow<py::object>(*e.base);
        *e.type = PyErr_NewExceptionWithDoc(e.name, e.doc, bases.ptr(), nullptr);
        if (!*e.type) throw py::error_already_set();
        module.attr(name) = py::handle(*e.type);
    }
    py::handle type(deviceError);
    type.attr("action") = "";  // for a DeviceError made outside this module
    type.attr("__str__") = py::cpp_function(describeDeviceError, py::name("__str__"), py::is_method(type));
    // A disabled channel has no error number: it reads as its message.
    py::handle disabled(i2cDisabled);
    disabled.attr("__str__") =
        py::cpp_function([](const py::handle &self) { return py::str(self.attr("args")[py::int_(0)]); },
                         py::name("__str__"), py::is_method(disabled));
}

[[noreturn]] void raise(PyObject *type, const py::str &message) {
    PyErr_SetObject(type, message.ptr());
    throw py::error_already_set();
}

[[noreturn]] void raiseError(const py::str &message) { raise(baseError, message); }

[[noreturn]] void raiseDeviceError(int err, const py::str &action) {
    py::dict attributes;
    attributes["action"] = action;
    raiseInstance(deviceError, py::make_tuple(err, strerror(err)), attributes);
}

[[noreturn]] void raiseFileError(int err, const std::string &path, const char *why) {
    const py::str name = py::module_::import("os").attr("fsdecode")(py::bytes(path));
    raiseInstance(PyExc_OSError, py::make_tuple(err, why ? why : strerror(err), name));
}

[[noreturn]] void raiseI2cError(int code, unsigned channel, unsigned address) {
    const py::str text(i2cReason(code));
    py::dict attributes;
    attributes["code"] = code;
    attributes["text"] = text;
    raiseInstance(
        i2cError,
        py::make_tuple(py::str("I2C channel {} address {:#04x}: {}").format(channel, address, text)),
        attributes);
}

// The code is the library's for a channel that cannot be used.
[[noreturn]] void raiseI2cDisabled(unsigned channel, uint8_t control) {
    py::dict attributes;
    attributes["code"] = kI2cNoChannel;
    attributes["text"] = "the channel is disabled";
    attributes["control"] = control;
    raiseInstance(
        i2cDisabled,
        py::make_tuple(py::str("I2C channel {} is disabled (control {:#04x})").format(channel, control)),
        attributes);
}

[[noreturn]] void raiseNoMonitor(int err, unsigned port) {
    py::dict attributes;
    attributes["action"] = py::str("reading the EDID on DDC port {}").format(port);
    raiseInstance(noMonitor, py::make_tuple(err, strerror(err)), attributes);
}

[[noreturn]] void raiseInvalidEdid(unsigned port, const py::bytes &data) {
    py::dict attributes;
    attributes["data"] = data;
    raiseInstance(invalidEdid, py::make_tuple(py::str("the EDID on DDC port {} is not valid").format(port)),
                  attributes);
}

}  // namespace tkvpy
