// Writes every sample published on the outputs it is attached to as one JSON
// line (jsonLineFormat.h), in the order the samples were published.
// Errors: a write failure (full disk, closed pipe) is remembered; later lines
// are dropped and ok() turns false, so the run can end with status 1 instead
// of losing data silently. Buffered lines leave at least every kFlushEvery, so
// a failing output is seen within that time. Threading: the sink callbacks may run on several
// component threads; one mutex keeps each line whole and in publish order.
// Lines collect in a reused buffer and leave in large writes; nothing is
// allocated per sample once the buffer has grown.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "jsonLineFormat.h"
#include "maps_runtime.h"

namespace zuv::sinks {

class JsonLinesSink {
public:
    static constexpr std::chrono::milliseconds kFlushEvery{200};

    // Writes to an open stream it does not own (stdout).
    explicit JsonLinesSink(std::FILE *stream);
    ~JsonLinesSink();
    JsonLinesSink(const JsonLinesSink &) = delete;
    JsonLinesSink &operator=(const JsonLinesSink &) = delete;

    // Creates or truncates a file of its own; false (and error()) if it cannot.
    bool openFile(const std::string &path);

    // Flush after every line (live runs, where someone watches); default off.
    void setFlushEachLine(bool on) { flushEachLine_ = on; }
    // Called once, on the failing thread, when the first write fails (e.g. to
    // end the run: the lines after it are lost). Must not call into the sink.
    void setFailureHandler(std::function<void(const std::string &error)> handler) {
        failureHandler_ = std::move(handler);
    }

    host::SampleCallback callbackFor(const std::string &instance, const std::string &output);
    // Attaches to every output the instance has now; call after properties are applied.
    void attachAll(host::Runtime &runtime, host::Instance &instance);

    // Called by the callbacks; public for writers that are not runtime sinks.
    void write(const host::SampleView &sample, const JsonPinTag &pin);

    // Pushes buffered lines out; false once anything failed.
    bool flush();
    // Flushes and closes an owned file.
    bool close();
    bool ok() const;
    std::string error() const;
    // The OS error of the failure (EPIPE for a reader that went away), 0 if none.
    int errorNumber() const;
    // Lines formatted, and of those the lines that reached the stream.
    uint64_t lines() const;
    uint64_t writtenLines() const;

private:
    bool flushLocked();
    void reportFailure(bool failedBefore);

    mutable std::mutex mutex_;
    std::FILE *stream_;
    bool ownsStream_ = false;
    std::string path_ = "standard output";
    bool flushEachLine_ = false;
    std::string buffer_;
    std::deque<JsonPinTag> pins_;  // stable addresses for the callbacks
    uint64_t lines_ = 0;
    uint64_t bufferedLines_ = 0;
    uint64_t writtenLines_ = 0;
    std::string error_;
    int errno_ = 0;
    std::chrono::steady_clock::time_point nextFlush_ = std::chrono::steady_clock::now() + kFlushEvery;
    std::function<void(const std::string &)> failureHandler_;
};

SampleType sampleTypeOf(host::ElementType type);

}  // namespace zuv::sinks
