// Whole programs: a large dump against xxd over the same bytes, and a
// one-shot command against a trivial program that opens and closes a file.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <string.h>

#include "dump_files.h"
#include "spawn.h"

namespace {

void tkvconDump(benchmark::State &state) {
    setenv("TKVSIM_STATE", "", 1);  // a fresh device in memory: zeros
    const char *const argv[] = {TKVCON_SIM_PATH, "vram", "-w", "1", "-n", "1000000", nullptr};
    runEachIteration(state, argv);
    unsetenv("TKVSIM_STATE");
}

void xxdDump(benchmark::State &state) {
    const char *file = zeroFile();
    if (!programFound(XXD_PATH) || !file) {
        state.SkipWithError("xxd or the zero file is missing");
        return;
    }
    const char *const argv[] = {XXD_PATH, file, nullptr};
    runEachIteration(state, argv);
}

void tkvconVersion(benchmark::State &state) {
    const char *const argv[] = {TKVCON_SIM_PATH, "ver", nullptr};
    runEachIteration(state, argv);
}

void openClose(benchmark::State &state) {
    const char *const argv[] = {OPEN_CLOSE_PATH, nullptr};
    runEachIteration(state, argv);
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
