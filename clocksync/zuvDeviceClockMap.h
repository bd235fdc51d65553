// DeviceClockMap: the host time at which a device produced a sample, from the
// device's own u32 microsecond stamp and the host time at which the sample
// arrived.
//
// A sample can only arrive late, never early, so the lower envelope of
// (arrival - device time) over recent samples tracks the clock offset
// (one-way synchronisation): host = device + offset + drift * device. The line
// is the edge of the lower convex hull of the lowest (arrival - device) of each
// completed 250 ms of device time over the last 128 s that lies over their mean
// time: of the lines under every minimum, the closest to them. A long window
// matters: deliveries on a grid (USB frames, bursts) make the lowest latency
// creep with the drift and drop back, and only a window that holds those
// drops sees the drift. Until 2 s of minima are held, the lowest
// (arrival - device) seen so far is the offset and the drift is 0; after a
// silence longer than the window the last line holds until 32 s of minima are.
//
// Guarantees: causal (a stamp depends only on the samples given so far) and
// deterministic (the same sequence gives the same stamps), so a recording
// decoded later gives the live stamps. A mapped stamp is never later than its
// arrival and never earlier than the previous stamp of the same kind. A device
// time stamp that goes back more than 2 s, or lies more than 2 s from what the
// estimate predicts for its arrival, is a new device clock (a reboot): the
// estimate starts again and the result says so, once per jump.
//
// Errors: none; arrival stamps so large that the arithmetic could overflow are
// returned unchanged. Threading: not thread-safe, one instance per clock and
// thread. No heap allocation: all state is fixed-size.
#pragma once

#include <array>
#include <cstdint>

namespace zuv::clocksync {

struct MappedStamp {
    int64_t hostUs = 0;      // the device time on the host clock
    int64_t deviceUs = 0;    // the unwrapped device time of this clock
    bool clockJump = false;  // this sample started a new clock estimate
};

class DeviceClockMap {
public:
    static constexpr int kKinds = 256;  // the caller's sample kinds, 0 to 255
    static constexpr int64_t kBucketUs = 250000;
    static constexpr int kBuckets = 512;
    static constexpr int kMinBucketsForDrift = 8;
    static constexpr int64_t kJumpUs = 2000000;

    DeviceClockMap() { reset(); }

    // Forgets everything: the next sample starts a new clock, without a jump.
    void reset();

    // The host stamp for a sample of `kind` stamped `deviceStamp` by the
    // device, which arrived at `arrivalUs` on the host clock.
    MappedStamp map(uint8_t kind, uint32_t deviceStamp, int64_t arrivalUs);

    // How fast the device clock runs against the host's in the current
    // estimate, in parts per million (positive: the device clock is fast).
    double driftPpm() const { return (1.0 / (1.0 + slope_) - 1.0) * 1e6; }
    int64_t clockJumps() const { return jumps_; }

private:
    struct Bucket {
        bool used = false;
        int64_t index = 0;     // device time / kBucketUs
        int64_t deviceUs = 0;  // of the lowest sample
        int64_t offsetUs = 0;  // arrival - device of the lowest sample
    };

    void startClock(uint32_t deviceStamp);
    bool addToWindow(int64_t deviceUs, int64_t offsetUs);  // true when it completed a bucket
    bool fit();                                            // false when the window holds too few minima
    double offsetAt(int64_t deviceUs) const { return intercept_ + slope_ * static_cast<double>(deviceUs); }

    bool started_ = false;
    uint32_t lastStamp_ = 0;
    int64_t lastDeviceUs_ = 0;
    int64_t latestDeviceUs_ = 0;
    bool windowEmpty_ = true;
    int64_t newestBucket_ = 0;
    std::array<Bucket, kBuckets> window_{};
    struct Point {
        double device;
        double offset;
    };
    std::array<Point, kBuckets> points_{};
    std::array<Point, kBuckets> hull_{};
    bool fitted_ = false;      // the drift comes from a fit of this clock
    bool thinWindow_ = false;  // the last fit found too few minima: the line is kept
    bool recovering_ = false;  // a silence emptied the window: refit once it holds 32 s again
    bool haveOffset_ = false;
    int64_t lowestOffsetUs_ = 0;
    double intercept_ = 0.0;
    double slope_ = 0.0;
    int64_t jumps_ = 0;
    std::array<int64_t, kKinds> lastHostUs_{};
    std::array<bool, kKinds> kindSeen_{};
};

}  // namespace zuv::clocksync
