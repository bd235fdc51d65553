#include <condition_variable>
#include <cstring>
#include <mutex>

#include "maps_runtime.h"

namespace zuv::host {

struct SampleQueue::State {
    mutable std::mutex mutex;
    mutable std::condition_variable arrived;
    std::vector<Sample> samples;
    int waiting = 0;  // in WaitForCount: only then does a sample signal
};

SampleQueue::SampleQueue() : state_(std::make_shared<State>()) {}
SampleQueue::~SampleQueue() = default;

SampleCallback SampleQueue::Callback() {
    std::shared_ptr<State> state = state_;
    return [state](const SampleView &view) {
        Sample sample{
            *view.instance + "." + *view.output, view.timestamp, view.type, view.vectorSize, view.quality, {}};
        const auto *bytes = static_cast<const uint8_t *>(view.data);
        sample.bytes.assign(bytes, bytes + view.bytes);
        std::lock_guard<std::mutex> lock(state->mutex);
        state->samples.push_back(std::move(sample));
        if (state->waiting > 0) state->arrived.notify_all();
    };
}

size_t SampleQueue::Size() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->samples.size();
}

bool SampleQueue::WaitForCount(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(state_->mutex);
    ++state_->waiting;
    const bool reached = state_->arrived.wait_for(lock, timeout, [&] { return state_->samples.size() >= count; });
    --state_->waiting;
    return reached;
}

std::vector<SampleQueue::Sample> SampleQueue::Take() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::vector<Sample> taken;
    taken.swap(state_->samples);
    return taken;
}

namespace {
template <class T>
T ElementAt(const std::vector<uint8_t> &bytes, int i) {
    T value{};
    const size_t offset = static_cast<size_t>(i) * sizeof(T);
    if (i >= 0 && offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}
}  // namespace

double SampleQueue::Sample::Float64(int i) const {
    return ElementAt<double>(bytes, i);
}
int32_t SampleQueue::Sample::Integer32(int i) const {
    return ElementAt<int32_t>(bytes, i);
}
int64_t SampleQueue::Sample::Integer64(int i) const {
    return ElementAt<int64_t>(bytes, i);
}
std::string SampleQueue::Sample::Text() const {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace zuv::host
