// The driver side of /dev/tkvrw: the descriptors it handed out and its requests.
#ifndef TKVSIM_REQUESTS_H
#define TKVSIM_REQUESTS_H

#include "tekvaro.h"
#include "tkvsim.h"

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

// Register space and video memory access of the memory request: 0 or an errno.
int memoryAccess(mmio_rw_t &record);

// The request trace (in memory for tests, and/or the TKVSIM_TRACE file).
void traceRecord(const tkvsim::Request &request);
void resetRequests();

}  // namespace sim

#pragma GCC visibility pop

#endif
