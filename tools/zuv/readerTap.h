// What the reader's subcommands watch on reader.oData: frames, bytes, and
// samples whose CRC does not match (a sound reader publishes none), for the
// status line and the summary.
// Errors: none. Threading: the callback runs on the reader's thread; the
// counters may be read from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "maps_runtime.h"

namespace zuv::tool {

class ReaderTap {
public:
    ReaderTap();
    host::SampleCallback callback();
    uint64_t frames() const { return frames_.load(std::memory_order_relaxed); }
    uint64_t bytes() const { return bytes_.load(std::memory_order_relaxed); }
    uint64_t crcErrors() const { return crcErrors_.load(std::memory_order_relaxed); }

    // "frames 1234  58.1 kB  205.3 frames/s  CRC errors 0  12.0 s"
    std::string status();

private:
    std::atomic<uint64_t> frames_{0};
    std::atomic<uint64_t> bytes_{0};
    std::atomic<uint64_t> crcErrors_{0};
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastTime_;
    uint64_t lastFrames_ = 0;
    double rate_ = 0;
};

// True when `size` bytes hold one zuvECom frame whose CRC field matches.
bool frameCrcMatches(const uint8_t *bytes, size_t size);

}  // namespace zuv::tool
