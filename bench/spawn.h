// Starting programs for the process benchmarks.
#ifndef TKV_BENCH_SPAWN_H
#define TKV_BENCH_SPAWN_H

#include <benchmark/benchmark.h>

// Runs argv[0] with its standard output on /dev/null and waits for it; true
// when it exited with status 0.
bool runQuietly(const char *const argv[]);

// Runs the program once per iteration; a failed run is the benchmark's error.
void runEachIteration(benchmark::State &state, const char *const argv[]);

// A program path that CMake found (not empty, not ...-NOTFOUND).
bool programFound(const char *path);

#endif
