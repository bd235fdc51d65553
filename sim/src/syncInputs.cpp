#include "syncInputs.h"

#include <cmath>

namespace zuv::sim {

namespace {
constexpr uint16_t kEventReceived = 0x01;
constexpr uint16_t kOffsetValid[4] = {0x02, 0x04, 0x08, 0x10};
}  // namespace

void SyncInputs::schedule(Input &in) {
    if (!(in.pulses.rateHz > 0.0) || in.pulses.rateHz > kMaxSyncRateHz) {
        in.nextUs = kNever;
        return;
    }
    // From the pulse number, not by adding periods, so that no rounding error piles up.
    const double offset = std::llround(static_cast<double>(in.index) * 1e6 / in.pulses.rateHz);
    in.nextUs = in.originUs + in.pulses.phaseUs + static_cast<uint64_t>(offset);
}

void SyncInputs::configure(size_t input, const SyncPulses &pulses, uint64_t originUs) {
    Input &in = state_[input];
    in.pulses = pulses;
    in.originUs = originUs;
    in.index = 0;
    schedule(in);
}

void SyncInputs::stopAll() {
    for (Input &in : state_) {
        in.nextUs = kNever;
        in.count = 0;
    }
}

uint64_t SyncInputs::nextPulseUs() const {
    uint64_t next = kNever;
    for (const Input &in : state_) {
        next = in.nextUs < next ? in.nextUs : next;
    }
    return next;
}

bool SyncInputs::takePulse(uint64_t upToUs, size_t &input, uint64_t &timeUs) {
    size_t best = kSyncInputCount;
    for (size_t i = 0; i < kSyncInputCount; ++i) {
        if (state_[i].nextUs <= upToUs && (best == kSyncInputCount || state_[i].nextUs < state_[best].nextUs)) {
            best = i;
        }
    }
    if (best == kSyncInputCount) {
        return false;
    }
    input = best;
    timeUs = state_[best].nextUs;
    ++state_[best].index;
    schedule(state_[best]);
    return true;
}

void SyncInputs::recordEvent(size_t input, uint64_t timeUs) {
    Input &in = state_[input];
    if (in.count == 0) {
        in.firstUs = timeUs;
    } else if (in.count < 5) {
        in.later[in.count - 1] = timeUs;
    } else {
        return;  // the log has room for five events; later ones are lost, as on the device
    }
    ++in.count;
}

EventMarker SyncInputs::takeMarker(size_t input) {
    Input &in = state_[input];
    EventMarker marker;
    if (in.count == 0) {
        return marker;
    }
    marker.firstTimeUs = in.firstUs;
    marker.status = kEventReceived;
    size_t used = 1;
    while (used < in.count && in.later[used - 1] - in.firstUs <= UINT16_MAX) {
        marker.offsets[used - 1] = static_cast<uint16_t>(in.later[used - 1] - in.firstUs);
        marker.status |= kOffsetValid[used - 1];
        ++used;
    }
    // Events too far after the first for a 16-bit offset wait for the next marker.
    const size_t left = in.count - used;
    if (left > 0) {
        in.firstUs = in.later[used - 1];
        for (size_t i = 1; i < left; ++i) {
            in.later[i - 1] = in.later[used - 1 + i];
        }
    }
    in.count = left;
    return marker;
}

}  // namespace zuv::sim
