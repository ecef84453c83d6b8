// Snapshots: the device's whole state as the same document tkvtool snapshot
// writes (read without the GIL, handed to Python's json module), and the
// differences between two, as tkvtool diff finds them.
#include "errors.h"
#include "parts.h"
#include "snapshot.h"

#ifndef TKV_VERSION
#define TKV_VERSION "unknown"
#endif

namespace tkvpy {

py::object takeSnapshot(const ConnectionPtr &connection, const std::shared_ptr<const regmap::Map> &map) {
    std::string text;
    callWithoutGil(*connection, [&] {
        bool complete = true;
        text = snapshot::take(*map, connection->device, TKV_VERSION, complete);
        return 0;
    });
    return py::module_::import("json").attr("loads")(text);
}

py::list compareSnapshots(const std::string &first, const std::string &second,
                          const std::vector<std::string> &ignore, const std::vector<std::string> &maps) {
    const std::shared_ptr<const regmap::Map> map = loadRegisterMap(maps);
    std::vector<snapshot::Difference> differences;
    std::string why;
    if (!snapshot::compare(first, second, *map, ignore, differences, why))
        raise(PyExc_ValueError, py::str(why));
    const py::object loads = py::module_::import("json").attr("loads");
    py::list list;
    for (const snapshot::Difference &d : differences)
        list.append(loads(d.json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)));
    return list;
}

}  // namespace tkvpy
