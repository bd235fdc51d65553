// Pulses on the sync inputs and the events they leave for the event marker logs.
// Each input remembers the pulses since its marker was last sent: the first one's
// time and up to four more as offsets after it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "zuvSim.h"

namespace zuv::sim {

struct EventMarker {
    uint64_t firstTimeUs = 0;  // simulation time of the first event
    uint16_t status = 0;       // event status bits
    uint16_t offsets[4] = {0, 0, 0, 0};
};

class SyncInputs {
public:
    static constexpr uint64_t kNever = UINT64_MAX;

    // Schedules the pulses of one input from `originUs` (the device's boot).
    void configure(size_t input, const SyncPulses &pulses, uint64_t originUs);
    // Reboot: no pulses and no pending events until the inputs are configured again.
    void stopAll();

    uint64_t nextPulseUs() const;
    // The earliest scheduled pulse at or before upToUs, removed from the schedule.
    bool takePulse(uint64_t upToUs, size_t &input, uint64_t &timeUs);

    void recordEvent(size_t input, uint64_t timeUs);
    bool hasEvents(size_t input) const { return state_[input].count > 0; }
    // The marker for what is pending (status 0 when nothing is), then forgets it.
    EventMarker takeMarker(size_t input);

private:
    struct Input {
        SyncPulses pulses;
        uint64_t originUs = 0;
        uint64_t index = 0;  // next pulse number
        uint64_t nextUs = kNever;
        uint64_t firstUs = 0;
        uint64_t later[4] = {0, 0, 0, 0};
        size_t count = 0;  // pending events, at most 5 kept
    };
    void schedule(Input &in);

    std::array<Input, kSyncInputCount> state_{};
};

}  // namespace zuv::sim
