// Opening the simulator's own files past the interposer.
#include "files.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace sim {
namespace {

// File systems whose files are the kernel's interfaces, not storage: a write
// there changes the system (a process name, a setting) instead of keeping
// bytes.  Those linux/magic.h lacks are spelled out.
constexpr unsigned long kPseudoFileSystems[] = {
    PROC_SUPER_MAGIC,     SYSFS_MAGIC,         DEBUGFS_MAGIC,    TRACEFS_MAGIC,
    CGROUP_SUPER_MAGIC,   CGROUP2_SUPER_MAGIC, SECURITYFS_MAGIC, DEVPTS_SUPER_MAGIC,
    BPF_FS_MAGIC,         PSTOREFS_MAGIC,      EFIVARFS_MAGIC,   SELINUX_MAGIC,
    SMACK_MAGIC,          BINFMTFS_MAGIC,      NSFS_MAGIC,       USBDEVICE_SUPER_MAGIC,
    OPENPROM_SUPER_MAGIC,
    0x62656570,  // configfs
    0x19800202,  // mqueue
    0x65735543,  // fusectl
    0x67596969,  // rpc_pipefs
};

bool onPseudoFileSystem(int fd) {
    struct statfs fileSystem;
    if (fstatfs(fd, &fileSystem) != 0) return true;  // unknown: not storage we can trust
    for (unsigned long type : kPseudoFileSystems)
        if (static_cast<unsigned long>(fileSystem.f_type) == type) return true;
    return false;
}

}  // namespace

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
    const bool writes = (flags & O_ACCMODE) != O_RDONLY;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || (writes && onPseudoFileSystem(fd))) {
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
