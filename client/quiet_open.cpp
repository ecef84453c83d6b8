#include "quiet_open.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <vector>

#include "tekvaro.h"

namespace {

// The lowest `count` descriptor numbers that are free: those the next opens take.
std::vector<int> freeDescriptors(size_t count) {
    rlimit limit{};
    const rlim_t last = getrlimit(RLIMIT_NOFILE, &limit) == 0 ? limit.rlim_cur : 1024;
    std::vector<int> free;
    for (int fd = 0; free.size() < count && static_cast<rlim_t>(fd) < last; ++fd)
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) free.push_back(fd);
    return free;
}

}  // namespace

int closeDevice() { return tkvClose() == 0 ? 0 : (errno ? errno : EIO); }

int quietOpen(int device) {
    const int probe = open(kDeviceNode, O_RDWR | O_CLOEXEC);
    if (probe < 0) return -errno;
    close(probe);
    // Device n is the n+1-th descriptor the library opens on the node.
    const std::vector<int> taken = freeDescriptors(static_cast<size_t>(device) + 1);
    const int result = tkvOpen(device);
    if (result < 0)
        for (int fd : taken)
            if (fcntl(fd, F_GETFD) != -1) close(fd);
    return result;
}
