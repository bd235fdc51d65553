#include <benchmark/benchmark.h>

#include "zuvCrc.h"
#include "zuvTestStreams.h"

namespace {

void BM_Crc16(benchmark::State &state) {
    zuv::test::Rng rng(1);
    const auto data = rng.bytes(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(zuvCrc16Compute(data.data(), data.size()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
// A typical log frame's CRC span, a large one, and a long buffer.
BENCHMARK(BM_Crc16)->Arg(62)->Arg(4090)->Arg(1 << 20);

void BM_Crc32(benchmark::State &state) {
    zuv::test::Rng rng(2);
    const auto data = rng.bytes(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(zuvCrc32Compute(data.data(), data.size()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc32)->Arg(4096);

}  // namespace

BENCHMARK_MAIN();
