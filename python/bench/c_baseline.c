/* The C side of the Python benchmark (bench/compare.py): 16 MiB of video
 * memory read as 2 Mi quad requests, and one 32-bit register read through the
 * library, each the fastest of five runs.  Prints both in seconds. */
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "tekvaro.h"

enum { kBytes = 16 << 20, kSingleReads = 1000000, kRuns = 5 };

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

int main(void) {
    uint64_t *buffer = malloc(kBytes);
    if (!buffer || tkvOpen(0) < 0) return 1;
    double bulk = 1e9, single = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        double start = now();
        for (uint32_t i = 0; i < kBytes / 8; ++i)
            if (tkvVramReadQuad(i * 8, &buffer[i]) != 0) return 1;
        double seconds = now() - start;
        if (seconds < bulk) bulk = seconds;

        uint32_t value = 0;
        start = now();
        for (int i = 0; i < kSingleReads; ++i) tkvRegReadLong(0x100, &value);
        seconds = (now() - start) / kSingleReads;
        if (seconds < single) single = seconds;
    }
    printf("%.6f %.9f\n", bulk, single);
    tkvClose();
    free(buffer);
    return 0;
}
