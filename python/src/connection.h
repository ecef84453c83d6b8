// The library's one connection, as the module's objects share it, and the
// lock every call into the library holds.
//
// The library keeps one descriptor: its calls must not overlap, and long
// transfers run without the GIL.  No thread waits for the GIL while it holds
// the lock, so a thread may wait for the lock with the GIL held without
// deadlock; the waits that can be long give the GIL up meanwhile.
//
// The GIL is given up and taken back by plain calls, never in a destructor,
// and taken back only through takeGilBack (see there).
#ifndef TKV_PYTHON_CONNECTION_H
#define TKV_PYTHON_CONNECTION_H

#include <errno.h>
#include <pybind11/pybind11.h>

#include <memory>
#include <mutex>
#include <utility>

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

// Locks the library from a thread that holds the GIL, giving the GIL up
// while it waits.
std::unique_lock<std::mutex> lockLibrary();

// Takes the GIL back after PyEval_SaveThread.  At interpreter exit Python
// ends a daemon thread that asks for it by unwinding its stack; the frames
// above hold Python objects that must not be released without the GIL, so
// the thread stops here instead, without the library lock, until the process ends.
void takeGilBack(PyThreadState *state);

// Raises tekvaro.Error for a closed device.
[[noreturn]] void raiseClosed();

// Runs `call` (returning the library's result) on the open connection.
// Nothing that may run Python code happens under the lock: that code could
// give the GIL up for a while.
template <typename Call>
Outcome callLibrary(const Connection &connection, Call &&call) {
    Outcome outcome{0, 0};
    bool open = false;
    {
        auto lock = lockLibrary();
        open = connection.open;
        if (open) outcome = {call(), errno};  // braces: call() before errno is read
    }
    if (!open) raiseClosed();
    return outcome;
}

// The same without the GIL: `call` must not touch Python objects.  The lock
// is given up before the GIL is taken back.
template <typename Call>
Outcome callWithoutGil(const Connection &connection, Call &&call) {
    Outcome outcome{0, 0};
    bool open = false;
    PyThreadState *const state = PyEval_SaveThread();
    {
        std::lock_guard<std::mutex> lock(libraryMutex());
        open = connection.open;
        if (open) outcome = {call(), errno};
    }
    takeGilBack(state);
    if (!open) raiseClosed();
    return outcome;
}

// The same for the client layer's calls, which return 0 or an error number:
// that number.
template <typename Call>
int callClient(const Connection &connection, Call &&call) {
    return callLibrary(connection, std::forward<Call>(call)).result;
}

template <typename Call>
int callClientWithoutGil(const Connection &connection, Call &&call) {
    return callWithoutGil(connection, std::forward<Call>(call)).result;
}

}  // namespace tkvpy

#endif
