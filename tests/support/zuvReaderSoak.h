// Soak of the frame reader, shared by its benchmark and its short test: the
// simulator streams every log kind at 200 Hz on a pseudo-terminal; every log
// frame it wrote after the reader's start must come out on reader.oData, in
// order and byte for byte. Along the way it measures the reader thread's CPU
// time and the latency from the simulator's write to the sample's publication.
//
// Errors: setup failures throw std::runtime_error; stream mismatches are in the
// result (`failure` empty when every frame arrived intact and in order).
// Threading: the simulator's tap and the oData sink each write their own
// preallocated record list; both are read only after their threads stopped.
#pragma once

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "maps_runtime.h"
#include "zuvCrc.h"
#include "zuvSim.h"

namespace zuv::test {

struct SoakOptions {
    std::string package;  // zuv.pck to load
    double seconds = 60;
    uint32_t baudRate = 921600;
};

struct SoakResult {
    uint64_t framesSent = 0;      // log frames written from the first one the reader published
    uint64_t framesReceived = 0;  // oData samples
    uint64_t bytesReceived = 0;
    uint64_t framesSkippedAtStart = 0;  // written while the reader was still starting
    std::string failure;
    double seconds = 0;            // wall time between the first and the last sample
    double readerCpuSeconds = 0;   // the reader thread's CPU time over the same span
    double processCpuSeconds = 0;  // the whole process (simulator included) over the run
    double latencyMedianUs = 0;
    double latencyP99Us = 0;
    double latencyMaxUs = 0;
};

namespace detail {

struct FrameRecord {
    uint32_t crc32;
    uint32_t size;
    uint8_t msgId;
    int64_t ns;  // steady clock
};

inline int64_t steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

inline double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

constexpr uint8_t kLogIds[26] = {1,  2,  3,  4,  5,  6,  7,  8,  13, 14, 15, 16, 17,
                                 18, 19, 24, 25, 26, 27, 28, 29, 30, 31, 36, 37, 38};
constexpr const char *kRateProperties[26] = {
    "pStatus",  "pUtcTime",        "pImuData",       "pMag",     "pMagCalib", "pEkfEuler", "pEkfQuat",
    "pEkfNav",  "pGps1Vel",        "pGps1Pos",       "pGps1Hdt", "pGps1Raw",  "pGps2Vel",  "pGps2Pos",
    "pGps2Hdt", "pGps2Raw",        "pOdoVel",        "pEventA",  "pEventB",   "pEventC",   "pEventD",
    "pEventE",  "pDvlBottomTrack", "pDvlWaterTrack", "pAirData", "pUsbl"};

}  // namespace detail

inline SoakResult RunReaderSoak(const SoakOptions &options) {
    using detail::FrameRecord;
    // 26 kinds at 200 Hz, with room to spare: no allocation while streaming.
    const size_t capacity = static_cast<size_t>(26 * 200 * (options.seconds + 10) * 1.2);
    std::vector<FrameRecord> sent, received;
    sent.reserve(capacity);
    received.reserve(capacity);

    zuv::sim::SimConfig config;
    config.clock = zuv::sim::ClockMode::RealTime;
    config.link = zuv::sim::LinkKind::Pty;
    config.baudRate = options.baudRate;
    for (uint8_t id : detail::kLogIds) {
        config.outputModes.push_back({id, 1});
    }
    // Event markers come from sync pulses: pulse every input at 200 Hz.
    for (auto &pulses : config.sync) {
        pulses.rateHz = 200;
    }
    zuv::sim::Simulator sim(config);
    sim.setFrameTap([&sent](const zuv::sim::SentFrame &frame) {
        if (frame.msgClass <= 1 && frame.faults == 0 && sent.size() < sent.capacity()) {
            sent.push_back({zuvCrc32Compute(frame.bytes + frame.noiseBytes, frame.size - frame.noiseBytes),
                            static_cast<uint32_t>(frame.size - frame.noiseBytes), frame.msgId, detail::steadyNs()});
        }
    });
    if (sim.start() != ZUV_NO_ERROR) {
        throw std::runtime_error("simulator: " + sim.errorText());
    }

    zuv::host::Runtime runtime;
    runtime.SetReportCallback([](int, const std::string &, const std::string &) {});
    runtime.LoadPackage(options.package);
    zuv::host::Instance &reader = runtime.CreateInstance("ZUV_FrameReader", "reader");
    reader.SetPropertyFromText("pComPort", sim.ptyPath());
    reader.SetPropertyFromText("pBaudRate", std::to_string(options.baudRate));
    for (const char *property : detail::kRateProperties) {
        reader.SetPropertyFromText(property, "200 Hz");
    }

    std::atomic<uint64_t> count{0};
    double firstCpu = 0, lastCpu = 0;
    runtime.AttachSink(reader, "oData", [&](const zuv::host::SampleView &sample) {
        const int64_t now = detail::steadyNs();
        if (received.empty()) {
            firstCpu = detail::threadCpuSeconds();
        }
        const auto *bytes = static_cast<const uint8_t *>(sample.data);
        if (received.size() < received.capacity()) {
            received.push_back({zuvCrc32Compute(bytes, sample.bytes), static_cast<uint32_t>(sample.bytes),
                                sample.bytes > 2 ? bytes[2] : uint8_t{0}, now});
        }
        lastCpu = detail::threadCpuSeconds();
        count.fetch_add(1, std::memory_order_release);
    });

    const double processCpuStart = detail::processCpuSeconds();
    runtime.Start();
    std::this_thread::sleep_for(std::chrono::duration<double>(options.seconds));
    for (uint8_t id : detail::kLogIds) {
        sim.setOutputMode(0, 0, id, 0);
    }
    for (size_t input = 0; input < zuv::sim::kSyncInputCount; ++input) {
        sim.setSyncPulses(input, {});
    }
    sim.waitForOutput(5000);
    // Let the reader drain what the link still holds.
    for (uint64_t last = count.load(std::memory_order_acquire);;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const uint64_t now = count.load(std::memory_order_acquire);
        if (now == last) {
            break;
        }
        last = now;
    }
    runtime.Stop();
    sim.stop();

    SoakResult result;
    result.processCpuSeconds = detail::processCpuSeconds() - processCpuStart;
    result.framesReceived = received.size();
    for (const FrameRecord &r : received) {
        result.bytesReceived += r.size;
    }
    if (received.empty()) {
        result.failure = "no sample on oData";
        return result;
    }
    const auto same = [](const FrameRecord &a, const FrameRecord &b) {
        return a.crc32 == b.crc32 && a.size == b.size && a.msgId == b.msgId;
    };
    const auto first =
        std::find_if(sent.begin(), sent.end(), [&](const FrameRecord &s) { return same(s, received.front()); });
    if (first == sent.end()) {
        result.failure = "the first sample is no frame the simulator wrote";
        return result;
    }
    const size_t start = static_cast<size_t>(first - sent.begin());
    result.framesSkippedAtStart = start;
    result.framesSent = sent.size() - start;
    std::vector<int64_t> latencies;
    latencies.reserve(received.size());
    for (size_t i = 0; i < received.size(); ++i) {
        if (start + i >= sent.size()) {
            result.failure = "more samples than frames written";
            break;
        }
        if (!same(received[i], sent[start + i])) {
            result.failure = "sample " + std::to_string(i) + " differs from frame " + std::to_string(start + i) +
                             " written (id " + std::to_string(sent[start + i].msgId) + ")";
            break;
        }
        latencies.push_back(received[i].ns - sent[start + i].ns);
    }
    if (result.failure.empty() && result.framesSent != result.framesReceived) {
        result.failure = std::to_string(result.framesSent - result.framesReceived) + " frames written never arrived";
    }
    result.seconds = static_cast<double>(received.back().ns - received.front().ns) * 1e-9;
    result.readerCpuSeconds = lastCpu - firstCpu;
    if (!latencies.empty()) {
        std::sort(latencies.begin(), latencies.end());
        result.latencyMedianUs = static_cast<double>(latencies[latencies.size() / 2]) * 1e-3;
        result.latencyP99Us = static_cast<double>(latencies[latencies.size() * 99 / 100]) * 1e-3;
        result.latencyMaxUs = static_cast<double>(latencies.back()) * 1e-3;
    }
    return result;
}

// zuv.pck beside the running program (tests and benchmarks share build/bin).
inline std::string PackageBesideProgram() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        throw std::runtime_error("cannot find the running program");
    }
    std::string program(path, static_cast<size_t>(n));
    return program.substr(0, program.rfind('/') + 1) + "zuv.pck";
}

}  // namespace zuv::test
