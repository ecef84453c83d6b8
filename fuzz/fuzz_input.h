// Helpers shared by the fuzz targets.
#ifndef TKV_FUZZ_INPUT_H
#define TKV_FUZZ_INPUT_H

#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <unistd.h>

#include "tekvaro.h"
#include "text_helpers.h"
#include "tkvsim.h"

namespace fuzz {

// The longest dump or fill an input may ask for: every item is a request, and
// a count of 7fffffff would turn one input into minutes.
constexpr int32_t kMaxItems = 0x1000;

// The count word as the console reads it (hex, low 32 bits, signed).
inline bool countTooLarge(const char *word) {
    return static_cast<int32_t>(static_cast<uint32_t>(htoi(word))) > kMaxItems;
}

// The device's faults an input chose.
struct Faults {
    size_t inputBytes;  // the bytes of the input that chose them
    bool i2cHangs;      // an I2C transaction takes its whole time limit
};

// An input that starts with a byte of 0x80 or above chooses a fault of the
// simulated device with it and the byte after it; text inputs (the seeds) run
// on a sound device.  Call after tkvsim::reset(), which clears the faults.
inline Faults injectFaults(const uint8_t *data, size_t size) {
    if (size < 2 || data[0] < 0x80) return Faults{0, false};
    const uint8_t parameter = data[1];
    const int channel = parameter & 1;
    switch (data[0] & 7) {
    case 0: tkvsim::failNthRequest(parameter); break;
    case 1: tkvsim::failEveryRequest(channel ? EIO : ENXIO); break;
    case 2: tkvsim::hangI2cChannel(channel); return Faults{2, true};
    case 3: tkvsim::removeI2cSlave(channel, parameter >> 1); break;
    case 4: tkvsim::removeMonitor(parameter & 3); break;
    default: break;
    }
    return Faults{2, false};
}

// The console's output goes nowhere; the fuzzer reports on stderr.
inline void silenceConsole() {
    if (!freopen("/dev/null", "w", stdout)) perror("/dev/null");
    int null = open("/dev/null", O_RDONLY);  // standard input is never a terminal
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        close(null);
    }
}

// The console's output silenced, and device 0 open on a fresh simulated device.
inline void openSimulatedDevice() {
    silenceConsole();
    tkvsim::reset();
    if (tkvOpen(0) < 0) __builtin_trap();
}

}  // namespace fuzz

#endif
