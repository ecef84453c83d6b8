#include "errors.h"

#include <string.h>

#include "tekvaro.h"

namespace tkvpy {

namespace {

// Created once with the module and kept for the life of the process.
PyObject *error, *deviceError, *i2cError, *noMonitor, *invalidEdid;

struct ExceptionType {
    PyObject **type;
    const char *name;
    PyObject **base, **secondBase;
    const char *doc;
};

const ExceptionType kExceptions[] = {
    {&error, "tekvaro.Error", &PyExc_Exception, nullptr, "Base class of every error of this module."},
    {&deviceError, "tekvaro.DeviceError", &error, &PyExc_OSError,
     "A driver request failed (also an OSError): errno tells why, strerror what was done."},
    {&i2cError, "tekvaro.I2cError", &error, nullptr,
     "An I2C transaction failed: code is the library's result code, text its description."},
    {&noMonitor, "tekvaro.NoMonitor", &deviceError, nullptr,
     "No monitor answered on the DDC port (a DeviceError)."},
    {&invalidEdid, "tekvaro.InvalidEdid", &error, nullptr,
     "The driver found the EDID not valid (bad header or checksum); data holds the bytes read."},
};

// Raises an instance of `type` made from `args`, with `attributes` set on it.
[[noreturn]] void raiseInstance(PyObject *type, const py::tuple &args, const py::dict &attributes = {}) {
    py::object instance = py::reinterpret_borrow<py::object>(type)(*args);
    for (auto item : attributes) py::setattr(instance, item.first, item.second);
    PyErr_SetObject(type, instance.ptr());
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
}

[[noreturn]] void raise(PyObject *type, const py::str &message) {
    PyErr_SetObject(type, message.ptr());
    throw py::error_already_set();
}

[[noreturn]] void raiseError(const char *message) { raise(error, py::str(message)); }

[[noreturn]] void raiseDeviceError(int err, const py::str &doing) {
    raiseInstance(deviceError, py::make_tuple(err, py::str("{}: {}").format(doing, strerror(err))));
}

[[noreturn]] void raiseI2cError(int code, int channel, unsigned address) {
    const py::str text(tkvI2cErrString(code));
    py::dict attributes;
    attributes["code"] = code;
    attributes["text"] = text;
    raiseInstance(
        i2cError,
        py::make_tuple(py::str("I2C channel {} address {:#04x}: {}").format(channel, address, text)),
        attributes);
}

[[noreturn]] void raiseNoMonitor(int err, unsigned port) {
    raiseInstance(noMonitor,
                  py::make_tuple(err, py::str("no monitor on DDC port {}: {}").format(port, strerror(err))));
}

[[noreturn]] void raiseInvalidEdid(unsigned port, const py::bytes &data) {
    py::dict attributes;
    attributes["data"] = data;
    raiseInstance(invalidEdid, py::make_tuple(py::str("the EDID on DDC port {} is not valid").format(port)),
                  attributes);
}

}  // namespace tkvpy
