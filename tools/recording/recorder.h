// Records the Stream8 samples of one output into a .zrec file, with their time
// stamps, in publish order.
// Errors: open() and close() return false with error(); a write failure in
// the sink callback is kept (the recording stops growing), is passed once to
// the failure handler and shows at close(). Records are flushed at least every
// kFlushEvery so that a failing disk is seen within that time, not when a
// buffer fills. records() counts only what reached the file once it is closed.
// A sample of another element type is not recorded and is counted in
// skipped() (a recording holds bytes only).
// Threading: the callback runs on the producer's thread; open/close and the
// handler setter on the control thread while no sample can arrive (before
// Start, after Stop).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "maps_runtime.h"
#include "zrecWriter.h"

namespace zuv::recording {

class Recorder {
public:
    static constexpr std::chrono::milliseconds kFlushEvery{200};

    bool open(const std::string &path);
    // Called once, on the producer's thread, at the first write failure.
    void setFailureHandler(std::function<void(const std::string &error)> handler) {
        failureHandler_ = std::move(handler);
    }
    host::SampleCallback callback();
    void attach(host::Runtime &runtime, host::Instance &instance, const std::string &output);
    // Flushes and closes: the file is complete when this returns true.
    bool close();

    const std::string &error() const { return writer_.error(); }
    int errorNumber() const { return writer_.errorNumber(); }
    uint64_t records() const { return records_.load(); }
    // Sample bytes of the records in the file; valid after close().
    uint64_t bytes() const { return writer_.sampleBytes(); }
    uint64_t skipped() const { return skipped_.load(); }

private:
    void record(const host::SampleView &sample);

    ZrecWriter writer_;
    std::function<void(const std::string &)> failureHandler_;
    std::chrono::steady_clock::time_point nextFlush_{};
    bool reported_ = false;
    std::atomic<uint64_t> records_{0};
    std::atomic<uint64_t> skipped_{0};
};

}  // namespace zuv::recording
