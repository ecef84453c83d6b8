// In-process control of the simulated controller, for tests that link libtkvsim.so.
//
// reset() gives a fresh device (and switches on the in-memory request trace);
// the trace lists every request made on /dev/tkvrw, with the record as sent.
#ifndef TKVSIM_H
#define TKVSIM_H

#include <stddef.h>
#include <stdint.h>

#define TKVSIM_API __attribute__((visibility("default")))

namespace tkvsim {

enum class Kind : uint32_t { Open, Close, Mmio, Ddc, CoreVer, Pci, Unknown };

// One request as the driver received it, and its answer.
struct Request {
    Kind kind;
    int fd;
    unsigned long code;
    // Mmio: region, direction, size, offset, value.  Pci: direction, offset, value.
    // Ddc: region = port, offset = reserved.
    uint32_t region;
    uint32_t direction;
    uint32_t size;
    uint32_t offset;
    uint64_t value;     // as sent
    uint64_t returned;  // the record's value after the request (reads)
    int result;
    int error;  // errno when result is -1
};

TKVSIM_API void reset();
TKVSIM_API size_t traceSize();
TKVSIM_API const Request &traceAt(size_t index);
TKVSIM_API void clearTrace();
// Switches the in-memory trace off until the next reset: it is for one
// thread, and a test of several threads making requests needs it off.
TKVSIM_API void stopTrace();

// Fault injection.  err is the errno the failure reports.
TKVSIM_API void failOpen(int err);            // every open of the node fails (0: none)
TKVSIM_API void failEveryRequest(int err);    // every request fails (0: none)
TKVSIM_API void failNthRequest(unsigned n);   // the n-th request from now fails with EIO (0: none)
TKVSIM_API void hangI2cChannel(int channel);  // transfer in progress never clears (-1: none)
TKVSIM_API void removeI2cSlave(int channel, int address);
TKVSIM_API void removeMonitor(int port);

// The model, seen directly (bypassing the request path).
// Bytes written directly are seen by requests only on a device kept in memory.
TKVSIM_API uint8_t *registerSpace();  // 16 MiB
TKVSIM_API uint8_t *videoMemory();    // 256 MiB
TKVSIM_API uint8_t crtcRegister(unsigned index);
TKVSIM_API uint8_t decoderRegister(int port, unsigned subaddress);
TKVSIM_API void setCameraSize(int port, uint16_t width, uint16_t height);
TKVSIM_API void setEdid(int port, const uint8_t *bytes, size_t length);
TKVSIM_API void setCoreVersion(int v0, int v1, int v2, int v3);

// For a program built with the simulator (tkvcon-sim): without TKVSIM_STATE,
// keep the device state in the user's default state file.
TKVSIM_API void keepStateInDefaultFile();

}  // namespace tkvsim

#endif
