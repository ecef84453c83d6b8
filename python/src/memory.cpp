// Register space and video memory: single accesses of 1, 2, 4 or 8 bytes,
// and runs of bytes moved without the GIL in the widest requests their
// alignment allows.
#include <string.h>

#include "errors.h"
#include "parts.h"
#include "tekvaro.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the request records carry little-endian values");

namespace tkvpy {

namespace {

using ReadFn = int (*)(uint32_t, uint64_t *);
using WriteFn = int (*)(uint32_t, uint64_t);

template <typename T, int (*Read)(uint32_t, T *)>
int readWidened(uint32_t offset, uint64_t *value) {
    T narrow = 0;
    const int result = Read(offset, &narrow);
    *value = narrow;
    return result;
}

template <typename T, int (*Write)(uint32_t, T)>
int writeNarrowed(uint32_t offset, uint64_t value) {
    return Write(offset, static_cast<T>(value));
}

constexpr unsigned kWidths[] = {1, 2, 4, 8};

// One address space: the library's functions of each width, by width index
// (the quad functions have the common signature already).
struct Space {
    const char *name;
    uint32_t last;  // the largest offset the library accepts
    const char *offsetMessage;
    ReadFn read[4];
    WriteFn write[4];
};

// The table of one area's eight library functions (tkvRegReadByte ...),
// the reads above the writes.
// clang-format off
#define TKV_SPACE(area, name, last)                                                                    \
    Space{name, last, "offset {0:#x} is outside " name " (0 to {1:#x})",                               \
          {readWidened<uint8_t, tkv##area##ReadByte>, readWidened<uint16_t, tkv##area##ReadWord>,       \
           readWidened<uint32_t, tkv##area##ReadLong>, tkv##area##ReadQuad},                            \
          {writeNarrowed<uint8_t, tkv##area##WriteByte>, writeNarrowed<uint16_t, tkv##area##WriteWord>, \
           writeNarrowed<uint32_t, tkv##area##WriteLong>, tkv##area##WriteQuad}}
// clang-format on
const Space kRegisterSpace = TKV_SPACE(Reg, "register space", 0xFFFFFF);
const Space kVideoMemory = TKV_SPACE(Vram, "video memory", 0xFFFFFFF);
#undef TKV_SPACE

// The widest access at `offset` that its alignment allows and `remaining` holds.
unsigned widestIndex(uint32_t offset, size_t remaining) {
    for (unsigned index = 3; index > 0; --index)
        if (offset % kWidths[index] == 0 && remaining >= kWidths[index]) return index;
    return 0;
}

// Where a run of requests stopped.
struct Failed {
    uint32_t offset;
    unsigned width;
};

// One request of `Width` bytes between `data` and the space at `offset`.
template <unsigned Width>
int moveOne(const Space &space, uint32_t offset, uint8_t *data, bool writing) {
    constexpr unsigned index = Width == 1 ? 0 : Width == 2 ? 1 : Width == 4 ? 2 : 3;
    uint64_t value = 0;
    if (writing) {
        memcpy(&value, data, Width);
        return space.write[index](offset, value);
    }
    const int result = space.read[index](offset, &value);
    memcpy(data, &value, Width);
    return result;
}

// Moves `bytes` bytes between `data` and the space from `start`: 0, or the
// failed request's result with where it was.
int transferRange(const Space &space, uint32_t start, size_t bytes, uint8_t *data, bool writing,
                  Failed *failed) {
    for (size_t done = 0; done < bytes;) {
        const uint32_t offset = start + static_cast<uint32_t>(done);
        const unsigned index = widestIndex(offset, bytes - done);
        int result = 0;
        switch (index) {  // each width's copy inlined: a run makes millions of requests
        case 3: result = moveOne<8>(space, offset, data + done, writing); break;
        case 2: result = moveOne<4>(space, offset, data + done, writing); break;
        case 1: result = moveOne<2>(space, offset, data + done, writing); break;
        default: result = moveOne<1>(space, offset, data + done, writing); break;
        }
        if (result != 0) {
            *failed = {offset, kWidths[index]};
            return result;
        }
        done += kWidths[index];
    }
    return 0;
}

class Memory {
public:
    Memory(const Space &of, ConnectionPtr shared) : space(&of), connection(std::move(shared)) {}

    uint64_t read(const Integer &offset, const Integer &width) const {
        const unsigned index = widthIndex(width);
        const uint32_t at = checkedOffset(offset);
        uint64_t value = 0;
        const Outcome outcome = callLibrary(*connection, [&] { return space->read[index](at, &value); });
        if (outcome.result != 0) raiseFailed(outcome, "reading", {at, kWidths[index]});
        return value;
    }

    void write(const Integer &offset, const Integer &value, const Integer &width) const {
        const unsigned index = widthIndex(width);
        const uint32_t at = checkedOffset(offset);
        const uint64_t contents = checkedValue(value, kWidths[index]);
        const Outcome outcome = callLibrary(*connection, [&] { return space->write[index](at, contents); });
        if (outcome.result != 0) raiseFailed(outcome, "writing", {at, kWidths[index]});
    }

    py::bytes readBytes(const Integer &offset, const Integer &n) const {
        const uint32_t start = checkedOffset(offset);
        const size_t bytes = checkedRun(start, n);
        auto result = py::reinterpret_steal<py::bytes>(PyBytes_FromStringAndSize(nullptr, Py_ssize_t(bytes)));
        if (!result) throw py::error_already_set();
        auto *data = reinterpret_cast<uint8_t *>(PyBytes_AS_STRING(result.ptr()));
        Failed failed{};
        const Outcome outcome = callWithoutGil(
            *connection, [&] { return transferRange(*space, start, bytes, data, false, &failed); });
        if (outcome.result != 0) raiseFailed(outcome, "reading", failed);
        return result;
    }

    void writeBytes(const Integer &offset, const py::buffer &data) const {
        const uint32_t start = checkedOffset(offset);
        const ByteView view(data);
        if (view.size() > uint64_t{space->last} + 1 - start) raiseOverrun(start, view.size());
        Failed failed{};
        const Outcome outcome = callWithoutGil(*connection, [&] {
            return transferRange(*space, start, view.size(), view.data(), true, &failed);
        });
        if (outcome.result != 0) raiseFailed(outcome, "writing", failed);
    }

    uint64_t size() const { return uint64_t{space->last} + 1; }
    const char *name() const { return space->name; }

private:
    uint32_t checkedOffset(const Integer &offset) const {
        return static_cast<uint32_t>(checked(offset, space->last, PyExc_ValueError, space->offsetMessage));
    }

    // The length of a run from `start`, which must end inside the space.
    size_t checkedRun(uint32_t start, const Integer &n) const {
        const uint64_t bytes =
            checked(n, size(), PyExc_ValueError, "byte count {0} is out of range (0 to {1:#x})");
        if (bytes > size() - start) raiseOverrun(start, bytes);
        return bytes;
    }

    [[noreturn]] void raiseOverrun(uint32_t start, uint64_t bytes) const {
        raise(PyExc_ValueError, py::str("{:#x} bytes at {:#x} run past the end of {} ({:#x})")
                                    .format(bytes, start, space->name, space->last));
    }

    [[noreturn]] void raiseFailed(const Outcome &outcome, const char *doing, const Failed &where) const {
        raiseDeviceError(
            outcome.error,
            py::str("{} {} bytes of {} at {:#x}").format(doing, where.width, space->name, where.offset));
    }

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
