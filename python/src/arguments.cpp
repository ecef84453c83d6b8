#include "arguments.h"

#include "errors.h"

namespace tkvpy {

uint64_t checked(const Integer &number, uint64_t last, PyObject *error, const char *message, uint64_t first) {
    int overflow = 0;
    const long long small = PyLong_AsLongLongAndOverflow(number.value.ptr(), &overflow);
    if (overflow == 0 && small >= 0 && static_cast<unsigned long long>(small) <= last &&
        static_cast<unsigned long long>(small) >= first)
        return static_cast<uint64_t>(small);
    if (overflow > 0) {  // above the signed range: may still be a 64-bit unsigned value
        const unsigned long long large = PyLong_AsUnsignedLongLong(number.value.ptr());
        if (!PyErr_Occurred() && large <= last && large >= first) return large;
        PyErr_Clear();
    }
    raise(error, py::str(message).format(number.value, last));
}

unsigned widthIndex(const Integer &width) {
    constexpr const char kMessage[] = "width {0} is not 1, 2, 4 or 8";
    const uint64_t bytes = checked(width, 8, PyExc_ValueError, kMessage);
    if (bytes == 0 || (bytes & (bytes - 1)) != 0)
        raise(PyExc_ValueError, py::str(kMessage).format(width.value));
    return static_cast<unsigned>(__builtin_ctzll(bytes));
}

uint64_t checkedValue(const Integer &value, unsigned width) {
    const uint64_t last = width == 8 ? UINT64_MAX : (uint64_t{1} << (8 * width)) - 1;
    return checked(value, last, PyExc_OverflowError, "value {0:#x} does not fit (0 to {1:#x})");
}

ByteView::ByteView(const py::buffer &data) {
    if (PyObject_GetBuffer(data.ptr(), &view, PyBUF_SIMPLE) != 0) throw py::error_already_set();
}

}  // namespace tkvpy
