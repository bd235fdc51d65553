// JSON line formatting and .zrec reading/writing: the per-sample work of
// `zuv decode` and `zuv record` outside the components.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "jsonLineFormat.h"
#include "zrecReader.h"
#include "zrecWriter.h"

using namespace zuv;

namespace {

// An IMU-like vector: fifteen doubles of mixed magnitude, widened floats among them.
std::vector<double> imuValues() {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> dist(-50.0, 50.0);
    std::vector<double> v;
    for (int i = 0; i < 15; ++i) v.push_back(i % 2 ? static_cast<double>(static_cast<float>(dist(rng))) : dist(rng));
    v[14] = 200;  // an appended framerate
    return v;
}

void BM_JsonLineFloat64x15(benchmark::State &state) {
    sinks::JsonPinTag pin("decoder", "oImu", sinks::SampleType::Float64);
    auto values = imuValues();
    std::string out;
    int64_t t = 1000;
    for (auto _ : state) {
        out.clear();
        sinks::appendJsonLine(out, t += 5000, pin, values.data(), values.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * out.size()));
}
BENCHMARK(BM_JsonLineFloat64x15);

void BM_JsonLineInteger64x8(benchmark::State &state) {
    sinks::JsonPinTag pin("decoder", "oStatus", sinks::SampleType::Integer64);
    const int64_t values[8] = {1234567, 0x1FF, 3, 0, 17, -1, 4000000000, 200};
    std::string out;
    for (auto _ : state) {
        out.clear();
        sinks::appendJsonLine(out, 123456789, pin, values, 8);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_JsonLineInteger64x8);

void BM_JsonLineStream8x65(benchmark::State &state) {
    sinks::JsonPinTag pin("reader", "oData", sinks::SampleType::Stream8);
    std::vector<uint8_t> frame(65);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 37);
    std::string out;
    for (auto _ : state) {
        out.clear();
        sinks::appendJsonLine(out, 123456789, pin, frame.data(), frame.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_JsonLineStream8x65);

class TempRecording {
public:
    TempRecording() {
        char name[] = "/tmp/bench_zrec_XXXXXX";
        int fd = mkstemp(name);
        if (fd >= 0) close(fd);
        path = name;
    }
    ~TempRecording() { std::remove(path.c_str()); }
    std::string path;
};

void BM_ZrecWrite65(benchmark::State &state) {
    TempRecording file;
    recording::ZrecWriter writer;
    writer.open(file.path);
    std::vector<uint8_t> frame(65, 0x5A);
    int64_t t = 0;
    for (auto _ : state) writer.append(t += 5000, frame.data(), static_cast<uint32_t>(frame.size()));
    writer.close();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ZrecWrite65);

void BM_ZrecRead65(benchmark::State &state) {
    TempRecording file;
    {
        recording::ZrecWriter writer;
        writer.open(file.path);
        std::vector<uint8_t> frame(65, 0x5A);
        for (int i = 0; i < 100000; ++i) writer.append(i * 5000, frame.data(), 65);
        writer.close();
    }
    recording::ZrecReader reader;
    recording::ZrecRecord record;
    reader.open(file.path);
    for (auto _ : state) {
        if (reader.next(record) != recording::ZrecStatus::Record) {
            state.PauseTiming();
            reader.open(file.path);
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(record.bytes);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ZrecRead65);

}  // namespace
