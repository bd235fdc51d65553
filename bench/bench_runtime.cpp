// One output to one input through the host runtime: samples per second, and
// the time from publishing a sample to the consumer having handled it.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "maps_runtime.h"

namespace {

int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// TestCounter writes 0..N-1 on a depth-16 FIFO; TestEcho reads each and
// re-publishes it; a sink counts what the echo published.
void BM_CounterToEcho(benchmark::State &state) {
    const int64_t total = state.range(0);
    zuv::host::Runtime runtime;
    runtime.SetReportCallback([](int, const std::string &, const std::string &) {});
    runtime.LoadPackage(ZUV_TEST_PACKAGE);
    auto &counter = runtime.CreateInstance("TestCounter", "counter");
    auto &echo = runtime.CreateInstance("TestEcho", "echo");
    counter.SetProperty("pTotal", zuv::host::PropertyValue::Integer(total));
    runtime.Connect(counter, "oCount", echo, "iIn");
    std::atomic<int64_t> received{0};
    runtime.AttachSink(echo, "oEcho", [&](const zuv::host::SampleView &) { received.fetch_add(1); });
    for (auto _ : state) {
        received.store(0);
        runtime.Start();
        while (received.load() < total) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        runtime.Stop();
    }
    state.SetItemsProcessed(state.iterations() * total);
}
BENCHMARK(BM_CounterToEcho)->Arg(200000)->Unit(benchmark::kMillisecond)->UseRealTime();

// An outside source pushing as fast as it can into TestEcho, one by one
// (Arg 0: the echo is woken at every sample it waits for) or in bulk (Arg 1:
// woken per half FIFO), depth 64.
void BM_SourceToEcho(benchmark::State &state) {
    constexpr int64_t kTotal = 200000;
    zuv::host::Runtime runtime;
    runtime.SetReportCallback([](int, const std::string &, const std::string &) {});
    runtime.LoadPackage(ZUV_TEST_PACKAGE);
    auto &echo = runtime.CreateInstance("TestEcho", "echo");
    auto &source = runtime.CreateSource("player", zuv::host::ElementType::Stream8, 8, 64);
    source.SetBulk(state.range(0) != 0);
    runtime.Connect(source, echo, "iIn");
    std::atomic<int64_t> received{0};
    runtime.AttachSink(echo, "oEcho", [&](const zuv::host::SampleView &) { received.fetch_add(1); });
    uint8_t byte = 0;
    for (auto _ : state) {
        received.store(0);
        runtime.Start();
        for (int64_t i = 0; i < kTotal; ++i) source.Push(i, &byte, 1);
        source.Drain();
        runtime.Stop();
    }
    state.SetItemsProcessed(state.iterations() * kTotal);
}
BENCHMARK(BM_SourceToEcho)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// One sample at a time from an outside source into TestEcho: publish time
// travels in the time stamp, the sink on the echo's output takes the
// difference. No queueing: this is the bare hand-over latency.
void BM_PublishToReceiveLatency(benchmark::State &state) {
    zuv::host::Runtime runtime;
    runtime.SetReportCallback([](int, const std::string &, const std::string &) {});
    runtime.LoadPackage(ZUV_TEST_PACKAGE);
    auto &echo = runtime.CreateInstance("TestEcho", "echo");
    auto &source = runtime.CreateSource("player", zuv::host::ElementType::Stream8, 8, 16);
    runtime.Connect(source, echo, "iIn");
    std::atomic<int64_t> received{0};
    std::atomic<int64_t> latencyNs{0};
    runtime.AttachSink(echo, "oEcho", [&](const zuv::host::SampleView &view) {
        latencyNs.fetch_add(SteadyNs() - view.timestamp);
        received.fetch_add(1);
    });
    runtime.Start();
    int64_t sent = 0;
    uint8_t byte = 0;
    for (auto _ : state) {
        source.Push(SteadyNs(), &byte, 1);
        ++sent;
        while (received.load() < sent) std::this_thread::yield();
    }
    runtime.Stop();
    state.counters["latency_us"] =
        benchmark::Counter(sent > 0 ? static_cast<double>(latencyNs.load()) / static_cast<double>(sent) / 1000.0 : 0.0);
    state.SetItemsProcessed(sent);
}
BENCHMARK(BM_PublishToReceiveLatency)->UseRealTime();

}  // namespace
