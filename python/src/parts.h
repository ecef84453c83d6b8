// The parts of a device, each bound in its own file: register space and
// video memory, the CRT controller, the I2C channels, EDID, PCI configuration
// space and the core version.
#ifndef TKV_PYTHON_PARTS_H
#define TKV_PYTHON_PARTS_H

#include <pybind11/pybind11.h>

#include "arguments.h"
#include "connection.h"

namespace tkvpy {

namespace py = pybind11;

// Define the Python classes in `module`.
void bindMemory(py::module_ &module);
void bindCrtc(py::module_ &module);
void bindI2c(py::module_ &module);
void bindPci(py::module_ &module);

// The objects a Device hands out.
py::object registerSpace(const ConnectionPtr &connection);
py::object videoMemory(const ConnectionPtr &connection);
py::object crtcRegisters(const ConnectionPtr &connection);
py::object i2cChannel(const ConnectionPtr &connection, const Integer &channel);
py::object pciConfig(const ConnectionPtr &connection);

// Single requests.
py::bytes readEdid(const Connection &connection, const Integer &port);
py::tuple coreVersion(const Connection &connection);

}  // namespace tkvpy

#endif
