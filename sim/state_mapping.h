// The mapped device: anonymous memory, or the shared state file.  Register
// space and video memory are read through the written-pages bitmap, and a
// write first claims storage for its pages, so that reading takes no storage
// and a full file system fails a request instead of the process.
#ifndef TKVSIM_STATE_MAPPING_H
#define TKVSIM_STATE_MAPPING_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "device_state.h"

// Inside the simulator only: reached without the global offset table.
#pragma GCC visibility push(hidden)

namespace sim {

extern uint8_t *mapping;  // null until the device is first used

// Maps the device: the state file the settings name, else anonymous memory.
// False with errno ENOMEM when no memory can be reserved.
bool mapDevice();
void unmapDevice();
inline bool deviceMapped() { return mapping || mapDevice(); }

// Only once the device is mapped.
inline DeviceState &state() { return *reinterpret_cast<DeviceState *>(mapping); }
// Register space at 0, video memory after it.
inline uint8_t *deviceData() { return mapping + kHeaderSize; }

template <typename T>
T load(const uint8_t *at) {
    T value;
    memcpy(&value, at, sizeof value);  // little-endian host
    return value;
}

inline bool pageWritten(size_t at) {
    const size_t page = at / kPage;
    return state().writtenPages[page / 64] >> (page % 64) & 1;
}

// One load of the access's own width: assembling a narrow copy into a wide
// variable would stall the following wide read on every byte of a dump.
inline uint64_t loadLittleEndian(const uint8_t *at, uint32_t size) {
    switch (size) {
    case 1: return *at;
    case 2: return load<uint16_t>(at);
    case 4: return load<uint32_t>(at);
    default: return load<uint64_t>(at);
    }
}

// `size` bytes (1, 2, 4 or 8) of the data at `at`, little-endian; pages
// never written read as 0.
uint64_t loadBytewise(size_t at, uint32_t size);
inline uint64_t loadData(size_t at, uint32_t size) {
    if (at % kPage > kPage - size) return loadBytewise(at, size);  // across two pages
    return pageWritten(at) ? loadLittleEndian(deviceData() + at, size) : 0;
}

// Storage for the bytes [at, at + size) of the data: 0, or ENOSPC / EIO
// (reported on stderr) when the state file cannot hold them.
int claimPages(size_t at, size_t size);
inline int claimStorage(size_t at, size_t size) {
    return pageWritten(at) && pageWritten(at + size - 1) ? 0 : claimPages(at, size);
}

// Stores `size` bytes at `at`: 0, or claimStorage's errno.
inline int storeData(size_t at, const void *bytes, uint32_t size) {
    const int err = claimStorage(at, size);
    if (err == 0) memcpy(deviceData() + at, bytes, size);
    return err;
}

// Runs a request; with a state file, a bus error inside the mapping (the file
// lost storage under us) fails it with EIO instead of killing the process:
// the faulting page is replaced by scratch memory so that the request can end,
// and the file is mapped again afterwards.  Each thread runs its own requests,
// so the flags the bus error handler reads are the thread's own: statically
// initialised and initial-exec, a fixed offset from the thread pointer that
// the handler reaches without a call or an allocation.
// Scratch pages are seen by every thread, so a request that may have read one
// another thread's fault put in place fails with EIO too: the counters say
// whether scratch pages appeared during the request or were still mapped when
// it began.  Inline: a long dump passes here.
using RequestFn = int (*)(unsigned long code, void *record);
extern bool mappedFromFile;
extern __thread volatile bool requestRunning __attribute__((tls_model("initial-exec")));
extern __thread volatile bool storageLost __attribute__((tls_model("initial-exec")));
struct ScratchCounters {
    unsigned long started, finished;  // scratch pages being mapped, and mapped
    unsigned long replaced;           // `started` when the file last took back every scratch page
};
extern ScratchCounters scratch;
int afterStorageLoss();  // EIO, with the file mapped again
template <RequestFn request>
int runGuarded(unsigned long code, void *record) {
    if (!mappedFromFile) return request(code, record);
    const unsigned long before = __atomic_load_n(&scratch.started, __ATOMIC_SEQ_CST);
    const bool clean = before == __atomic_load_n(&scratch.replaced, __ATOMIC_SEQ_CST);
    requestRunning = true;
    const int err = request(code, record);
    requestRunning = false;
    const bool untouched = clean && before == __atomic_load_n(&scratch.started, __ATOMIC_SEQ_CST);
    return storageLost || !untouched ? afterStorageLoss() : err;
}

// Puts every model into its power-on state; `inMemory`: every page counts as
// written (anonymous memory takes no storage until it is written anyway).
void powerOn(DeviceState &device, bool inMemory);

// tkvcon-sim: without TKVSIM_STATE, keep the state in the user's default file.
void useDefaultStateFile();

}  // namespace sim

#pragma GCC visibility pop

#endif
