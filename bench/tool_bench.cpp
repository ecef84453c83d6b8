// tkvtool beside the peer tools over the same 16 MiB: the raw dump against
// xxd, the hex+ASCII dump against hexdump -C and xxd (on a fresh device's
// zeros, and on pseudo-random bytes loaded into the device), a one-shot
// command against a trivial program, and a register read by name against
// the same read by number.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "dump_files.h"
#include "spawn.h"

namespace {

// A private folder for the raw dump's output and the loaded device's state.
const char *workFolder() {
    static char path[] = "/tmp/tkv-bench-tool-XXXXXX";
    static const bool made = [] {
        if (!mkdtemp(path)) return false;
        atexit([] {
            for (const char *name : {"/raw", "/state"}) unlink((std::string(path) + name).c_str());
            rmdir(path);
        });
        return true;
    }();
    return made ? path : nullptr;
}

// Runs tkvtool-sim on a fresh device (zeros) or on the one that holds the random file.
void runTool(benchmark::State &state, const char *const argv[], bool randomDevice) {
    static std::string loadedState;
    if (randomDevice && loadedState.empty()) {
        const char *folder = workFolder(), *file = randomFile();
        if (!folder || !file) return state.SkipWithError("cannot make the random device");
        std::string path = std::string(folder) + "/state";
        setenv("TKVSIM_STATE", path.c_str(), 1);
        const char *const load[] = {TKVTOOL_SIM_PATH, "load", "vram", "0", file, nullptr};
        if (!runQuietly(load)) return state.SkipWithError("cannot load the random device");
        loadedState = path;
    }
    setenv("TKVSIM_STATE", randomDevice ? loadedState.c_str() : "", 1);
    runEachIteration(state, argv);
    unsetenv("TKVSIM_STATE");
}

void toolRawDump(benchmark::State &state) {
    const char *folder = workFolder();
    if (!folder) return state.SkipWithError("no work folder");
    const std::string out = std::string(folder) + "/raw";
    const char *const argv[] = {TKVTOOL_SIM_PATH, "dump", "vram", "0", "1000000", "-o", out.c_str(), nullptr};
    runTool(state, argv, false);
}

void toolHexDump(benchmark::State &state, bool random) {
    const char *const argv[] = {TKVTOOL_SIM_PATH, "dump", "vram", "0", "1000000", nullptr};
    runTool(state, argv, random);
}

void peerDump(benchmark::State &state, const char *program, const char *option, bool random) {
    const char *file = random ? randomFile() : zeroFile();
    if (!programFound(program) || !file) return state.SkipWithError("the peer or its file is missing");
    const char *const argv[] = {program, option ? option : file, option ? file : nullptr, nullptr};
    runEachIteration(state, argv);
}

void toolVersion(benchmark::State &state) {
    const char *const argv[] = {TKVTOOL_SIM_PATH, "version", nullptr};
    runEachIteration(state, argv);
}

// One register read, by its number and by its name: the name costs what
// looking it up in the register map costs.
void toolRead(benchmark::State &state, bool byName) {
    const char *const byNumber[] = {TKVTOOL_SIM_PATH, "read", "reg", "100c0", nullptr};
    const char *const named[] = {TKVTOOL_SIM_PATH, "read", "ZV0.PORT_CTRL", nullptr};
    runTool(state, byName ? named : byNumber, false);
}

// A whole dump is one iteration; the fastest of five counts.
void asDump(benchmark::internal::Benchmark *b) {
    b->Iterations(1)->Repetitions(5)->UseRealTime()->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(toolRawDump)->Name("dumpraw/tkvtool")->Apply(asDump);
BENCHMARK_CAPTURE(toolHexDump, zeros, false)->Name("dumphex/tkvtool")->Apply(asDump);
BENCHMARK_CAPTURE(peerDump, zeros, HEXDUMP_PATH, "-C", false)->Name("dumphex/hexdump")->Apply(asDump);
BENCHMARK_CAPTURE(toolHexDump, random, true)->Name("dumprandom/tkvtool")->Apply(asDump);
BENCHMARK_CAPTURE(peerDump, random, HEXDUMP_PATH, "-C", true)->Name("dumprandom/hexdump")->Apply(asDump);
BENCHMARK_CAPTURE(peerDump, random, XXD_PATH, nullptr, true)->Name("dumprandom/xxd")->Apply(asDump);
BENCHMARK(toolVersion)
    ->Name("oneshot/tkvtool")
    ->Iterations(200)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(toolRead, number, false)
    ->Name("readnumber/tkvtool")
    ->Iterations(200)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(toolRead, name, true)
    ->Name("readname/tkvtool")
    ->Iterations(200)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
