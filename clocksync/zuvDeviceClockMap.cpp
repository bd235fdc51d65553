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
    haveOffset_ = false;
    intercept_ = 0.0;
    slope_ = 0.0;
}

void DeviceClockMap::addToWindow(int64_t deviceUs, int64_t offsetUs) {
    const int64_t index = floorDiv(deviceUs, kBucketUs);
    if (!windowEmpty_ && index <= newestBucket_ - kBuckets) {
        return;  // older than the window
    }
    if (windowEmpty_ || index > newestBucket_) {
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
}

bool DeviceClockMap::fit() {
    int count = 0;
    double meanDevice = 0.0;
    double meanOffset = 0.0;
    const int64_t oldest = newestBucket_ - kBuckets;
    // The newest bucket is still filling: its minimum is not one yet.
    const auto inFit = [this, oldest](const Bucket &bucket) {
        return bucket.used && bucket.index > oldest && bucket.index < newestBucket_;
    };
    for (const Bucket &bucket : window_) {
        if (inFit(bucket)) {
            ++count;
            meanDevice += static_cast<double>(bucket.deviceUs);
            meanOffset += static_cast<double>(bucket.offsetUs);
        }
    }
    if (count < kMinBucketsForDrift) {
        return false;
    }
    meanDevice /= count;
    meanOffset /= count;
    double covariance = 0.0;
    double variance = 0.0;
    for (const Bucket &bucket : window_) {
        if (inFit(bucket)) {
            const double dx = static_cast<double>(bucket.deviceUs) - meanDevice;
            covariance += dx * (static_cast<double>(bucket.offsetUs) - meanOffset);
            variance += dx * dx;
        }
    }
    const double slope = variance > 0.0 ? std::clamp(covariance / variance, -kMaxSlope, kMaxSlope) : 0.0;
    // The line goes under every minimum: a sample cannot arrive before it was made.
    double intercept = 0.0;
    bool first = true;
    for (const Bucket &bucket : window_) {
        if (inFit(bucket)) {
            const double candidate =
                static_cast<double>(bucket.offsetUs) - slope * static_cast<double>(bucket.deviceUs);
            intercept = first ? candidate : std::min(intercept, candidate);
            first = false;
        }
    }
    slope_ = slope;
    intercept_ = intercept;
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
    addToWindow(deviceUs, offsetUs);
    if (!fit()) {
        if (fitted_) {
            // A thin window (after a silence) keeps the last drift, kept under the new samples.
            intercept_ = std::min(intercept_, static_cast<double>(offsetUs) - slope_ * static_cast<double>(deviceUs));
        } else {
            intercept_ = static_cast<double>(lowestOffsetUs_);
            slope_ = 0.0;
        }
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
