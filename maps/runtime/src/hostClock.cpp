#include "hostClock.h"

namespace zuv::host::detail {
namespace {
int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

void HostClock::Reset() {
    state_.store(Holding, std::memory_order_release);
    value_.store(0);
    frozen_.store(0);
}

void HostClock::Begin() {
    originNs_.store(SteadyNs(), std::memory_order_release);
    state_.store(Running, std::memory_order_release);
}

void HostClock::Freeze() {
    frozen_.store(Now());
    state_.store(Frozen, std::memory_order_release);
}

int64_t HostClock::Now() const {
    switch (state_.load(std::memory_order_acquire)) {
        case Holding: return 0;
        case Frozen: return frozen_.load();
        default: break;
    }
    if (driven_.load()) return value_.load(std::memory_order_acquire);
    return (SteadyNs() - originNs_.load(std::memory_order_acquire)) / 1000;
}

}  // namespace zuv::host::detail
