// Stands in for the kernel driver: opens of /dev/tkvrw get a real descriptor
// on /dev/null that the simulator remembers; ioctl and close on such a
// descriptor are answered here.  Everything else goes on to the C library.
//
// No libc header declares these functions in this file, so the definitions
// below are not disturbed by fortified inline wrappers.
#include <dlfcn.h>
#include <stdarg.h>
#include <sys/types.h>

#include "device_node.h"
#include "files.h"

namespace {

constexpr int kOpenCreate = 0100;        // O_CREAT
constexpr int kOpenTmpFile = 020000000;  // __O_TMPFILE

template <typename F>
F next(const char *name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

using OpenFn = int (*)(const char *, int, ...);
using OpenAtFn = int (*)(int, const char *, int, ...);

OpenFn realOpen() {
    static OpenFn fn = next<OpenFn>("open");
    return fn;
}

bool takesMode(int flags) { return (flags & kOpenCreate) || (flags & kOpenTmpFile) == kOpenTmpFile; }

}  // namespace

#define TKVSIM_EXPORT extern "C" __attribute__((visibility("default")))

// The open family: the mode argument exists only with O_CREAT or O_TMPFILE.
// Declares `mode` from the arguments after `flags`.
#define TKVSIM_MODE_ARGUMENT       \
    mode_t mode = 0;               \
    if (takesMode(flags)) {        \
        va_list ap;                \
        va_start(ap, flags);       \
        mode = va_arg(ap, mode_t); \
        va_end(ap);                \
    }

#define TKVSIM_OPEN(name)                                                \
    TKVSIM_EXPORT int name(const char *path, int flags, ...) {           \
        TKVSIM_MODE_ARGUMENT                                             \
        if (sim::isDeviceNode(path)) return sim::openDevice(realOpen()); \
        static OpenFn real = next<OpenFn>(#name);                        \
        return real(path, flags, mode);                                  \
    }
TKVSIM_OPEN(open)
TKVSIM_OPEN(open64)
#undef TKVSIM_OPEN

#define TKVSIM_OPENAT(name)                                               \
    TKVSIM_EXPORT int name(int dirfd, const char *path, int flags, ...) { \
        TKVSIM_MODE_ARGUMENT                                              \
        if (sim::isDeviceNode(path)) return sim::openDevice(realOpen());  \
        static OpenAtFn real = next<OpenAtFn>(#name);                     \
        return real(dirfd, path, flags, mode);                            \
    }
TKVSIM_OPENAT(openat)
TKVSIM_OPENAT(openat64)
#undef TKVSIM_OPENAT
#undef TKVSIM_MODE_ARGUMENT

// The fortified entry points that _FORTIFY_SOURCE builds call.
TKVSIM_EXPORT int __open_2(const char *path, int flags) {
    if (sim::isDeviceNode(path)) return sim::openDevice(realOpen());
    static auto real = next<int (*)(const char *, int)>("__open_2");
    return real(path, flags);
}

TKVSIM_EXPORT int __open64_2(const char *path, int flags) {
    if (sim::isDeviceNode(path)) return sim::openDevice(realOpen());
    static auto real = next<int (*)(const char *, int)>("__open64_2");
    return real(path, flags);
}

TKVSIM_EXPORT int ioctl(int fd, unsigned long request, ...) {
    va_list ap;
    va_start(ap, request);
    void *arg = va_arg(ap, void *);
    va_end(ap);
    if (sim::isDevice(fd)) return sim::handleRequest(fd, request, arg);
    static auto real = next<int (*)(int, unsigned long, ...)>("ioctl");
    return real(fd, request, arg);
}

TKVSIM_EXPORT int close(int fd) {
    if (sim::isDevice(fd)) sim::forgetDevice(fd);
    static auto real = next<int (*)(int)>("close");
    return real(fd);
}
