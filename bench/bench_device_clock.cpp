// Device-clock time stamps against the truth: the simulator streams 200 Hz IMU
// on a pseudo-terminal, its clock 50 ppm fast, delivered in 16 ms bursts like
// a USB serial adapter, and writes when each frame was made (--truth).
// reader -> decoder with pDeviceClockTimestamps; for every IMU sample it
// compares the mapped stamp, and the reader's arrival stamp, with the true
// generation time, and prints the 1st to 99th percentile spread of each after
// removing its median (the host clock's origin is not the steady clock's).
//
//   build/bin/bench_device_clock [--seconds S] [--burst-ms N] [--drift-ppm P] [--package PATH] [--dump FILE]
//
// --dump writes "TS TRUTH MAPPED ARRIVAL" per IMU sample (truth on the steady clock, the
// others on the host clock).
//
// Goal: at most 100 us spread for the mapped stamps. The first 20 s (or a
// third of a shorter run) are left out: the estimate is still settling.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "maps_runtime.h"
#include "zuvEComBinaryLogs.h"
#include "zuvReaderSoak.h"
#include "zuvSim.h"

namespace {

struct Options {
    std::string package;
    double seconds = 60;
    uint32_t burstMs = 16;
    double driftPpm = 50;
    std::string dump;  // "ts truth mapped arrival" per IMU sample, for plots
};
Options gOptions;

struct Spread {
    size_t samples = 0;
    int64_t spreadUs = 0;  // p99 - p1 of (stamp - truth) - median
    int64_t medianUs = 0;
};

Spread spreadOf(std::vector<int64_t> errors) {
    Spread spread;
    spread.samples = errors.size();
    if (errors.empty()) {
        return spread;
    }
    std::sort(errors.begin(), errors.end());
    const size_t n = errors.size();
    spread.medianUs = errors[n / 2];
    spread.spreadUs = errors[(n - 1) * 99 / 100] - errors[(n - 1) / 100];
    return spread;
}

// ts -> true generation time on the steady clock, IMU only.
std::map<uint32_t, int64_t> readTruth(const std::string &path) {
    std::map<uint32_t, int64_t> truth;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        unsigned id = 0;
        std::string ts;
        long long host = 0;
        if (fields >> id >> ts >> host && id == 3 && ts != "-") {
            truth[static_cast<uint32_t>(std::stoul(ts))] = host;
        }
    }
    return truth;
}

struct Stamped {
    uint32_t ts;
    int64_t stamp;
};

void BM_DeviceClockStamps(benchmark::State &state) {
    char truthPath[] = "/tmp/zuv_bench_truth_XXXXXX";
    const int fd = mkstemp(truthPath);
    if (fd < 0) throw std::runtime_error("no temporary file");
    close(fd);

    Spread mapped;
    Spread arrival;
    for (auto _ : state) {
        zuv::sim::SimConfig config;
        config.clock = zuv::sim::ClockMode::RealTime;
        config.link = zuv::sim::LinkKind::Pty;
        config.outputModes = {{3, 1}};  // IMU at 200 Hz
        config.timing.burstMs = gOptions.burstMs;
        config.timing.clockDriftPpm = gOptions.driftPpm;
        config.timing.truthFile = truthPath;
        zuv::sim::Simulator sim(config);
        if (sim.start() != ZUV_NO_ERROR) throw std::runtime_error("simulator: " + sim.errorText());

        const size_t capacity = static_cast<size_t>(200 * (gOptions.seconds + 10));
        std::vector<Stamped> mappedStamps;
        std::vector<Stamped> arrivalStamps;
        mappedStamps.reserve(capacity);
        arrivalStamps.reserve(capacity);
        std::mutex lock;

        zuv::host::Runtime runtime;
        runtime.SetReportCallback([](int, const std::string &, const std::string &) {});
        runtime.LoadPackage(gOptions.package);
        zuv::host::Instance &reader = runtime.CreateInstance("ZUV_FrameReader", "reader");
        zuv::host::Instance &decoder = runtime.CreateInstance("ZUV_FrameDecoder", "decoder");
        reader.SetPropertyFromText("pComPort", sim.ptyPath());
        reader.SetPropertyFromText("pImuData", "200 Hz");
        decoder.SetPropertyFromText("pImuData", "Enabled");
        decoder.SetPropertyFromText("pDeviceClockTimestamps", "true");
        runtime.Connect(reader, "oData", decoder, "iData");
        // The twin carries the raw ts with the mapped stamp.
        runtime.AttachSink(decoder, "oImuInternalTimestamp", [&](const zuv::host::SampleView &sample) {
            int64_t ts = 0;
            std::memcpy(&ts, sample.data, sizeof(ts));
            std::lock_guard<std::mutex> guard(lock);
            if (mappedStamps.size() < mappedStamps.capacity())
                mappedStamps.push_back({static_cast<uint32_t>(ts), sample.timestamp});
        });
        runtime.AttachSink(reader, "oData", [&](const zuv::host::SampleView &sample) {
            const auto *frame = static_cast<const uint8_t *>(sample.data);
            ZuvBinaryLogData log{};
            uint32_t ts = 0;
            if (sample.bytes < 9 || frame[2] != 3 ||
                zuvEComBinaryLogParse(ZUV_ECOM_CLASS_LOG_ECOM_0, 3, frame + 6, sample.bytes - 9, &log) !=
                    ZUV_NO_ERROR ||
                zuvEComBinaryLogTimeStamp(3, &log, &ts) == 0) {
                return;
            }
            std::lock_guard<std::mutex> guard(lock);
            if (arrivalStamps.size() < arrivalStamps.capacity()) arrivalStamps.push_back({ts, sample.timestamp});
        });
        runtime.Start();
        std::this_thread::sleep_for(std::chrono::duration<double>(gOptions.seconds));
        runtime.Stop();
        sim.stop();

        const std::map<uint32_t, int64_t> truth = readTruth(truthPath);
        const double settleSeconds = std::min(20.0, gOptions.seconds / 3);
        const auto errorsOf = [&](const std::vector<Stamped> &stamps) {
            std::vector<int64_t> errors;
            if (stamps.empty()) return errors;
            const int64_t from = stamps.front().stamp + static_cast<int64_t>(settleSeconds * 1e6);
            for (const Stamped &s : stamps) {
                const auto made = truth.find(s.ts);
                if (s.stamp >= from && made != truth.end()) errors.push_back(s.stamp - made->second);
            }
            return errors;
        };
        if (!gOptions.dump.empty()) {
            std::map<uint32_t, int64_t> arrivals;
            for (const Stamped &s : arrivalStamps) arrivals[s.ts] = s.stamp;
            std::FILE *out = std::fopen(gOptions.dump.c_str(), "w");
            for (const Stamped &s : mappedStamps) {
                const auto made = truth.find(s.ts);
                const auto arrived = arrivals.find(s.ts);
                if (out != nullptr && made != truth.end() && arrived != arrivals.end()) {
                    std::fprintf(out, "%u %lld %lld %lld\n", s.ts, static_cast<long long>(made->second),
                                 static_cast<long long>(s.stamp), static_cast<long long>(arrived->second));
                }
            }
            if (out != nullptr) std::fclose(out);
        }
        mapped = spreadOf(errorsOf(mappedStamps));
        arrival = spreadOf(errorsOf(arrivalStamps));
    }
    std::remove(truthPath);
    state.counters["mapped_spread_us"] = static_cast<double>(mapped.spreadUs);
    state.counters["arrival_spread_us"] = static_cast<double>(arrival.spreadUs);
    state.counters["samples"] = static_cast<double>(mapped.samples);
    std::printf("IMU 200 Hz, bursts every %u ms, device clock %+.0f ppm, %.0f s (first %.0f s left out)\n",
                gOptions.burstMs, gOptions.driftPpm, gOptions.seconds, std::min(20.0, gOptions.seconds / 3));
    std::printf("  mapped stamps  (pDeviceClockTimestamps): %zu samples, p1-p99 spread %lld us\n", mapped.samples,
                static_cast<long long>(mapped.spreadUs));
    std::printf("  arrival stamps (reader.oData):          %zu samples, p1-p99 spread %lld us\n", arrival.samples,
                static_cast<long long>(arrival.spreadUs));
}

}  // namespace

int main(int argc, char **argv) {
    gOptions.package = zuv::test::PackageBesideProgram();
    std::vector<char *> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc) {
            gOptions.seconds = std::atof(argv[++i]);
        } else if (arg == "--burst-ms" && i + 1 < argc) {
            gOptions.burstMs = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--drift-ppm" && i + 1 < argc) {
            gOptions.driftPpm = std::atof(argv[++i]);
        } else if (arg == "--package" && i + 1 < argc) {
            gOptions.package = argv[++i];
        } else if (arg == "--dump" && i + 1 < argc) {
            gOptions.dump = argv[++i];
        } else if (arg.rfind("--benchmark_", 0) == 0) {
            rest.push_back(argv[i]);
        } else {
            std::fprintf(stderr,
                         "usage: %s [--seconds S] [--burst-ms N] [--drift-ppm P] [--package PATH] [--dump FILE]\n",
                         argv[0]);
            return 2;
        }
    }
    if (!(gOptions.seconds > 0)) {
        std::fprintf(stderr, "--seconds wants a positive number\n");
        return 2;
    }
    benchmark::RegisterBenchmark("DeviceClockStamps", BM_DeviceClockStamps)
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kSecond);
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
