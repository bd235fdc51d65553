#include "zuvDeviceClockMap.h"

#include <algorithm>
#include <cmath>

namespace zuv::clocksync {

namespace {

// Beyond this the offset arithmetic could overflow; such stamps are not a clock.
constexpr int64_t kArrivalLimit = int64_t(1) << 61;
// A crystal off by more than this is a bad fit (a few bursts), not a clock.
constexpr double kMaxSlope = 1e-3;

int64_t floorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

}  // namespace

void DeviceClockMap::reset() {
    started_ = false;
    jumps_ = 0;
    kindSeen_.fill(false);
    lastHostUs_.fill(0);
    intercept_ = 0.0;
    slope_ = 0.0;
    fitted_ = false;
    thinWindow_ = false;
    recovering_ = false;
    haveOffset_ = false;
    window_.fill(Bucket{});
    windowEmpty_ = true;
}

void DeviceClockMap::startClock(uint32_t deviceStamp) {
    started_ = true;
    lastStamp_ = deviceStamp;
    lastDeviceUs_ = deviceStamp;
    latestDeviceUs_ = deviceStamp;
    window_.fill(Bucket{});
    windowEmpty_ = true;
    fitted_ = false;
    thinWindow_ = false;
    recovering_ = false;
    haveOffset_ = false;
    intercept_ = 0.0;
    slope_ = 0.0;
}

bool DeviceClockMap::addToWindow(int64_t deviceUs, int64_t offsetUs) {
    const int64_t index = floorDiv(deviceUs, kBucketUs);
    if (!windowEmpty_ && index <= newestBucket_ - kBuckets) {
        return false;  // older than the window
    }
    bool completed = false;
    if (windowEmpty_ || index > newestBucket_) {
        completed = !windowEmpty_;
        newestBucket_ = index;
        windowEmpty_ = false;
    }
    Bucket &bucket = window_[static_cast<size_t>(index - floorDiv(index, kBuckets) * kBuckets)];
    if (!bucket.used || bucket.index != index) {
        bucket = Bucket{true, index, deviceUs, offsetUs};
    } else if (offsetUs < bucket.offsetUs) {
        bucket.deviceUs = deviceUs;
        bucket.offsetUs = offsetUs;
    }
    return completed;
}

bool DeviceClockMap::fit() {
    // The completed buckets' minima in device-time order; the newest bucket is still filling.
    int count = 0;
    double sumDevice = 0.0;
    for (int64_t index = newestBucket_ - kBuckets + 1; index < newestBucket_; ++index) {
        const Bucket &bucket = window_[static_cast<size_t>(index - floorDiv(index, kBuckets) * kBuckets)];
        if (!bucket.used || bucket.index != index) {
            continue;
        }
        // Relative to the first minimum, so that the hull arithmetic keeps its precision.
        const Point point{static_cast<double>(bucket.deviceUs), static_cast<double>(bucket.offsetUs)};
        points_[static_cast<size_t>(count++)] = point;
        sumDevice += point.device;
    }
    // After a silence that emptied the window the old line is better than a fit of a few seconds.
    if (fitted_ && count < kMinBucketsForDrift) {
        recovering_ = true;
    }
    if (count < (recovering_ ? kBuckets / 4 : kMinBucketsForDrift)) {
        return false;
    }
    recovering_ = false;
    const Point origin = points_[0];
    // Lower convex hull (monotone chain): a line under every minimum touches it.
    int hullSize = 0;
    for (int i = 0; i < count; ++i) {
        const Point p{points_[static_cast<size_t>(i)].device - origin.device,
                      points_[static_cast<size_t>(i)].offset - origin.offset};
        while (hullSize >= 2) {
            const Point &a = hull_[static_cast<size_t>(hullSize - 2)];
            const Point &b = hull_[static_cast<size_t>(hullSize - 1)];
            const double cross =
                (b.device - a.device) * (p.offset - a.offset) - (b.offset - a.offset) * (p.device - a.device);
            if (cross > 0.0) {
                break;
            }
            --hullSize;
        }
        hull_[static_cast<size_t>(hullSize++)] = p;
    }
    // Of the lines under every minimum, the one closest to them on the whole (the
    // one-way estimate) is the hull edge over their mean device time.
    const double centre = sumDevice / count - origin.device;
    double slope = 0.0;
    double intercept = hull_[0].offset;  // relative to the origin
    for (int i = 0; i + 1 < hullSize; ++i) {
        const Point &a = hull_[static_cast<size_t>(i)];
        const Point &b = hull_[static_cast<size_t>(i + 1)];
        if (b.device >= centre || i + 2 == hullSize) {
            slope = b.device > a.device ? (b.offset - a.offset) / (b.device - a.device) : 0.0;
            intercept = a.offset - slope * a.device;
            break;
        }
    }
    if (std::fabs(slope) > kMaxSlope) {
        slope = std::clamp(slope, -kMaxSlope, kMaxSlope);
        intercept = hull_[0].offset - slope * hull_[0].device;
        for (int i = 1; i < hullSize; ++i) {
            intercept = std::min(intercept,
                                 hull_[static_cast<size_t>(i)].offset - slope * hull_[static_cast<size_t>(i)].device);
        }
    }
    slope_ = slope;
    intercept_ = origin.offset + intercept - slope * origin.device;
    fitted_ = true;
    return true;
}

MappedStamp DeviceClockMap::map(uint8_t kind, uint32_t deviceStamp, int64_t arrivalUs) {
    MappedStamp result;
    if (arrivalUs > kArrivalLimit || arrivalUs < -kArrivalLimit) {
        result.hostUs = arrivalUs;
        return result;
    }
    int64_t deviceUs = deviceStamp;
    if (!started_) {
        startClock(deviceStamp);
    } else {
        // The signed step unwraps the 32-bit counter and allows small steps back.
        deviceUs = lastDeviceUs_ + static_cast<int32_t>(deviceStamp - lastStamp_);
        const bool wentBack = deviceUs < latestDeviceUs_ - kJumpUs;
        const double predicted = static_cast<double>(deviceUs) + offsetAt(deviceUs);
        const bool farOff = std::fabs(static_cast<double>(arrivalUs) - predicted) > static_cast<double>(kJumpUs);
        if (wentBack || farOff) {
            startClock(deviceStamp);
            deviceUs = deviceStamp;
            result.clockJump = true;
            ++jumps_;
        }
    }
    lastStamp_ = deviceStamp;
    lastDeviceUs_ = deviceUs;
    latestDeviceUs_ = std::max(latestDeviceUs_, deviceUs);

    const int64_t offsetUs = arrivalUs - deviceUs;
    if (!haveOffset_ || offsetUs < lowestOffsetUs_) {
        lowestOffsetUs_ = offsetUs;
        haveOffset_ = true;
    }
    // The line changes when a bucket completes; in between it only comes down under new samples.
    if (addToWindow(deviceUs, offsetUs)) {
        thinWindow_ = !fit();
    }
    if (!fitted_) {
        intercept_ = static_cast<double>(lowestOffsetUs_);
        slope_ = 0.0;
    } else if (thinWindow_) {
        // A thin window (after a silence) keeps the last drift, kept under the new samples.
        intercept_ = std::min(intercept_, static_cast<double>(offsetUs) - slope_ * static_cast<double>(deviceUs));
    }

    int64_t hostUs = std::llround(static_cast<double>(deviceUs) + offsetAt(deviceUs));
    hostUs = std::min(hostUs, arrivalUs);
    if (kindSeen_[kind]) {
        hostUs = std::max(hostUs, lastHostUs_[kind]);
    }
    kindSeen_[kind] = true;
    lastHostUs_[kind] = hostUs;
    result.hostUs = hostUs;
    result.deviceUs = deviceUs;
    return result;
}

}  // namespace zuv::clocksync
