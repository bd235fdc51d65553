// Frame extraction over an in-memory stream of IMU-sized frames (58-byte payloads),
// beside two yardsticks on the same frames: the step-by-step extraction (a move
// at every discard, byte-wise CRC) and the byte-wise CRC-16 table loop alone.
// Two kinds of link: one with a backlog (every read finds the next chunk
// waiting) and one that is not (a UDP datagram arrives, the reader calls until
// nothing more is taken, then the next datagram arrives).
// After the runs, one line per case gives the ratios of the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "zuvCrc.h"
#include "zuvExtractionHarness.h"
#include "zuvExtractionReference.h"

namespace {

using zuv::test::Bytes;

constexpr int kFrames = 4000;
constexpr size_t kPayload = 58;

const Bytes &imuStream() {
    static const Bytes stream = [] {
        zuv::test::Rng rng(3);
        Bytes s;
        for (int i = 0; i < kFrames; ++i) {
            const Bytes wire = zuv::test::makeFrame(3, 0, rng.bytes(kPayload)).wire;
            s.insert(s.end(), wire.begin(), wire.end());
        }
        return s;
    }();
    return stream;
}

constexpr int64_t kFrameBytes = kPayload + ZUV_ECOM_FRAME_OVERHEAD;

using ReceiveFn = ZuvErrorCode (*)(ZuvEComProtocol *, uint8_t *, uint8_t *, void *, size_t *, size_t, uint16_t &);

// range(0): bytes the interface hands over per read (what the link has waiting).
// A full buffer stays full while the link has more, so with reads above one
// frame every call moves almost 4096 held bytes.
void runExtraction(benchmark::State &state, ReceiveFn receive) {
    const size_t chunkSize = static_cast<size_t>(state.range(0));
    const Bytes &stream = imuStream();
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
        const ZuvErrorCode rc = receive(link.protocol(), &cls, &id, payload, &payloadSize, sizeof(payload), crc);
        if (rc == ZUV_NO_ERROR) {
            ++frames;
        } else if (link.pending() == 0) {
            zuvInterfaceMemoryRewind(link.interface());
        }
        benchmark::DoNotOptimize(payload);
    }
    state.SetBytesProcessed(frames * kFrameBytes);
    state.counters["frames"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}

// A link without backlog: the gate lets the reader have one chunk of the
// script, then reads give nothing until the next chunk "arrives".
struct DatagramGate {
    ZuvInterface *target = nullptr;
    size_t allowed = 0;  // bytes of the current chunk not read yet
};

ZuvErrorCode gateRead(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes, size_t bytesToRead) {
    auto *gate = static_cast<DatagramGate *>(pInterface->handle);
    *pReadBytes = 0;
    if (gate->allowed == 0) return ZUV_NO_ERROR;
    const ZuvErrorCode rc =
        gate->target->pReadFunc(gate->target, pBuffer, pReadBytes, std::min(bytesToRead, gate->allowed));
    gate->allowed -= *pReadBytes;
    return rc;
}

// range(0): datagram size. One pass over the stream per cycle of the script;
// a pass that does not give every frame ends the run with an error.
void runDatagrams(benchmark::State &state, ReceiveFn receive) {
    const size_t chunkSize = static_cast<size_t>(state.range(0));
    const Bytes &stream = imuStream();
    zuv::test::MemoryLink link;
    std::vector<size_t> sizes;
    for (size_t at = 0; at < stream.size(); at += chunkSize) {
        const size_t n = std::min(chunkSize, stream.size() - at);
        link.push(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(at),
                        stream.begin() + static_cast<std::ptrdiff_t>(at + n)));
        sizes.push_back(n);
    }
    DatagramGate gate{link.interface(), sizes[0]};
    ZuvInterface gated{};
    zuvInterfaceZeroInit(&gated);
    gated.handle = &gate;
    gated.pReadFunc = gateRead;
    ZuvEComProtocol *protocol = link.protocol();
    protocol->pLinkedInterface = &gated;

    uint8_t payload[ZUV_ECOM_MAX_PAYLOAD_SIZE];
    size_t payloadSize = 0;
    uint8_t id = 0, cls = 0;
    uint16_t crc = 0;
    int64_t frames = 0, framesThisPass = 0;
    size_t next = 1;
    for (auto _ : state) {
        const ZuvErrorCode rc = receive(protocol, &cls, &id, payload, &payloadSize, sizeof(payload), crc);
        if (rc == ZUV_NO_ERROR) {
            ++frames;
            ++framesThisPass;
        } else if (rc == ZUV_NOT_READY && gate.allowed == 0) {
            if (next == sizes.size()) {
                if (framesThisPass != kFrames || protocol->rxBufferSize != 0) {
                    state.SkipWithError("a pass over the stream lost frames");
                    break;
                }
                framesThisPass = 0;
                next = 0;
                zuvInterfaceMemoryRewind(link.interface());
            }
            gate.allowed = sizes[next++];
        }
        benchmark::DoNotOptimize(payload);
    }
    state.SetBytesProcessed(frames * kFrameBytes);
    state.counters["frames"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}

void BM_Extraction(benchmark::State &state) {
    runExtraction(state, zuv::Quarvelis_zuvEComProtocolReceive);
}
void BM_ExtractionStepByStep(benchmark::State &state) {
    runExtraction(state, zuv::test::referenceReceive);
}
// One frame per read (a quiet serial line), a few frames, a UDP-sized burst, and a full buffer per read.
BENCHMARK(BM_Extraction)->Arg(67)->Arg(300)->Arg(1400)->Arg(4096);
BENCHMARK(BM_ExtractionStepByStep)->Arg(67)->Arg(300)->Arg(1400)->Arg(4096);

void BM_ExtractionDatagrams(benchmark::State &state) {
    runDatagrams(state, zuv::Quarvelis_zuvEComProtocolReceive);
}
void BM_ExtractionDatagramsStepByStep(benchmark::State &state) {
    runDatagrams(state, zuv::test::referenceReceive);
}
BENCHMARK(BM_ExtractionDatagrams)->Arg(1400);
BENCHMARK(BM_ExtractionDatagramsStepByStep)->Arg(1400);

// The CRC span of every frame of the stream (N + 4 bytes each), counted as
// whole frames so that the rates compare with the extraction's.
template <uint16_t (*Crc)(const uint8_t *, size_t)>
void runCrcOverFrames(benchmark::State &state) {
    const Bytes &stream = imuStream();
    size_t at = 0;
    int64_t frames = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Crc(stream.data() + at + 2, kPayload + 4));
        at += kFrameBytes;
        if (at == stream.size()) {
            at = 0;
        }
        ++frames;
    }
    state.SetBytesProcessed(frames * kFrameBytes);
}
uint16_t crcShipped(const uint8_t *p, size_t n) {
    return zuvCrc16Compute(p, n);
}
void BM_Crc16ByteWiseOverFrames(benchmark::State &state) {
    runCrcOverFrames<zuv::test::referenceCrc16>(state);
}
void BM_Crc16OverFrames(benchmark::State &state) {
    runCrcOverFrames<crcShipped>(state);
}
BENCHMARK(BM_Crc16ByteWiseOverFrames);
BENCHMARK(BM_Crc16OverFrames);

// Keeps each run's byte rate for the ratio lines.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (run.run_type == Run::RT_Iteration && it != run.counters.end()) {
                rates[run.benchmark_name()] = it->second.value;
            }
        }
    }
    std::map<std::string, double> rates;
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto &r = reporter.rates;
    const auto byteWise = r.find("BM_Crc16ByteWiseOverFrames");
    auto summary = [&](const std::string &name, const std::string &fastName, const std::string &plainName) {
        const auto fast = r.find(fastName);
        const auto plain = r.find(plainName);
        if (fast == r.end()) {
            return;
        }
        std::printf("%s: extraction %.0f MiB/s (%.0f MB/s)", name.c_str(), fast->second / (1024.0 * 1024.0),
                    fast->second / 1e6);
        if (byteWise != r.end()) {
            std::printf(", %.2fx the byte-wise CRC-16 over the same frames", fast->second / byteWise->second);
        }
        if (plain != r.end()) {
            std::printf(", %.2fx the step-by-step extraction", fast->second / plain->second);
        }
        std::printf("\n");
    };
    for (const char *chunk : {"67", "300", "1400", "4096"}) {
        summary(std::string("reads of ") + chunk + " bytes, backlogged", std::string("BM_Extraction/") + chunk,
                std::string("BM_ExtractionStepByStep/") + chunk);
    }
    summary("datagrams of 1400 bytes, one at a time", "BM_ExtractionDatagrams/1400",
            "BM_ExtractionDatagramsStepByStep/1400");
    return 0;
}
