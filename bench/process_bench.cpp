// Whole programs: a large dump against xxd over the same bytes, and a
// one-shot command against a trivial program that opens and closes a file.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "spawn.h"

namespace {

// 0x1000000 bytes: the 16 MiB that `vram -n 1000000` dumps, all zero on a
// fresh device.
constexpr size_t kDumpBytes = size_t{16} << 20;

void run(benchmark::State &state, const char *const argv[]) {
    for (auto _ : state)
        if (!runQuietly(argv)) state.SkipWithError("the program failed");
}

void tkvconDump(benchmark::State &state) {
    setenv("TKVSIM_STATE", "", 1);  // a fresh device in memory: zeros
    const char *const argv[] = {TKVCON_SIM_PATH, "vram", "-w", "1", "-n", "1000000", nullptr};
    run(state, argv);
    unsetenv("TKVSIM_STATE");
}

// A file of kDumpBytes zero bytes, made once.
const char *zeroFile() {
    static char path[] = "/tmp/tkv-bench-XXXXXX";
    static bool made = false;
    if (made) return path;
    int fd = mkstemp(path);
    if (fd < 0) return nullptr;
    static char block[1 << 16];
    for (size_t done = 0; done < kDumpBytes; done += sizeof block)
        if (write(fd, block, sizeof block) != static_cast<ssize_t>(sizeof block)) return nullptr;
    close(fd);
    made = true;
    atexit([] { unlink(path); });
    return path;
}

void xxdDump(benchmark::State &state) {
    const char *file = zeroFile();
    if (!*XXD_PATH || strstr(XXD_PATH, "NOTFOUND") || !file) {
        state.SkipWithError("xxd or the zero file is missing");
        return;
    }
    const char *const argv[] = {XXD_PATH, file, nullptr};
    run(state, argv);
}

void tkvconVersion(benchmark::State &state) {
    const char *const argv[] = {TKVCON_SIM_PATH, "ver", nullptr};
    run(state, argv);
}

void openClose(benchmark::State &state) {
    const char *const argv[] = {OPEN_CLOSE_PATH, nullptr};
    run(state, argv);
}

}  // namespace

BENCHMARK(tkvconDump)
    ->Name("dump/tkvcon")
    ->Iterations(1)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(xxdDump)
    ->Name("dump/xxd")
    ->Iterations(1)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(tkvconVersion)
    ->Name("oneshot/tkvcon")
    ->Iterations(200)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(openClose)
    ->Name("oneshot/open_close")
    ->Iterations(200)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
