// The timing of a recorded stream, per log kind: what `zuv timing` reports.
// Frames go in in recording order with their arrival stamp; the device stamps
// are mapped as the decoder maps them (one DeviceClockMap for the stream), so
// the jitter is that of the decoder's pDeviceClockTimestamps stamps.
//
// Gaps: the expected spacing of a kind is the median step of its device stamps;
// a step longer than 1.5 spacings misses round(step / spacing) - 1 frames.
// Steps across a clock jump are not steps.
// Errors: none. Threading: one thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "zuvDeviceClockMap.h"

namespace zuv::tool {

// A gap as the report marks it: at the arrival of the frame after it.
struct GapMark {
    int64_t arrivalUs = 0;
    int64_t stepUs = 0;  // on the device clock
    uint64_t missingFrames = 0;
};

struct KindTiming {
    uint8_t id = 0;
    uint64_t frames = 0;
    bool deviceClock = false;  // the kind carries ts; nothing below otherwise
    int64_t spacingUs = 0;
    double rateHz = 0.0;  // 1e6 / spacing, on the device clock
    uint64_t gaps = 0;
    uint64_t missingFrames = 0;
    uint64_t largestGapFrames = 0;
    int64_t largestGapUs = 0;    // the device-clock step of the largest gap
    int64_t jitterMedianUs = 0;  // of arrival - mapped time
    int64_t jitterP99Us = 0;
    double driftPpm = 0.0;   // of this kind's stamps alone; positive: device clock fast
    int64_t clockJumps = 0;  // jumps its frames started
    std::vector<GapMark> gapMarks;
};

// The frames of a kind that carry ts, in order: arrival stamps and jitter.
struct JitterSeries {
    const std::vector<int64_t> *arrivalUs = nullptr;
    const std::vector<int64_t> *jitterUs = nullptr;
};

struct TimingReport {
    uint64_t frames = 0;
    std::vector<int64_t> clockJumpsAt;  // arrival stamps of the frames that started a new clock
    std::vector<KindTiming> kinds;      // by log id
};

class TimingAnalysis {
public:
    void addFrame(int64_t arrivalUs, uint8_t msgId, bool hasTs, uint32_t deviceStamp);
    TimingReport report() const;
    // Empty (null) for a kind without ts frames; valid until the next addFrame.
    JitterSeries jitterSeries(uint8_t id) const;

private:
    struct Kind {
        uint64_t frames = 0;
        std::vector<int64_t> deviceUs;
        std::vector<bool> newClock;  // this frame follows a clock jump
        std::vector<int64_t> jitterUs;
        std::vector<int64_t> arrivalUs;
        std::unique_ptr<clocksync::DeviceClockMap> ownClock;
        int64_t clockJumps = 0;
        int64_t clockNumber = 0;  // of its last frame: jumps before it
    };

    clocksync::DeviceClockMap clock_;
    std::map<uint8_t, Kind> kinds_;
    uint64_t frames_ = 0;
    std::vector<int64_t> jumpsAt_;
};

}  // namespace zuv::tool
