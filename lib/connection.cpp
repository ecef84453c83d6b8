// The device connection: opening and closing /dev/tkvrw and issuing requests.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "driver.h"
#include "tekvaro.h"

int tkv::lastfd = -1;

namespace {

constexpr const char kDeviceNode[] = "/dev/tkvrw";

}  // namespace

using tkv::lastfd;

// Device `id` is the id+1-th descriptor opened on the node; the earlier ones stay open.
extern "C" TKV_API int tkvOpen(int id) {
    if (id < 0) {
        fprintf(stderr, "Invalid argument id (%d)\n", id);
        return -EINVAL;
    }
    int fd = -1;
    for (int i = 0; i <= id; ++i) {
        fd = open(kDeviceNode, O_RDWR);
        if (fd < 0) {
            int err = errno;
            fprintf(stderr, "Opening device %d failed with %i\n", id, fd);
            return -err;
        }
    }
    lastfd = fd;
    return fd;
}

extern "C" TKV_API int tkvClose(void) {
    if (lastfd < 0) {
        fputs("No file descriptor is opened\n", stderr);
        return -EINVAL;
    }
    int result = close(lastfd);
    lastfd = -1;
    return result;
}
