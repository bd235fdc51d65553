#include "recorder.h"

namespace zuv::recording {

bool Recorder::open(const std::string &path) {
    records_ = 0;
    skipped_ = 0;
    return writer_.open(path);
}

host::SampleCallback Recorder::callback() {
    return [this](const host::SampleView &sample) {
        if (sample.type != host::ElementType::Stream8 || sample.vectorSize < 0) {
            skipped_.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        if (writer_.append(sample.timestamp, static_cast<const uint8_t *>(sample.data),
                           static_cast<uint32_t>(sample.vectorSize))) {
            records_.fetch_add(1, std::memory_order_relaxed);
        }
    };
}

void Recorder::attach(host::Runtime &runtime, host::Instance &instance, const std::string &output) {
    runtime.AttachSink(instance, output, callback());
}

bool Recorder::close() { return writer_.close(); }

}  // namespace zuv::recording
