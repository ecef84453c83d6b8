// tkvtool beside the peer tools over the same 16 MiB: the raw dump against
// xxd, the hex+ASCII dump against hexdump -C and xxd (on a fresh device's
// zeros, and on pseudo-random bytes loaded into the device), a one-shot
// command against a trivial program, a register read by name against the
// same read by number, a 720x576 frame grab against a raw dump of the same
// bytes, and a snapshot and a diff against the one-shot.
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
            for (const char *name : {"/raw", "/state", "/camera", "/frame.png", "/a.json", "/b.json"})
                unlink((std::string(path) + name).c_str());
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

// A device whose port 0 has captured the simulated camera's picture.
bool startCamera(std::string &statePath) {
    if (!statePath.empty()) return true;
    const char *folder = workFolder();
    if (!folder) return false;
    const std::string path = std::string(folder) + "/camera";
    setenv("TKVSIM_STATE", path.c_str(), 1);
    const char *const init[] = {TKVTOOL_SIM_PATH, "zv", "init", "0", nullptr};
    const char *const start[] = {TKVTOOL_SIM_PATH, "zv", "start", "0", nullptr};
    const bool started = runQuietly(init) && runQuietly(start);
    unsetenv("TKVSIM_STATE");
    if (started) statePath = path;
    return started;
}

// The frame as a PNG, or its 720x576x2 bytes as a raw dump.
void toolFrame(benchmark::State &state, bool png) {
    static std::string cameraState;
    if (!startCamera(cameraState)) return state.SkipWithError("cannot start the simulated camera");
    const std::string out = std::string(workFolder()) + (png ? "/frame.png" : "/raw");
    const char *const capture[] = {TKVTOOL_SIM_PATH, "capture", "0", "-o", out.c_str(), nullptr};
    const char *const dump[] = {TKVTOOL_SIM_PATH, "dump", "vram", "0", "ca800", "-o", out.c_str(), nullptr};
    setenv("TKVSIM_STATE", cameraState.c_str(), 1);
    runEachIteration(state, png ? capture : dump);
    unsetenv("TKVSIM_STATE");
}

// A snapshot of the camera's device, and a diff of two snapshots of it.
void toolSnapshot(benchmark::State &state, bool diff) {
    static std::string cameraState;
    if (!startCamera(cameraState)) return state.SkipWithError("cannot start the simulated camera");
    const std::string folder = workFolder(), a = folder + "/a.json", b = folder + "/b.json";
    setenv("TKVSIM_STATE", cameraState.c_str(), 1);
    const char *const snapshotA[] = {TKVTOOL_SIM_PATH, "snapshot", "-o", a.c_str(), nullptr};
    const char *const snapshotB[] = {TKVTOOL_SIM_PATH, "snapshot", "-o", b.c_str(), nullptr};
    const char *const compare[] = {TKVTOOL_SIM_PATH, "diff", a.c_str(), b.c_str(), nullptr};
    if (runQuietly(snapshotA) && runQuietly(snapshotB))
        runEachIteration(state, diff ? compare : snapshotB);
    else
        state.SkipWithError("cannot take the snapshots");
    unsetenv("TKVSIM_STATE");
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
BENCHMARK_CAPTURE(toolFrame, png, true)
    ->Name("frame/capture")
    ->Iterations(50)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(toolFrame, raw, false)
    ->Name("frame/rawdump")
    ->Iterations(50)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(toolSnapshot, take, false)
    ->Name("state/snapshot")
    ->Iterations(100)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(toolSnapshot, diff, true)
    ->Name("state/diff")
    ->Iterations(100)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
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
