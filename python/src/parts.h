// The parts of a device, each bound in its own file: register space and
// video memory, the CRT controller, the I2C channels, the zoom video ports,
// EDID, PCI configuration space and the core version.
#ifndef TKV_PYTHON_PARTS_H
#define TKV_PYTHON_PARTS_H

#include <pybind11/pybind11.h>

#include <memory>
#include <string>
#include <vector>

#include "arguments.h"
#include "connection.h"

namespace regmap {
struct Map;
}

namespace tkvpy {

namespace py = pybind11;

// Define the Python classes in `module`.
void bindMemory(py::module_ &module);
void bindCrtc(py::module_ &module);
void bindI2c(py::module_ &module);
void bindPci(py::module_ &module);
void bindZoomVideo(py::module_ &module);
void bindRegisters(py::module_ &module);
void bindFrame(py::module_ &module);

// A named tuple type `name` of the package, made from its field names and
// kept by `module`.
PyObject *namedTuple(py::module_ &module, const char *name, const char *fields, const char *doc);

// The shipped and user maps with `files`; raises Error with the faults, one a line.
std::shared_ptr<const regmap::Map> loadRegisterMap(const std::vector<std::string> &files);

// The objects a Device hands out.
py::object registerSpace(const ConnectionPtr &connection);
py::object videoMemory(const ConnectionPtr &connection);
py::object crtcRegisters(const ConnectionPtr &connection);
py::object i2cChannel(const ConnectionPtr &connection, const Integer &channel);
py::object pciConfig(const ConnectionPtr &connection);
py::object zoomVideoPort(const ConnectionPtr &connection, const Integer &port);
// Port `port`'s frame as captured, in the pixel format named `format`.
py::object captureFrame(const ConnectionPtr &connection, unsigned port, const std::string &format);
py::object namedRegisters(const ConnectionPtr &connection, const std::shared_ptr<const regmap::Map> &map);

// The device's snapshot as a dict; the differences between two snapshots
// (JSON texts) as a list of dicts, ValueError when one is not a snapshot.
py::object takeSnapshot(const ConnectionPtr &connection, const std::shared_ptr<const regmap::Map> &map);
py::list compareSnapshots(const std::string &first, const std::string &second,
                          const std::vector<std::string> &ignore, const std::vector<std::string> &maps);

// Single requests.
py::bytes readEdid(const Connection &connection, const Integer &port);
// The identity a base EDID block gives, as tkvtool edid --json shows it.
py::object decodeEdid(const py::bytes &data);
py::tuple coreVersion(const Connection &connection);

}  // namespace tkvpy

#endif
