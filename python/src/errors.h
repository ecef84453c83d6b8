// The module's exceptions and the ways to raise them.
#ifndef TKV_PYTHON_ERRORS_H
#define TKV_PYTHON_ERRORS_H

#include <pybind11/pybind11.h>

#include <string>

namespace tkvpy {

namespace py = pybind11;

// Creates tekvaro.Error and its subclasses in `module`.
void defineErrors(py::module_ &module);

// Raises `type` (a Python exception type) with `message`.
[[noreturn]] void raise(PyObject *type, const py::str &message);

// tekvaro.Error: misuse that is not a bad argument (a closed device, a second open).
[[noreturn]] void raiseError(const py::str &message);

// tekvaro.DeviceError (an OSError): a driver request failed with `err`
// while doing `action`; strerror is the error's text alone.
[[noreturn]] void raiseDeviceError(int err, const py::str &action);

// OSError, as open() raises it (FileNotFoundError for ENOENT, ...): the file
// `path` failed with `err`; `why` is the reason where it is not strerror's.
[[noreturn]] void raiseFileError(int err, const std::string &path, const char *why = nullptr);

// tekvaro.I2cError: a transaction with `address` ended with the library's result `code`.
[[noreturn]] void raiseI2cError(int code, unsigned channel, unsigned address);

// tekvaro.I2cDisabled (an I2cError): the channel's core is switched off.
[[noreturn]] void raiseI2cDisabled(unsigned channel, uint8_t control);

// tekvaro.NoMonitor (a DeviceError): nothing answered on DDC port `port`.
[[noreturn]] void raiseNoMonitor(int err, unsigned port);

// tekvaro.InvalidEdid: the driver found port `port`'s EDID `data` not valid.
[[noreturn]] void raiseInvalidEdid(unsigned port, const py::bytes &data);

}  // namespace tkvpy

#endif
