// A device stream with known truth: samples made at a steady rate on a device
// clock with an offset and a drift against the host's, and delivered in
// bursts (like a USB serial adapter) plus a small deterministic jitter.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "zuvDeviceClockMap.h"

namespace zuv::test {

struct StreamShape {
    double rateHz = 200.0;
    double driftPpm = 0.0;          // the device clock runs this much fast
    uint32_t deviceStartUs = 1000;  // device stamp of the first sample
    int64_t hostStartUs = 5000000;  // host time of the first sample
    int64_t burstUs = 16000;        // 0: each sample delivered at once
    int64_t jitterUs = 60;          // extra delivery delay, 0 to this
    // Where the host's burst grid starts; odd, so that the sample grid and
    // the bursts do not line up.
    int64_t burstPhaseUs = 3100;
    uint32_t seed = 7;
};

struct Sample {
    int64_t trueHostUs = 0;
    uint32_t deviceStamp = 0;
    int64_t arrivalUs = 0;
};

inline std::vector<Sample> makeStream(const StreamShape &shape, double seconds) {
    std::mt19937 random(shape.seed);
    std::uniform_int_distribution<int64_t> jitter(0, shape.jitterUs);
    const int count = static_cast<int>(seconds * shape.rateHz);
    std::vector<Sample> samples;
    samples.reserve(static_cast<size_t>(count));
    const double periodUs = 1e6 / shape.rateHz;
    const int64_t burstPhase = shape.burstPhaseUs;
    for (int i = 0; i < count; ++i) {
        Sample sample;
        // The device's own loop sets the pace: steady on its clock, drifting on the host's.
        const double elapsed = i * periodUs;
        sample.deviceStamp = static_cast<uint32_t>(shape.deviceStartUs + static_cast<uint32_t>(std::llround(elapsed)));
        sample.trueHostUs = shape.hostStartUs + std::llround(elapsed / (1.0 + shape.driftPpm * 1e-6));
        int64_t sent = sample.trueHostUs;
        if (shape.burstUs > 0) {
            const int64_t sinceFirstBurst = sample.trueHostUs - burstPhase;
            sent = burstPhase + (sinceFirstBurst / shape.burstUs + 1) * shape.burstUs;
        }
        sample.arrivalUs = sent + jitter(random);
        samples.push_back(sample);
    }
    // Delivery keeps the order: a burst's samples arrive together, then the next burst.
    for (size_t i = 1; i < samples.size(); ++i) {
        samples[i].arrivalUs = std::max(samples[i].arrivalUs, samples[i - 1].arrivalUs);
    }
    return samples;
}

// The 1st to 99th percentile spread of values.
inline int64_t percentileSpread(std::vector<int64_t> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return values[n * 99 / 100] - values[n / 100];
}

}  // namespace zuv::test
