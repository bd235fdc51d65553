#include "deliveryTiming.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "zuvEComBinaryLogs.h"

namespace zuv::sim {

DeliveryTiming::DeliveryTiming(const TimingConfig &config)
    : config_(config), rate_(1.0 + config.clockDriftPpm * 1e-6), burstUs_(int64_t(config.burstMs) * 1000) {}

DeliveryTiming::~DeliveryTiming() {
    if (truth_ != nullptr) {
        std::fclose(truth_);
    }
}

bool DeliveryTiming::open(std::string &error) {
    nextBurstUs_ = burstUs_;
    if (config_.truthFile.empty() || truth_ != nullptr) {
        return true;
    }
    truth_ = std::fopen(config_.truthFile.c_str(), "w");
    if (truth_ == nullptr) {
        error = "cannot write the truth file " + config_.truthFile + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

uint64_t DeliveryTiming::deviceUs(int64_t hostUs) const {
    return hostUs <= 0 ? 0 : static_cast<uint64_t>(std::llround(static_cast<double>(hostUs) * rate_));
}

int64_t DeliveryTiming::hostUs(uint64_t deviceUs) const {
    return std::llround(static_cast<double>(deviceUs) / rate_);
}

bool DeliveryTiming::dropLog(uint8_t msgId) {
    return config_.dropEvery != 0 && ++framesById_[msgId] % config_.dropEvery == 0;
}

bool DeliveryTiming::mayFlush(int64_t hostUs) {
    if (burstUs_ == 0 || inBurst_) {
        return true;
    }
    if (hostUs < nextBurstUs_) {
        return false;
    }
    // A late wake-up does not make up the bursts it missed.
    nextBurstUs_ += ((hostUs - nextBurstUs_) / burstUs_ + 1) * burstUs_;
    inBurst_ = true;
    return true;
}

int64_t DeliveryTiming::untilNextBurst(int64_t hostUs) const {
    if (burstUs_ == 0) {
        return -1;
    }
    return nextBurstUs_ > hostUs ? nextBurstUs_ - hostUs : 0;
}

void DeliveryTiming::sent(const uint8_t *unit, size_t size, size_t noiseBytes, uint8_t msgId, uint64_t deviceTimeUs) {
    if (truth_ == nullptr) {
        return;
    }
    const uint8_t *payload = unit + noiseBytes + 6;
    const bool hasTs = zuvEComBinaryLogLayoutSize(msgId) > 0 && size >= noiseBytes + 6 + 4;
    const long long madeAt = static_cast<long long>(epochSteadyUs_ + hostUs(deviceTimeUs));
    if (hasTs) {
        const uint32_t ts =
            uint32_t(payload[0]) | uint32_t(payload[1]) << 8 | uint32_t(payload[2]) << 16 | uint32_t(payload[3]) << 24;
        std::fprintf(truth_, "%u %u %lld\n", unsigned(msgId), ts, madeAt);
    } else {
        std::fprintf(truth_, "%u - %lld\n", unsigned(msgId), madeAt);
    }
}

}  // namespace zuv::sim
