// Maps the device state on first use and keeps each access to a state file
// from turning a storage failure into a crash.
#include "state_mapping.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include "i2c_bus.h"
#include "pci_config.h"
#include "settings.h"
#include "state_file.h"

namespace sim {

uint8_t *mapping;
bool mappedFromFile;
__thread volatile bool requestRunning __attribute__((tls_model("initial-exec")));
__thread volatile bool storageLost __attribute__((tls_model("initial-exec")));
ScratchCounters scratch;

namespace {

int stateFd = -1;  // the state file, kept open to claim storage; -1: anonymous memory
bool defaultFileWanted;
bool failureReported;  // requests fail for want of storage, and stderr was told (atomic: any thread)

struct sigaction previousBusAction;

void reportStorageFailure(int err) {
    if (__atomic_exchange_n(&failureReported, true, __ATOMIC_RELAXED)) return;
    fprintf(stderr, "tkvsim: %s: cannot store the device state: %s\n", stateFileName(), strerror(err));
}

// Only faults inside the mapping during a request of this thread are ours;
// anything else gets the disposition the program had.
void onBusError(int signal, siginfo_t *info, void *) {
    auto *at = static_cast<uint8_t *>(info->si_addr);
    if (requestRunning && mapping && at >= mapping && at < mapping + kMappingSize) {
        void *page = mapping + static_cast<size_t>(at - mapping) / kPage * kPage;
        // Counted before the page changes, so that no thread can read it unseen.
        __atomic_fetch_add(&scratch.started, 1, __ATOMIC_SEQ_CST);
        const bool replaced = mmap(page, kPage, PROT_READ | PROT_WRITE,
                                   MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) != MAP_FAILED;
        __atomic_fetch_add(&scratch.finished, 1, __ATOMIC_SEQ_CST);
        if (replaced) {
            storageLost = true;
            return;  // the access is made again, on scratch memory
        }
    }
    sigaction(signal, &previousBusAction, nullptr);
    if (info->si_code <= 0) raise(signal);  // sent, not a fault: send it again
}

void catchBusErrors() {
    static bool installed;
    if (installed) return;
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    installed = sigaction(SIGBUS, &action, &previousBusAction) == 0;
}

uint8_t *mapFile(int fd) {
    void *p = mmap(nullptr, kMappingSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) return nullptr;
    catchBusErrors();
    return static_cast<uint8_t *>(p);
}

uint8_t *mapAnonymous() {
    void *p = mmap(nullptr, kMappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                   -1, 0);
    if (p == MAP_FAILED) return nullptr;
    powerOn(*static_cast<DeviceState *>(p), true);
    return static_cast<uint8_t *>(p);
}

}  // namespace

bool mapDevice() {
    const char *path = settings().stateFile;
    if (path ? *path != '\0' : defaultFileWanted) {
        stateFd = openStateFile(path);
        if (stateFd >= 0 && !(mapping = mapFile(stateFd))) {
            const int err = errno;
            close(stateFd);
            stateFd = -1;
            // Said only when memory can take the state instead.
            if ((mapping = mapAnonymous())) reportStateInMemory(strerror(err));
        }
    }
    mappedFromFile = stateFd >= 0;
    if (!mapping) mapping = mapAnonymous();
    if (!mapping) errno = ENOMEM;
    return mapping != nullptr;
}

void unmapDevice() {
    if (mapping) munmap(mapping, kMappingSize);
    mapping = nullptr;
    mappedFromFile = false;
    if (stateFd >= 0) close(stateFd);
    stateFd = -1;
    failureReported = false;
    scratch.replaced = scratch.started;  // no scratch page outlives the mapping
}

int claimPages(size_t at, size_t size) {
    for (size_t page = at / kPage; page <= (at + size - 1) / kPage; ++page) {
        uint64_t &word = state().writtenPages[page / 64];
        const uint64_t bit = uint64_t{1} << (page % 64);
        if (word & bit) continue;
        const off_t offset = static_cast<off_t>(kHeaderSize + page * kPage);
        // Not beyond the end: a file that shrank fails with EIO on access instead.
        if (fallocate(stateFd, FALLOC_FL_KEEP_SIZE, offset, kPage) != 0 && errno != EOPNOTSUPP) {
            const int err = errno == ENOSPC || errno == EDQUOT ? ENOSPC : EIO;
            reportStorageFailure(err);
            return err;
        }
        __atomic_fetch_or(&word, bit, __ATOMIC_RELAXED);  // other processes set bits too
    }
    __atomic_store_n(&failureReported, false, __ATOMIC_RELAXED);
    return 0;
}

uint64_t loadBytewise(size_t at, uint32_t size) {
    uint64_t value = 0;
    for (uint32_t i = 0; i < size; ++i)
        if (pageWritten(at + i)) value |= uint64_t{deviceData()[at + i]} << (8 * i);
    return value;
}

int afterStorageLoss() {
    storageLost = false;
    // The file again in place of the scratch pages.  Only when no page was
    // being replaced do the counters say that every scratch page is gone;
    // otherwise a later request maps the file again.  The mapping stays even
    // when this fails: other threads may be inside it, and their requests
    // keep failing with EIO until the file is mapped again.
    const unsigned long finished = __atomic_load_n(&scratch.finished, __ATOMIC_SEQ_CST);
    const unsigned long started = __atomic_load_n(&scratch.started, __ATOMIC_SEQ_CST);
    const bool remapped =
        mmap(mapping, kMappingSize, PROT_READ | PROT_WRITE, MAP_FIXED | MAP_SHARED, stateFd, 0) != MAP_FAILED;
    if (remapped && finished == started) __atomic_store_n(&scratch.replaced, started, __ATOMIC_SEQ_CST);
    reportStorageFailure(EIO);
    return EIO;
}

void powerOn(DeviceState &device, bool inMemory) {
    memset(&device, 0, sizeof device);
    device.layout = kStateLayout;
    i2cPowerOn(device);
    pciPowerOn(device);
    if (inMemory) memset(device.writtenPages, 0xFF, sizeof device.writtenPages);
}

void useDefaultStateFile() { defaultFileWanted = true; }

}  // namespace sim
