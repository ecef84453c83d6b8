// Loading register maps as they grow: 100k registers in four files (each
// under the loader's 1 MiB) against a quarter of them, read, checked and
// searched by name in-process; and tkvtool-sim reading one register by name
// with the four files given, against the same read with the shipped maps.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "generated_regmap.h"
#include "regmap_names.h"
#include "spawn.h"

namespace {

constexpr unsigned kBlocksPerFile = 5, kRegistersPerBlock = 5000;

void load(benchmark::State &state, unsigned files) {
    const std::vector<std::string> texts = generatedRegmap(files, kBlocksPerFile, kRegistersPerBlock);
    for (auto _ : state) {
        regmap::Map map;
        std::vector<regmap::Fault> faults;
        for (const std::string &text : texts) {
            std::vector<regmap::Block> blocks;
            regmap::parseMap(text, "generated.toml", blocks, faults);
            regmap::addBlocks(map, std::move(blocks));
        }
        regmap::checkBlocks(map.blocks, faults);
        regmap::Name name;
        std::string hint;
        regmap::findName(map, "G0.R7", name, hint);
        if (!faults.empty()) return state.SkipWithError("the generated map has faults");
        benchmark::DoNotOptimize(map);
    }
}

// The four files in a private folder, removed at exit.
const std::vector<std::string> &mapFiles() {
    static char folder[] = "/tmp/tkv-bench-maps-XXXXXX";
    static std::vector<std::string> paths;
    if (!paths.empty() || !mkdtemp(folder)) return paths;
    const std::vector<std::string> texts = generatedRegmap(4, kBlocksPerFile, kRegistersPerBlock);
    for (size_t i = 0; i < texts.size(); ++i) {
        paths.push_back(std::string(folder) + "/" + std::to_string(i) + ".toml");
        FILE *file = fopen(paths.back().c_str(), "w");
        if (!file) continue;
        fwrite(texts[i].data(), 1, texts[i].size(), file);
        fclose(file);
    }
    atexit([] {
        for (const std::string &path : paths) unlink(path.c_str());
        rmdir(folder);
    });
    return paths;
}

void toolReadWithMaps(benchmark::State &state) {
    const std::vector<std::string> &files = mapFiles();
    if (files.size() != 4) return state.SkipWithError("cannot write the maps");
    std::vector<const char *> argv = {TKVTOOL_SIM_PATH, "read", "G0.R7"};
    for (const std::string &file : files) {
        argv.push_back("--map");
        argv.push_back(file.c_str());
    }
    argv.push_back(nullptr);
    setenv("TKVSIM_STATE", "", 1);
    runEachIteration(state, argv.data());
    unsetenv("TKVSIM_STATE");
}

}  // namespace

BENCHMARK_CAPTURE(load, quarter, 1)->Name("regmap/25k")->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(load, whole, 4)->Name("regmap/100k")->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(toolReadWithMaps)
    ->Name("readmaps100k/tkvtool")
    ->Iterations(10)
    ->Repetitions(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
