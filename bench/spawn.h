// Starting programs for the process benchmarks.
#ifndef TKV_BENCH_SPAWN_H
#define TKV_BENCH_SPAWN_H

// Runs argv[0] with its standard output on /dev/null and waits for it; true
// when it exited with status 0.
bool runQuietly(const char *const argv[]);

#endif
