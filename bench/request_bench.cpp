// One register read through the library against the same request issued
// directly: what the library adds to every access.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "tekvaro.h"
#include "tkvsim.h"

namespace {

constexpr uint32_t kOffset = 0x100;
constexpr uint32_t kValue = 0x11223344;

void presetRegister() { memcpy(tkvsim::registerSpace() + kOffset, &kValue, sizeof kValue); }

void libraryRead(benchmark::State &state) {
    presetRegister();
    if (tkvOpen(0) < 0) state.SkipWithError("cannot open the device");
    uint32_t value = 0;
    for (auto _ : state) {
        tkvRegReadLong(kOffset, &value);
        benchmark::DoNotOptimize(value);
    }
    tkvClose();
    if (value != kValue) state.SkipWithError("the library read a wrong value");
}

void bareRequest(benchmark::State &state) {
    presetRegister();
    int fd = open("/dev/tkvrw", O_RDWR);
    if (fd < 0) state.SkipWithError("cannot open the device");
    mmio_rw_t record{};
    for (auto _ : state) {
        record = mmio_rw_t{REGION_REG, DIR_READ, 4, kOffset, 0};
        ioctl(fd, IOCTL_MMIO_RW, &record);
        benchmark::DoNotOptimize(record.value);
    }
    close(fd);
    if (record.value != kValue) state.SkipWithError("the request read a wrong value");
}

}  // namespace

BENCHMARK(libraryRead)->Name("request/library")->Repetitions(5);
BENCHMARK(bareRequest)->Name("request/bare")->Repetitions(5);
