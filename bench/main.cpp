// Runs the benchmarks, then sets each measurement beside its baseline.  The
// fastest repetition of each counts: other work on the machine only ever
// makes a run slower.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// Remembers the fastest repetition of every benchmark while printing as usual.
class FastestRun : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            auto found = fastest.find(run.run_name.function_name);
            if (found == fastest.end())
                fastest[run.run_name.function_name] = seconds;
            else
                found->second = std::min(found->second, seconds);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> fastest;
};

struct Comparison {
    const char *what, *measured, *baseline;
    double goal;
};

constexpr Comparison kComparisons[] = {
    {"library call / bare request", "request/library", "request/bare", 1.1},
    {"tkvcon-sim dump / xxd", "dump/tkvcon", "dump/xxd", 1.0},
    {"tkvcon-sim ver / open-close program", "oneshot/tkvcon", "oneshot/open_close", 1.5},
    {"tkvtool-sim dump -o FILE / xxd", "dumpraw/tkvtool", "dump/xxd", 0.25},
    {"tkvtool-sim dump / hexdump -C (zeros)", "dumphex/tkvtool", "dumphex/hexdump", 1.0},
    {"tkvtool-sim dump / xxd (zeros)", "dumphex/tkvtool", "dump/xxd", 1.0},
    {"tkvtool-sim dump / hexdump -C (random)", "dumprandom/tkvtool", "dumprandom/hexdump", 1.0},
    {"tkvtool-sim dump / xxd (random)", "dumprandom/tkvtool", "dumprandom/xxd", 1.0},
    {"tkvtool-sim version / open-close prog.", "oneshot/tkvtool", "oneshot/open_close", 1.5},
    {"tkvtool-sim capture / raw dump (frame)", "frame/capture", "frame/rawdump", 2.0},
    {"tkvtool-sim snapshot / version", "state/snapshot", "oneshot/tkvtool", 5.0},
    {"tkvtool-sim diff of two snapshots / version", "state/diff", "oneshot/tkvtool", 2.0},
    {"tkvtool-sim read NAME / read reg ADDR", "readname/tkvtool", "readnumber/tkvtool", 1.3},
    {"map load 100k registers / 25k", "regmap/100k", "regmap/25k", 4.4},
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    FastestRun reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    printf("\n%-38s %8s %8s\n", "ratio (fastest runs)", "measured", "goal");
    for (const Comparison &c : kComparisons) {
        auto measured = reporter.fastest.find(c.measured), baseline = reporter.fastest.find(c.baseline);
        if (measured == reporter.fastest.end() || baseline == reporter.fastest.end()) continue;
        printf("%-38s %7.2fx %7.2fx\n", c.what, measured->second / baseline->second, c.goal);
    }
    return 0;
}
