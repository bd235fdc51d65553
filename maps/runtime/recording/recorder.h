// Records the Stream8 samples of one output into a .zrec file, with their time
// stamps, in publish order.
// Errors: open() and close() return false with error(); a write failure in
// the sink callback is kept (the recording stops growing) and shows at close().
// A sample of another element type is not recorded and is counted in
// skipped() (a recording holds bytes only).
// Threading: the callback runs on the producer's thread; open/close on the
// control thread while no sample can arrive (before Start, after Stop).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "maps_runtime.h"
#include "zrecWriter.h"

namespace zuv::recording {

class Recorder {
public:
    bool open(const std::string &path);
    host::SampleCallback callback();
    void attach(host::Runtime &runtime, host::Instance &instance, const std::string &output);
    // Flushes and closes: the file is complete when this returns true.
    bool close();

    const std::string &error() const { return writer_.error(); }
    uint64_t records() const { return records_.load(); }
    uint64_t skipped() const { return skipped_.load(); }

private:
    ZrecWriter writer_;
    std::atomic<uint64_t> records_{0};
    std::atomic<uint64_t> skipped_{0};
};

}  // namespace zuv::recording
