// Opening the simulator's own files past the interposer.
#include "files.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

bool isDeviceNode(const char *path) { return path && strcmp(path, "/dev/tkvrw") == 0; }

int openNoFollow(int directory, const char *path, int flags, mode_t mode) {
    using OpenAt = int (*)(int, const char *, int, ...);
    static const auto libcOpenAt = reinterpret_cast<OpenAt>(dlsym(RTLD_NEXT, "openat"));
    return libcOpenAt(directory, path, flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, mode);
}

int openRegularFile(int directory, const char *path, int flags, mode_t mode, uid_t *owner) {
    if (isDeviceNode(path)) return kNotRegular;
    const int fd = openNoFollow(directory, path, flags, mode);
    if (fd < 0) return -1;
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return kNotRegular;
    }
    if (owner) *owner = status.st_uid;
    return fd;
}

int keepDescriptor(int fd) {
    if (fd < 0 || fd > STDERR_FILENO) return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    close(fd);
    return moved;
}

}  // namespace sim
