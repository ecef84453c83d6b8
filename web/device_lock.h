// The library keeps static request records: one request at a time, from
// whichever thread, under this lock.
#ifndef TKVWEB_DEVICE_LOCK_H
#define TKVWEB_DEVICE_LOCK_H

#include <mutex>

inline std::mutex gDeviceLock;

using DeviceGuard = std::lock_guard<std::mutex>;

#endif
