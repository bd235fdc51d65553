#include "recorder.h"

namespace zuv::recording {

bool Recorder::open(const std::string &path) {
    records_ = 0;
    skipped_ = 0;
    reported_ = false;
    nextFlush_ = std::chrono::steady_clock::now() + kFlushEvery;
    return writer_.open(path);
}

void Recorder::record(const host::SampleView &sample) {
    if (sample.type != host::ElementType::Stream8 || sample.vectorSize < 0) {
        skipped_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    if (writer_.failed()) return;
    bool ok = writer_.append(sample.timestamp, static_cast<const uint8_t *>(sample.data),
                             static_cast<uint32_t>(sample.vectorSize));
    const auto now = std::chrono::steady_clock::now();
    if (ok && now >= nextFlush_) {
        nextFlush_ = now + kFlushEvery;
        ok = writer_.flush();
    }
    records_.store(writer_.recordCount(), std::memory_order_relaxed);
    if (!ok && !reported_) {
        reported_ = true;
        if (failureHandler_) failureHandler_(writer_.error());
    }
}

host::SampleCallback Recorder::callback() {
    return [this](const host::SampleView &sample) { record(sample); };
}

void Recorder::attach(host::Runtime &runtime, host::Instance &instance, const std::string &output) {
    runtime.AttachSink(instance, output, callback());
}

bool Recorder::close() {
    bool ok = writer_.close();
    records_.store(writer_.recordCount());
    return ok;
}

}  // namespace zuv::recording
