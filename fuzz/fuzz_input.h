// Helpers shared by the fuzz targets.
#ifndef TKV_FUZZ_INPUT_H
#define TKV_FUZZ_INPUT_H

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
