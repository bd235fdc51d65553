// Frame decoder Core throughput, driven directly through the runtime's step
// mode: one IMU frame per iData sample, as the reader
// publishes them, at 200 Hz on the sample clock. Step mode hands Core the
// same sample each time and takes published elements without copying, so the
// figures are the decoder's own work plus the host-interface calls it makes
// (pin and property lookups, element handling).
//
//   build/bin/bench_decoder --benchmark_min_time=2
//
// Counters: frames/s (items_per_second) and heap allocations per frame.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "zuvAllocationCounter.h"
#include "zuvLinkedPackage.h"
#include "zuvLogFrames.h"

namespace {

void runImu(benchmark::State &state, bool twin, bool framerates, bool downSampling) {
    zuv::host::StepRuntime runtime;
    zuv::host::StepInstance &decoder = zuv::test::linkedPackage(runtime).CreateInstance("ZUV_FrameDecoder", "decoder");
    decoder.KeepSamples(false);
    decoder.Set("pImuData", 1);
    decoder.Set("pInternalTimestamp", twin ? 1 : 0);
    decoder.Set("pAddOriginalFramerate", framerates ? 1 : 0);
    decoder.Set("pDownSampling", downSampling ? 1 : 0);
    if (downSampling) decoder.Set("pNewFramerate", 100);
    runtime.SetTime(0);
    decoder.Birth();
    decoder.PushForever(5000, 5000, zuv::test::logFrame(3, zuv::test::records::imu()));
    decoder.Core();

    const uint64_t publishedBefore = decoder.Published();
    long allocations = 0;
    {
        zuv::test::AllocationWindow window;
        for (auto _ : state) {
            decoder.Core();
        }
        allocations = window.count();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["allocs_per_frame"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
    state.counters["samples_out_per_frame"] = benchmark::Counter(
        static_cast<double>(decoder.Published() - publishedBefore) / static_cast<double>(state.iterations()));
    decoder.Death();
}

void BM_DecoderCore_Imu_WithTwin(benchmark::State &state) {
    runImu(state, true, false, false);
}
void BM_DecoderCore_Imu_WithTwinAndFramerate(benchmark::State &state) {
    runImu(state, true, true, false);
}
void BM_DecoderCore_Imu_NoTwin(benchmark::State &state) {
    runImu(state, false, false, false);
}
void BM_DecoderCore_Imu_DownSampledTo100(benchmark::State &state) {
    runImu(state, true, true, true);
}

BENCHMARK(BM_DecoderCore_Imu_WithTwin);
BENCHMARK(BM_DecoderCore_Imu_WithTwinAndFramerate);
BENCHMARK(BM_DecoderCore_Imu_NoTwin);
BENCHMARK(BM_DecoderCore_Imu_DownSampledTo100);

}  // namespace

BENCHMARK_MAIN();
