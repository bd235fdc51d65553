// What the page's event stream carries, as JSON: the samples that changed
// since the stream last looked (at most one per output and tick, which is
// what keeps each plot at the tick rate), and a status with the solution
// mode and flags (the device link's predicates), the GNSS fix, the link
// counts, frames arrived per second by log and the time since the last frame.
// Errors: none. Threading: one RateWindow per stream; the rest is pure.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "liveFeed.h"

namespace zuv::tool {

// No frame for this long: the page shows the link as stale.
constexpr double kStaleAfterSeconds = 2.0;

// {"mode":4,"modeName":"nav position","flags":[{"name":"attitude valid","on":true},...]}
nlohmann::json solutionJson(uint32_t solutionStatus);
// {"fix":true,"solution":0,"type":1,"satellites":12,"flags":[...]} from a GNSS position sample.
nlohmann::json gnssJson(const LiveFeed::Sample &position);
// [{"name":"GNSS1 position received","on":true},...]
nlohmann::json aidingJson(uint32_t aidingStatus);
// {"bytes":..,"frames":..,...} from the reader's nine counts.
nlohmann::json linkCountsJson(const std::array<int64_t, 9> &counts);

// Frames per second by log id, over windows of about a second.
class RateWindow {
public:
    // Takes the counts at `now`; a new window starts once a second has passed.
    void update(const std::array<uint64_t, 256> &counts, double now);
    double rate(uint8_t id) const { return rates_[id]; }
    bool ready() const { return ready_; }

private:
    std::array<uint64_t, 256> last_{};
    std::array<double, 256> rates_{};
    double lastTime_ = -1;
    bool ready_ = false;
};

// "event: samples" with {"t":NOW,"o":{"oImu":[T,[v...]],...}}; empty when none changed.
std::string samplesEvent(const LiveFeed &feed, std::vector<uint64_t> &seen);
// "event: status": the status JSON above, with `extra`'s members added.
nlohmann::json statusJson(const LiveFeed &feed, const RateWindow &rates);
std::string statusEvent(const nlohmann::json &status);

}  // namespace zuv::tool
