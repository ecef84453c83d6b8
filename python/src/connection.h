// The library's one connection, as the module's objects share it, and the
// lock every call into the library holds.
//
// The library keeps static request records and one descriptor: its calls must
// not overlap, and long transfers run without the GIL.  A thread that holds
// the GIL never waits for the lock with the GIL held, so a thread that holds
// the lock can always get the GIL back: no deadlock either way.
#ifndef TKV_PYTHON_CONNECTION_H
#define TKV_PYTHON_CONNECTION_H

#include <errno.h>
#include <pybind11/pybind11.h>

#include <memory>
#include <mutex>

namespace tkvpy {

namespace py = pybind11;

// Shared by a Device and the objects it hands out; `open` changes only under the lock.
struct Connection {
    int device;
    bool open;
};
using ConnectionPtr = std::shared_ptr<Connection>;

// A library call's result and the errno it left.
struct Outcome {
    int result;
    int error;
};

std::mutex &libraryMutex();

// Locks the library from a thread that holds the GIL.
std::unique_lock<std::mutex> lockLibrary();

// Raises tekvaro.Error for a closed device.
[[noreturn]] void raiseClosed();

// Runs `call` (returning the library's result) on the open connection.
template <typename Call>
Outcome callLibrary(const Connection &connection, Call &&call) {
    auto lock = lockLibrary();
    if (!connection.open) raiseClosed();
    const int result = call();
    return {result, errno};
}

// The same without the GIL: `call` must not touch Python objects.
template <typename Call>
Outcome callWithoutGil(const Connection &connection, Call &&call) {
    Outcome outcome{0, 0};
    bool closed = false;
    {
        py::gil_scoped_release released;
        std::lock_guard<std::mutex> lock(libraryMutex());
        closed = !connection.open;
        if (!closed) {
            outcome.result = call();
            outcome.error = errno;
        }
    }
    if (closed) raiseClosed();
    return outcome;
}

}  // namespace tkvpy

#endif
