// The timing side of a simulated device's link: its clock against the host's
// (drift), delivery in bursts, frames left out on purpose and the truth file
// of when each frame was made. Single-threaded; the Simulator locks around it.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "zuvSim.h"

namespace zuv::sim {

class DeliveryTiming {
public:
    explicit DeliveryTiming(const TimingConfig &config);
    ~DeliveryTiming();
    DeliveryTiming(const DeliveryTiming &) = delete;
    DeliveryTiming &operator=(const DeliveryTiming &) = delete;

    // Opens the truth file; false with a reason when it cannot be written.
    bool open(std::string &error);
    // Where simulation time 0 lies on the host's steady clock.
    void setEpoch(int64_t epochSteadyUs) { epochSteadyUs_ = epochSteadyUs; }

    // Simulation (device) time for host microseconds since the epoch, and back.
    uint64_t deviceUs(int64_t hostUs) const;
    int64_t hostUs(uint64_t deviceUs) const;

    // True when this log frame is one to leave out.
    bool dropLog(uint8_t msgId);

    // Bursts: whether the queue may go out at host time `hostUs`; a burst
    // once started runs until the queue is empty (burstDone).
    bool mayFlush(int64_t hostUs);
    void burstDone() { inBurst_ = false; }
    // Host microseconds until the next burst, or -1 without bursts.
    int64_t untilNextBurst(int64_t hostUs) const;

    // One log frame handed to the link: [noise][frame] bytes.
    void sent(const uint8_t *unit, size_t size, size_t noiseBytes, uint8_t msgId, uint64_t deviceTimeUs);

private:
    TimingConfig config_;
    double rate_ = 1.0;  // device microseconds per host microsecond
    int64_t burstUs_ = 0;
    int64_t nextBurstUs_ = 0;
    bool inBurst_ = false;
    std::array<uint32_t, 256> framesById_{};
    int64_t epochSteadyUs_ = 0;
    std::FILE *truth_ = nullptr;
};

}  // namespace zuv::sim
