// Integer arguments and their checks.  Every argument the library would refuse
// is refused here first, with a Python exception, so the library never prints.
#ifndef TKV_PYTHON_ARGUMENTS_H
#define TKV_PYTHON_ARGUMENTS_H

#include <pybind11/pybind11.h>
#include <stdint.h>

namespace tkvpy {

namespace py = pybind11;

// An argument Python accepts as an integer: int, bool or anything with
// __index__ (as the built-in functions do); never a float.
struct Integer {
    py::int_ value;
};

// `number` when it lies in [first, last]; anything else raises `error` (a
// Python exception type) with `message`, a str.format text given the number
// as {0} and `last` as {1}.
uint64_t checked(const Integer &number, uint64_t last, PyObject *error, const char *message,
                 uint64_t first = 0);

// The access widths 1, 2, 4 and 8 as 0 to 3 (ValueError for any other).
unsigned widthIndex(const Integer &width);

// `value` as the unsigned contents of `width` bytes (OverflowError when it does not fit).
uint64_t checkedValue(const Integer &value, unsigned width);

// A contiguous view of a bytes-like object (bytes, bytearray, memoryview),
// usable without the GIL; released with the GIL held.
class ByteView {
public:
    explicit ByteView(const py::buffer &data);
    ~ByteView() { PyBuffer_Release(&view); }
    ByteView(const ByteView &) = delete;
    ByteView &operator=(const ByteView &) = delete;
    uint8_t *data() const { return static_cast<uint8_t *>(view.buf); }
    size_t size() const { return static_cast<size_t>(view.len); }

private:
    Py_buffer view{};
};

}  // namespace tkvpy

namespace pybind11::detail {

template <>
struct type_caster<tkvpy::Integer> {
    PYBIND11_TYPE_CASTER(tkvpy::Integer, const_name("int"));

    bool load(handle source, bool /*convert*/) {
        if (!source || !PyIndex_Check(source.ptr())) return false;
        PyObject *index = PyNumber_Index(source.ptr());
        if (!index) {
            PyErr_Clear();
            return false;
        }
        value.value = reinterpret_steal<int_>(index);
        return true;
    }

    static handle cast(const tkvpy::Integer &number, return_value_policy, handle) {
        return number.value.inc_ref();
    }
};

}  // namespace pybind11::detail

#endif
