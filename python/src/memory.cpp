// Register space and video memory: single accesses of 1, 2, 4 or 8 bytes,
// and runs of bytes moved without the GIL by the client layer's transfers.
#include "errors.h"
#include "parts.h"
#include "spaces.h"
#include "transfer.h"

namespace tkvpy {

namespace {

// What Python calls a space, for its messages; the limits are the client layer's.
struct MemoryKind {
    const char *space;  // the client layer's name
    const char *name;
    const char *offsetMessage;
};

const MemoryKind kRegisterSpace{"reg", "register space",
                                "offset {0:#x} is outside register space (0 to {1:#x})"};
const MemoryKind kVideoMemory{"vram", "video memory", "offset {0:#x} is outside video memory (0 to {1:#x})"};

class Memory {
public:
    Memory(const MemoryKind &of, ConnectionPtr shared)
        : kind(&of), space(findSpace(of.space)), connection(std::move(shared)) {}

    uint64_t read(const Integer &offset, const Integer &width) const {
        const unsigned bytes = 1u << widthIndex(width);
        const uint32_t at = checkedItem(offset, bytes, false);
        uint64_t value = 0;
        const int error = callClient(*connection, [&] { return space->read(at, bytes, value); });
        if (error) raiseFailed(error, "reading", at, bytes);
        return value;
    }

    void write(const Integer &offset, const Integer &value, const Integer &width) const {
        const unsigned bytes = 1u << widthIndex(width);
        const uint32_t at = checkedItem(offset, bytes, true);
        const uint64_t contents = checkedValue(value, bytes);
        const int error = callClient(*connection, [&] { return space->write(at, bytes, contents); });
        if (error) raiseFailed(error, "writing", at, bytes);
    }

    py::bytes readBytes(const Integer &offset, const Integer &n) const {
        const uint32_t start = checkedOffset(offset);
        const auto length = static_cast<uint32_t>(checkedRun(start, n));
        auto result =
            py::reinterpret_steal<py::bytes>(PyBytes_FromStringAndSize(nullptr, Py_ssize_t(length)));
        if (!result) throw py::error_already_set();
        auto *data = reinterpret_cast<uint8_t *>(PyBytes_AS_STRING(result.ptr()));
        Failure failure;
        callClientWithoutGil(*connection, [&] {
            ::readBytes(*space, start, length, 0, data, nullptr, failure);
            return 0;
        });
        if (failure.error) raiseFailed(failure.error, "reading", failure.address, failure.width);
        return result;
    }

    void writeBytes(const Integer &offset, const py::buffer &data) const {
        const uint32_t start = checkedOffset(offset);
        const ByteView view(data);
        if (view.size() > uint64_t{space->size} - start) raiseOverrun(start, view.size());
        Failure failure;
        callClientWithoutGil(*connection, [&] {
            ::writeBytes(*space, start, static_cast<uint32_t>(view.size()), 0, view.data(), failure);
            return 0;
        });
        if (failure.error) raiseFailed(failure.error, "writing", failure.address, failure.width);
    }

    uint64_t size() const { return space->size; }
    const char *name() const { return kind->name; }

private:
    uint32_t checkedOffset(const Integer &offset) const {
        return static_cast<uint32_t>(checked(offset, size() - 1, PyExc_ValueError, kind->offsetMessage));
    }

    // The length of a run from `start`, which must end inside the space.
    // An item must lie wholly inside the space, as every front end has it.
    uint32_t checkedItem(const Integer &offset, unsigned bytes, bool writing) const {
        const uint32_t at = checkedOffset(offset);
        const std::string problem = space->itemsProblem(at, bytes, 1, writing);
        if (!problem.empty()) raise(PyExc_ValueError, py::str(problem));
        return at;
    }

    uint64_t checkedRun(uint32_t start, const Integer &n) const {
        const uint64_t bytes =
            checked(n, size(), PyExc_ValueError, "byte count {0} is out of range (0 to {1:#x})");
        if (bytes > size() - start) raiseOverrun(start, bytes);
        return bytes;
    }

    [[noreturn]] void raiseOverrun(uint32_t start, uint64_t bytes) const {
        raise(PyExc_ValueError, py::str("{:#x} bytes at {:#x} run past the end of {} ({:#x})")
                                    .format(bytes, start, kind->name, size() - 1));
    }

    [[noreturn]] void raiseFailed(int error, const char *doing, uint32_t at, unsigned width) const {
        raiseDeviceError(error, py::str("{} {} bytes of {} at {:#x}").format(doing, width, kind->name, at));
    }

    const MemoryKind *kind;
    const Space *space;
    ConnectionPtr connection;
};

}  // namespace

void bindMemory(py::module_ &module) {
    py::class_<Memory>(module, "Memory",
                       "Register space (Device.reg, 16 MiB) or video memory (Device.vram, 256 MiB).\n\n"
                       "Values are little-endian unsigned integers of 1, 2, 4 or 8 bytes at any offset.\n"
                       "A failed request raises DeviceError.")
        .def("read", &Memory::read, py::arg("offset"), py::arg("width") = 4,
             "Reads `width` (1, 2, 4 or 8) bytes at `offset`.")
        .def("write", &Memory::write, py::arg("offset"), py::arg("value"), py::arg("width") = 4,
             "Writes `value` as `width` (1, 2, 4 or 8) bytes at `offset`.")
        .def("read_bytes", &Memory::readBytes, py::arg("offset"), py::arg("n"),
             "Reads `n` bytes from `offset`, each request as wide as the\n"
             "alignment allows (up to 8 bytes).  Other Python threads run meanwhile.")
        .def("write_bytes", &Memory::writeBytes, py::arg("offset"), py::arg("data"),
             "Writes the bytes-like `data` from `offset`, each request as wide\n"
             "as the alignment allows.  Other Python threads run meanwhile; on a failure the bytes\n"
             "before the failed request have been written.")
        .def_property_readonly("size", &Memory::size, "The size of the space in bytes.")
        .def("__repr__",
             [](const Memory &memory) { return py::str("<tekvaro.Memory {}>").format(memory.name()); });
}

py::object registerSpace(const ConnectionPtr &connection) {
    return py::cast(Memory(kRegisterSpace, connection));
}

py::object videoMemory(const ConnectionPtr &connection) { return py::cast(Memory(kVideoMemory, connection)); }

}  // namespace tkvpy
