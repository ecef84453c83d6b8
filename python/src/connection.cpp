#include "connection.h"

#include <cxxabi.h>
#include <pthread.h>
#include <unistd.h>

#include <new>

#include "errors.h"

namespace tkvpy {

namespace {

std::mutex firstMutex;
std::mutex *current = &firstMutex;

// A child of fork() has only the thread that forked: a lock another thread
// held during a transfer would stay locked for ever.  The child takes a new
// one; the old one cannot be destroyed while locked, so it is left as it is.
void renewInChild() {
    if (auto *fresh = new (std::nothrow) std::mutex) current = fresh;
}

const bool kRenewedAtFork = pthread_atfork(nullptr, nullptr, renewInChild) == 0;

}  // namespace

std::mutex &libraryMutex() {
    static_cast<void>(kRenewedAtFork);
    return *current;
}

std::unique_lock<std::mutex> lockLibrary() {
    std::unique_lock<std::mutex> lock(libraryMutex(), std::try_to_lock);
    if (lock.owns_lock()) return lock;
    // Waits without the GIL and without keeping the lock, then tries again
    // with the GIL held: the lock is never held while the GIL is awaited.
    do {
        PyThreadState *const state = PyEval_SaveThread();
        { std::lock_guard<std::mutex> wait(libraryMutex()); }
        takeGilBack(state);
    } while (!lock.try_lock());
    return lock;
}

void takeGilBack(PyThreadState *state) {
    try {
        PyEval_RestoreThread(state);
    } catch (abi::__forced_unwind &) {
        for (;;) pause();
    }
}

[[noreturn]] void raiseClosed() { raiseError("the device is closed"); }

}  // namespace tkvpy
