// The live data `zuv web` shows: the newest sample of each decoder output it
// plots, frames per log id on reader.oData, the reader's link counts and when
// the last frame came. Attached once; sinks carry over the diagram's restarts,
// and so do the counts (they are this process's, not the reader's).
// Errors: none. Threading: the callbacks run on the producers' threads and
// copy into preallocated slots; the readers may run on any thread.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "maps_runtime.h"
#include "readerTap.h"

namespace zuv::tool {

class LiveFeed {
public:
    static constexpr size_t kMaxValues = 16;

    struct Sample {
        size_t slot = 0;
        uint64_t sequence = 0;   // 0: none yet
        double timeSeconds = 0;  // on the feed's clock, when it arrived
        int count = 0;
        std::array<double, kMaxValues> values{};
    };

    LiveFeed();
    // The decoder outputs of `outputs` that exist now, reader.oData, and
    // reader.oLinkStatistics when the reader publishes it.
    void attach(host::Runtime &runtime, host::Instance &reader, host::Instance &decoder,
                const std::vector<std::string> &outputs);

    const std::vector<std::string> &outputs() const { return names_; }
    // The newest sample of one output (sequence 0: none yet).
    Sample latest(const std::string &output) const;
    // Newest samples of the outputs whose sequence moved past `seen` (one entry
    // per output, resized on first use); `seen` is updated.
    std::vector<Sample> changedSince(std::vector<uint64_t> &seen) const;

    std::array<uint64_t, 256> framesById() const;
    uint64_t frames() const { return tap_.frames(); }
    bool hasLinkStatistics() const { return tap_.hasLinkStatistics(); }
    std::array<int64_t, 9> linkStatistics() const { return tap_.linkStatistics(); }
    // Seconds on the feed's clock; since the last frame, negative before the first.
    double nowSeconds() const;
    double secondsSinceLastFrame() const;

private:
    struct Slot {
        mutable std::mutex mutex;
        Sample sample;
    };
    host::SampleCallback slotCallback(size_t index);

    std::chrono::steady_clock::time_point start_;
    std::vector<std::string> names_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::array<std::atomic<uint64_t>, 256> framesById_{};
    std::atomic<int64_t> lastFrameNs_{-1};
    ReaderTap tap_;
};

}  // namespace zuv::tool
