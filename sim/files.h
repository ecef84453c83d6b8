// The simulator's own files (state, trace, EDID): opened with the C library's
// openat, so that a path naming the device node never comes back into the
// simulator, and never through a symbolic link or into a FIFO.
#ifndef TKVSIM_FILES_H
#define TKVSIM_FILES_H

#include <sys/types.h>

namespace sim {

// The path the interposer answers for.
bool isDeviceNode(const char *path);

// The C library's openat with O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK added.
int openNoFollow(int directory, const char *path, int flags, mode_t mode = 0);

constexpr int kNotRegular = -2;

// openNoFollow, keeping only a regular file, and for writing only one on a
// file system that stores it (not /proc, /sys and the like).  The descriptor
// (`owner` receives the file's owner); kNotRegular for anything else, the
// device node included; -1 with errno set when it cannot be opened.
int openRegularFile(int directory, const char *path, int flags, mode_t mode, uid_t *owner = nullptr);

// A descriptor the simulator keeps moves above 0-2, so that it can never
// stand in for a standard stream the program closed.
int keepDescriptor(int fd);

}  // namespace sim

#endif
