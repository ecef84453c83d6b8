// The driver side of /dev/tkvrw: the descriptors it handed out, the faults it
// was told to inject, and the dispatch of each request to its model.
#ifndef TKVSIM_DEVICE_NODE_H
#define TKVSIM_DEVICE_NODE_H

#include <stdint.h>

#pragma GCC visibility push(hidden)

namespace sim {

// The descriptors handed out for the node, one bit each.  Every ioctl and
// close of the process asks, so the check is inline.
constexpr int kMaxFd = 1 << 16;
extern uint64_t openFds[kMaxFd / 64];
inline bool isDevice(int fd) { return fd >= 0 && fd < kMaxFd && (openFds[fd / 64] >> (fd % 64) & 1); }

// An open of the node: a descriptor, or -1 with errno set.
int openDevice(int (*realOpen)(const char *, int, ...));
void forgetDevice(int fd);
// One request on a device descriptor: 0, or -1 with errno set.
int handleRequest(int fd, unsigned long code, void *record);

// Requests counted since the last reset (the n-th request may be made to fail).
unsigned long requestsSoFar();
void resetRequestCount();

}  // namespace sim

#pragma GCC visibility pop

#endif
