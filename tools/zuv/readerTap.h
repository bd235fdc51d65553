// What the reader's subcommands watch on reader.oData: frames, bytes, and
// samples whose CRC does not match (a sound reader publishes none), frames per
// log id, and the reader's own link counts (reader.oLinkStatistics, when the
// reader has pLinkStatistics on), for the status line and the summary.
// Errors: none. Threading: the callback runs on the reader's thread; the
// counters may be read from any thread.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "maps_runtime.h"

namespace zuv::tool {

class ReaderTap {
public:
    ReaderTap();
    host::SampleCallback callback();
    // For reader.oLinkStatistics.
    host::SampleCallback statisticsCallback();
    // Whether a link statistics sample came, and its nine counts.
    bool hasLinkStatistics() const { return statisticsSeen_.load(std::memory_order_acquire); }
    std::array<int64_t, 9> linkStatistics() const;
    uint64_t frames() const { return frames_.load(std::memory_order_relaxed); }
    uint64_t bytes() const { return bytes_.load(std::memory_order_relaxed); }
    uint64_t crcErrors() const { return crcErrors_.load(std::memory_order_relaxed); }

    // "frames 1234  58.1 kB  205.3 frames/s  CRC errors 0  12.0 s"; with link
    // statistics the CRC errors are the reader's drops, and its other counts follow.
    std::string status();
    // The end-of-run summary: the link counts (when there are any), then for
    // each (rate property, configured rate, log id) "pImuData: set 200 Hz,
    // arrived 143.2 frames/s". Lines end in '\n'; empty when there is nothing to say.
    std::string summary(const std::vector<std::pair<std::string, std::string>> &enabledRates,
                        const std::vector<uint8_t> &logIds) const;

private:
    std::atomic<uint64_t> frames_{0};
    std::atomic<uint64_t> bytes_{0};
    std::atomic<uint64_t> crcErrors_{0};
    std::array<std::atomic<uint64_t>, 256> framesById_{};
    std::array<std::atomic<int64_t>, 9> linkCounts_{};
    std::atomic<bool> statisticsSeen_{false};
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastTime_;
    uint64_t lastFrames_ = 0;
    double rate_ = 0;
};

// "bytes 1234  discarded 5  CRC drops 0  class drops 0  read errors 0  losses 0
// reconnections 0  kernel drops 0" from the nine counts.
std::string linkCountsText(const std::array<int64_t, 9> &counts);

// Attaches the tap to reader.oData, and to reader.oLinkStatistics when the reader has it.
void attachReaderTap(host::Runtime &runtime, host::Instance &reader, ReaderTap &tap);
// The tap's summary for this reader's enabled rate properties.
std::string readerSummary(host::Instance &reader, const ReaderTap &tap);
// Whether the reader publishes oLinkStatistics.
bool hasLinkStatisticsOutput(host::Instance &reader);

// True when `size` bytes hold one zuvECom frame whose CRC field matches.
bool frameCrcMatches(const uint8_t *bytes, size_t size);

}  // namespace zuv::tool
