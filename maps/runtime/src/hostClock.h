// The host clock of one run: reads 0 until every Birth has returned, then
// microseconds since that moment (free running) or the value the player set
// (driven). After the run it keeps its last value. Safe from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include "maps_runtime.h"

namespace zuv::host::detail {

class HostClock {
public:
    void SetMode(ClockMode mode) { driven_.store(mode == ClockMode::Driven); }
    ClockMode Mode() const { return driven_.load() ? ClockMode::Driven : ClockMode::FreeRunning; }
    void Reset();   // start of a run: holding at 0
    void Begin();   // every Birth has returned
    void Freeze();  // end of a run
    void Set(int64_t microseconds) { value_.store(microseconds, std::memory_order_release); }
    int64_t Now() const;

private:
    enum State { Holding, Running, Frozen };
    std::atomic<int> state_{Holding};
    std::atomic<bool> driven_{false};
    std::atomic<int64_t> originNs_{0};
    std::atomic<int64_t> value_{0};
    std::atomic<int64_t> frozen_{0};
};

}  // namespace zuv::host::detail
