#include "timingAnalysis.h"

#include <algorithm>
#include <cmath>

namespace zuv::tool {

namespace {

int64_t percentile(std::vector<int64_t> values, double fraction) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

}  // namespace

void TimingAnalysis::addFrame(int64_t arrivalUs, uint8_t msgId, bool hasTs, uint32_t deviceStamp) {
    ++frames_;
    Kind &kind = kinds_[msgId];
    ++kind.frames;
    if (!hasTs) {
        return;
    }
    const clocksync::MappedStamp mapped = clock_.map(msgId, deviceStamp, arrivalUs);
    if (mapped.clockJump) {
        jumpsAt_.push_back(arrivalUs);
        ++kind.clockJumps;
    }
    if (!kind.ownClock) {
        kind.ownClock = std::make_unique<clocksync::DeviceClockMap>();
    }
    kind.ownClock->map(msgId, deviceStamp, arrivalUs);
    // A step from before a jump (of any kind) is no step of this clock.
    const int64_t clockNumber = static_cast<int64_t>(jumpsAt_.size());
    kind.newClock.push_back(kind.deviceUs.empty() || kind.clockNumber != clockNumber);
    kind.clockNumber = clockNumber;
    kind.deviceUs.push_back(mapped.deviceUs);
    kind.jitterUs.push_back(arrivalUs - mapped.hostUs);
    kind.arrivalUs.push_back(arrivalUs);
}

JitterSeries TimingAnalysis::jitterSeries(uint8_t id) const {
    const auto it = kinds_.find(id);
    if (it == kinds_.end() || it->second.deviceUs.empty()) return {};
    return {&it->second.arrivalUs, &it->second.jitterUs};
}

TimingReport TimingAnalysis::report() const {
    TimingReport report;
    report.frames = frames_;
    report.clockJumpsAt = jumpsAt_;
    for (const auto &[id, kind] : kinds_) {
        KindTiming timing;
        timing.id = id;
        timing.frames = kind.frames;
        timing.deviceClock = !kind.deviceUs.empty();
        if (!timing.deviceClock) {
            report.kinds.push_back(timing);
            continue;
        }
        std::vector<int64_t> steps;
        std::vector<int64_t> stepArrivals;
        for (size_t i = 1; i < kind.deviceUs.size(); ++i) {
            const int64_t step = kind.deviceUs[i] - kind.deviceUs[i - 1];
            if (!kind.newClock[i] && step > 0) {
                steps.push_back(step);
                stepArrivals.push_back(kind.arrivalUs[i]);
            }
        }
        timing.spacingUs = percentile(steps, 0.5);
        if (timing.spacingUs > 0) {
            timing.rateHz = 1e6 / static_cast<double>(timing.spacingUs);
            for (size_t i = 0; i < steps.size(); ++i) {
                const int64_t step = steps[i];
                if (2 * step <= 3 * timing.spacingUs) {
                    continue;
                }
                const uint64_t missing = static_cast<uint64_t>(
                    std::llround(static_cast<double>(step) / static_cast<double>(timing.spacingUs)) - 1);
                ++timing.gaps;
                timing.missingFrames += missing;
                timing.gapMarks.push_back({stepArrivals[i], step, missing});
                if (missing > timing.largestGapFrames) {
                    timing.largestGapFrames = missing;
                    timing.largestGapUs = step;
                }
            }
        }
        timing.jitterMedianUs = percentile(kind.jitterUs, 0.5);
        timing.jitterP99Us = percentile(kind.jitterUs, 0.99);
        timing.driftPpm = kind.ownClock->driftPpm();
        timing.clockJumps = kind.clockJumps;
        report.kinds.push_back(timing);
    }
    return report;
}

}  // namespace zuv::tool
