// The driver's answers: descriptor bookkeeping, fault injection, dispatch of
// the four request codes, and the request trace.
#include "requests.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "files.h"
#include "models.h"

namespace sim {

uint64_t openFds[kMaxFd / 64];

namespace {

unsigned long requestCount;

bool inRange(int fd) { return fd >= 0 && fd < kMaxFd; }

// In-memory trace for in-process tests; off unless a test reset the device.
tkvsim::Request *traceLog;
size_t traceLength, traceCapacity;
bool traceInMemory;

void appendToMemory(const tkvsim::Request &r) {
    if (traceLength == traceCapacity) {
        size_t capacity = traceCapacity ? traceCapacity * 2 : 1024;
        void *grown = realloc(traceLog, capacity * sizeof *traceLog);
        if (!grown) return;
        traceLog = static_cast<tkvsim::Request *>(grown);
        traceCapacity = capacity;
    }
    traceLog[traceLength++] = r;
}

const char *kindName(tkvsim::Kind kind) {
    switch (kind) {
    case tkvsim::Kind::Open: return "open";
    case tkvsim::Kind::Close: return "close";
    case tkvsim::Kind::Mmio: return "mmio";
    case tkvsim::Kind::Ddc: return "ddc";
    case tkvsim::Kind::CoreVer: return "corever";
    case tkvsim::Kind::Pci: return "pci";
    default: return "unknown";
    }
}

// The trace file, opened at its first line; -1 when there is none.
int traceFd = -1;
bool traceFileOpened;

int traceFile() {
    if (traceFileOpened) return traceFd;
    traceFileOpened = true;
    const char *path = settings().traceFile;
    if (!path || !*path) return -1;
    const int fd = openRegularFile(AT_FDCWD, path, O_WRONLY | O_APPEND | O_CREAT, 0600);
    if (fd < 0)
        fprintf(stderr, "tkvsim: ignoring TKVSIM_TRACE=%s: %s\n", path,
                fd == kNotRegular ? "not a regular file" : strerror(errno));
    traceFd = keepDescriptor(fd);
    return traceFd;
}

void appendToFile(int fd, const tkvsim::Request &r) {
    char line[256];
    int n;
    switch (r.kind) {
    case tkvsim::Kind::Mmio:
        n = snprintf(line, sizeof line,
                     "mmio fd=%d region=%u direction=%u size=%u offset=0x%08x value=0x%016llx "
                     "result=%d returned=0x%016llx\n",
                     r.fd, r.region, r.direction, r.size, r.offset, static_cast<unsigned long long>(r.value),
                     r.result, static_cast<unsigned long long>(r.returned));
        break;
    case tkvsim::Kind::Pci:
        n = snprintf(line, sizeof line,
                     "pci fd=%d direction=%u offset=0x%08x value=0x%08x result=%d returned=0x%08x\n", r.fd,
                     r.direction, r.offset, static_cast<unsigned>(r.value), r.result,
                     static_cast<unsigned>(r.returned));
        break;
    case tkvsim::Kind::Ddc:
        n = snprintf(line, sizeof line, "ddc fd=%d port=%u reserved=%u result=%d\n", r.fd, r.region, r.offset,
                     r.result);
        break;
    default:
        n = snprintf(line, sizeof line, "%s fd=%d code=0x%08lx result=%d\n", kindName(r.kind), r.fd, r.code,
                     r.result);
        break;
    }
    ssize_t written = write(fd, line, static_cast<size_t>(n));
    (void)written;
}

tkvsim::Request describe(int fd, unsigned long code, const void *record) {
    tkvsim::Request r{};
    r.fd = fd;
    r.code = code;
    r.kind = tkvsim::Kind::Unknown;
    if (!record) return r;
    if (code == IOCTL_MMIO_RW) {
        auto &m = *static_cast<const mmio_rw_t *>(record);
        r = {tkvsim::Kind::Mmio, fd, code, m.region, m.direction, m.size, m.offset, m.value, 0, 0, 0};
    } else if (code == IOCTL_PCI_OP) {
        auto &p = *static_cast<const pci_op_t *>(record);
        r = {tkvsim::Kind::Pci, fd, code, 0, p.direction, 4, p.offset, p.value, 0, 0, 0};
    } else if (code == IOCTL_DDC_EDID) {
        auto &d = *static_cast<const ddc_edid_t *>(record);
        r = {tkvsim::Kind::Ddc, fd, code, d.port, 0, 0, d.reserved, 0, 0, 0, 0};
    } else if (code == IOCTL_CORE_VER) {
        r.kind = tkvsim::Kind::CoreVer;
    }
    return r;
}

// 0, or the errno the request fails with.
int answer(unsigned long code, void *record) {
    if (!record) return EFAULT;
    switch (code) {
    case IOCTL_MMIO_RW: return memoryAccess(*static_cast<mmio_rw_t *>(record));
    case IOCTL_DDC_EDID: return ddcRequest(*static_cast<ddc_edid_t *>(record));
    case IOCTL_CORE_VER: return coreVersionRequest(*static_cast<core_ver_t *>(record));
    case IOCTL_PCI_OP: return pciRequest(*static_cast<pci_op_t *>(record));
    default: return ENOTTY;
    }
}

uint64_t returnedValue(unsigned long code, const void *record) {
    if (!record) return 0;
    if (code == IOCTL_MMIO_RW) return static_cast<const mmio_rw_t *>(record)->value;
    if (code == IOCTL_PCI_OP) return static_cast<const pci_op_t *>(record)->value;
    return 0;
}

}  // namespace

void traceRecord(const tkvsim::Request &request) {
    if (traceInMemory) appendToMemory(request);
    if (int fd = traceFile(); fd >= 0) appendToFile(fd, request);
}

int openDevice(int (*realOpen)(const char *, int, ...)) {
    tkvsim::Request r{};
    r.kind = tkvsim::Kind::Open;
    // The device exists from the first open on.
    if (int err = deviceMapped() ? settings().openError : ENOMEM) {
        r.fd = -1;
        r.result = -1;
        r.error = err;
        traceRecord(r);
        errno = err;
        return -1;
    }
    int fd = realOpen("/dev/null", O_RDWR | O_CLOEXEC);
    if (fd >= 0 && !inRange(fd)) {
        close(fd);
        errno = EMFILE;
        fd = -1;
    }
    if (fd >= 0) openFds[fd / 64] |= uint64_t{1} << (fd % 64);
    r.fd = fd;
    r.result = fd < 0 ? -1 : 0;
    r.error = fd < 0 ? errno : 0;
    traceRecord(r);
    return fd;
}

void forgetDevice(int fd) {
    openFds[fd / 64] &= ~(uint64_t{1} << (fd % 64));
    tkvsim::Request r{};
    r.kind = tkvsim::Kind::Close;
    r.fd = fd;
    traceRecord(r);
}

int handleRequest(int fd, unsigned long code, void *record) {
    const Settings &s = settings();
    ++requestCount;
    if (!deviceMapped()) {
        errno = ENOMEM;
        return -1;
    }
    const bool traced = traceInMemory || traceFile() >= 0;
    if (!traced && !s.requestError && !s.failNth) {  // the plain path of a long dump
        int err = runGuarded<answer>(code, record);
        if (err) errno = err;
        return err ? -1 : 0;
    }
    tkvsim::Request r = describe(fd, code, record);
    int err;
    if (s.requestError)
        err = s.requestError;
    else if (s.failNth && requestCount == s.failNth)
        err = EIO;
    else
        err = runGuarded<answer>(code, record);
    r.result = err ? -1 : 0;
    r.error = err;
    r.returned = err ? 0 : returnedValue(code, record);
    if (traced) traceRecord(r);
    if (err) {
        errno = err;
        return -1;
    }
    return 0;
}

void resetRequests() {
    if (traceFd >= 0) close(traceFd);
    traceFd = -1;
    traceFileOpened = false;
    traceInMemory = true;
    traceLength = 0;
    requestCount = 0;
}

}  // namespace sim

// The test API.
namespace tkvsim {

void reset() {
    sim::unmapDevice();  // mapped again on first use: fresh, or TKVSIM_STATE's file
    sim::forgetPortEdids();
    sim::readSettings();
    sim::resetRequests();
}
size_t traceSize() { return sim::traceLength; }
const Request &traceAt(size_t index) { return sim::traceLog[index]; }
void clearTrace() { sim::traceLength = 0; }
void failOpen(int err) { sim::settings().openError = err; }
void failEveryRequest(int err) { sim::settings().requestError = err; }
void failNthRequest(unsigned n) { sim::settings().failNth = n ? sim::requestCount + n : 0; }

}  // namespace tkvsim
