#include "connection.h"

#include "errors.h"

namespace tkvpy {

std::mutex &libraryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unique_lock<std::mutex> lockLibrary() {
    std::unique_lock<std::mutex> lock(libraryMutex(), std::try_to_lock);
    if (!lock.owns_lock()) {
        py::gil_scoped_release released;
        lock.lock();
    }
    return lock;
}

[[noreturn]] void raiseClosed() { raiseError("the device is closed"); }

}  // namespace tkvpy
