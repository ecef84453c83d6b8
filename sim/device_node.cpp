// Opens, closes and requests on the device node, with the faults the settings
// ask for, each recorded in the trace.
#include "device_node.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "core_version.h"
#include "edid.h"
#include "pci_config.h"
#include "register_space.h"
#include "settings.h"
#include "state_mapping.h"
#include "tekvaro.h"
#include "trace.h"

namespace sim {

uint64_t openFds[kMaxFd / 64];

namespace {

unsigned long requestCount;

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

int failWith(int err) {
    errno = err;
    return -1;
}

}  // namespace

int openDevice(int (*realOpen)(const char *, int, ...)) {
    // The node's descriptor first, so that it is the one a driver would give;
    // then the device exists, with the simulator's own files.
    int fd = realOpen("/dev/null", O_RDWR | O_CLOEXEC);
    const int err = fd < 0 ? errno : fd >= kMaxFd ? EMFILE : !deviceMapped() ? ENOMEM : settings().openError;
    openTraceFile();
    if (err && fd >= 0) close(fd);
    if (err) fd = -1;
    if (fd >= 0) openFds[fd / 64] |= uint64_t{1} << (fd % 64);
    tkvsim::Request r{};
    r.kind = tkvsim::Kind::Open;
    r.fd = fd;
    r.result = err ? -1 : 0;
    r.error = err;
    if (tracing()) traceRecord(r);
    return err ? failWith(err) : fd;
}

void forgetDevice(int fd) {
    openFds[fd / 64] &= ~(uint64_t{1} << (fd % 64));
    tkvsim::Request r{};
    r.kind = tkvsim::Kind::Close;
    r.fd = fd;
    if (tracing()) traceRecord(r);
}

int handleRequest(int fd, unsigned long code, void *record) {
    const Settings &s = settings();
    ++requestCount;
    if (!deviceMapped()) return failWith(ENOMEM);
    if (!tracing() && !s.requestError && !s.failNth) {  // the plain path of a long dump
        const int err = runGuarded<answer>(code, record);
        return err ? failWith(err) : 0;
    }
    tkvsim::Request r = describeRequest(fd, code, record);
    int err;
    if (s.requestError)
        err = s.requestError;
    else if (s.failNth && requestCount == s.failNth)
        err = EIO;
    else
        err = runGuarded<answer>(code, record);
    noteAnswer(r, err, record);
    if (tracing()) traceRecord(r);
    return err ? failWith(err) : 0;
}

unsigned long requestsSoFar() { return requestCount; }
void resetRequestCount() { requestCount = 0; }

}  // namespace sim
