// Frame extraction over an in-memory stream of IMU-sized frames (58-byte payloads).
#include <benchmark/benchmark.h>

#include "zuvExtractionHarness.h"

namespace {

using zuv::test::Bytes;

// range(0): bytes the interface hands over per read (what the link has waiting).
void BM_Extraction(benchmark::State &state) {
    const size_t chunkSize = static_cast<size_t>(state.range(0));
    zuv::test::Rng rng(3);
    Bytes stream;
    constexpr int kFrames = 4000;
    for (int i = 0; i < kFrames; ++i) {
        const Bytes wire = zuv::test::makeFrame(3, 0, rng.bytes(58)).wire;
        stream.insert(stream.end(), wire.begin(), wire.end());
    }
    zuv::test::MemoryLink link;
    for (size_t at = 0; at < stream.size(); at += chunkSize) {
        const size_t n = std::min(chunkSize, stream.size() - at);
        link.push(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(at),
                        stream.begin() + static_cast<std::ptrdiff_t>(at + n)));
    }

    uint8_t payload[ZUV_ECOM_MAX_PAYLOAD_SIZE];
    size_t payloadSize = 0;
    uint8_t id = 0, cls = 0;
    uint16_t crc = 0;
    int64_t frames = 0;
    for (auto _ : state) {
        const ZuvErrorCode rc =
            zuv::test::receive(link.protocol(), &cls, &id, payload, &payloadSize, sizeof(payload), crc);
        if (rc == ZUV_NO_ERROR) {
            ++frames;
        } else if (link.pending() == 0) {
            zuvInterfaceMemoryRewind(link.interface());
        }
        benchmark::DoNotOptimize(payload);
    }
    const int64_t frameBytes = static_cast<int64_t>(stream.size() / kFrames);
    state.SetBytesProcessed(frames * frameBytes);
    state.counters["frames"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
// One frame per read (a quiet serial line), a UDP-sized burst, and a full buffer per read.
BENCHMARK(BM_Extraction)->Arg(67)->Arg(1400)->Arg(4096);

}  // namespace

BENCHMARK_MAIN();
