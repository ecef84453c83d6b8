// Recording each event on the device node.
#include "trace.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "files.h"
#include "settings.h"
#include "tekvaro.h"

namespace sim {

bool traceActive;

namespace {

tkvsim::Request *entries;
size_t length, capacity;
bool inMemory;
int fileFd = -1;
bool fileOpened;

void update() { traceActive = inMemory || fileFd >= 0; }

void appendToMemory(const tkvsim::Request &r) {
    if (length == capacity) {
        size_t grownCapacity = capacity ? capacity * 2 : 1024;
        void *grown = realloc(entries, grownCapacity * sizeof *entries);
        if (!grown) return;
        entries = static_cast<tkvsim::Request *>(grown);
        capacity = grownCapacity;
    }
    entries[length++] = r;
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

uint64_t returnedValue(unsigned long code, const void *record) {
    if (!record) return 0;
    if (code == IOCTL_MMIO_RW) return static_cast<const mmio_rw_t *>(record)->value;
    if (code == IOCTL_PCI_OP) return static_cast<const pci_op_t *>(record)->value;
    return 0;
}

}  // namespace

void openTraceFile() {
    if (fileOpened) return;
    fileOpened = true;
    const char *path = settings().traceFile;
    if (!path || !*path) return;
    const int fd = openRegularFile(AT_FDCWD, path, O_WRONLY | O_APPEND | O_CREAT, 0600);
    if (fd < 0)
        fprintf(stderr, "tkvsim: ignoring TKVSIM_TRACE=%s: %s\n", path,
                fd == kNotRegular ? "not a regular file" : strerror(errno));
    fileFd = keepDescriptor(fd);
    update();
}

tkvsim::Request describeRequest(int fd, unsigned long code, const void *record) {
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

void noteAnswer(tkvsim::Request &request, int err, const void *record) {
    request.result = err ? -1 : 0;
    request.error = err;
    request.returned = err ? 0 : returnedValue(request.code, record);
}

void traceRecord(const tkvsim::Request &request) {
    if (inMemory) appendToMemory(request);
    if (fileFd >= 0) appendToFile(fileFd, request);
}

void resetTrace() {
    if (fileFd >= 0) close(fileFd);
    fileFd = -1;
    fileOpened = false;
    inMemory = true;
    length = 0;
    update();
}

void clearTrace() { length = 0; }

void stopMemoryTrace() {
    inMemory = false;
    length = 0;
    update();
}
size_t traceLength() { return length; }
const tkvsim::Request &traceEntry(size_t index) { return entries[index]; }

}  // namespace sim
