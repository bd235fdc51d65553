#include "liveFeed.h"

#include <algorithm>
#include <cstring>

namespace zuv::tool {

LiveFeed::LiveFeed() : start_(std::chrono::steady_clock::now()) {}

double LiveFeed::nowSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

double LiveFeed::secondsSinceLastFrame() const {
    const int64_t last = lastFrameNs_.load(std::memory_order_relaxed);
    if (last < 0) return -1;
    const int64_t now =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start_).count();
    return static_cast<double>(now - last) * 1e-9;
}

host::SampleCallback LiveFeed::slotCallback(size_t index) {
    Slot *slot = slots_[index].get();
    return [this, slot](const host::SampleView &view) {
        const double time = nowSeconds();
        const int n = std::clamp(view.vectorSize, 0, static_cast<int>(kMaxValues));
        std::lock_guard<std::mutex> lock(slot->mutex);
        Sample &s = slot->sample;
        for (int i = 0; i < n; ++i) {
            if (view.type == host::ElementType::Float64 && (static_cast<size_t>(i) + 1) * 8 <= view.bytes) {
                std::memcpy(&s.values[static_cast<size_t>(i)], static_cast<const uint8_t *>(view.data) + i * 8, 8);
            } else if (view.type == host::ElementType::Integer64 && (static_cast<size_t>(i) + 1) * 8 <= view.bytes) {
                int64_t v = 0;
                std::memcpy(&v, static_cast<const uint8_t *>(view.data) + i * 8, 8);
                s.values[static_cast<size_t>(i)] = static_cast<double>(v);
            } else {
                s.values[static_cast<size_t>(i)] = 0;
            }
        }
        s.count = n;
        s.timeSeconds = time;
        ++s.sequence;
    };
}

void LiveFeed::attach(host::Runtime &runtime, host::Instance &reader, host::Instance &decoder,
                      const std::vector<std::string> &outputs) {
    std::vector<std::string> present;
    for (const auto &info : decoder.Outputs()) present.push_back(info.name);
    for (const std::string &name : outputs) {
        if (std::find(present.begin(), present.end(), name) == present.end()) continue;
        const size_t index = slots_.size();
        slots_.push_back(std::make_unique<Slot>());
        slots_.back()->sample.slot = index;
        names_.push_back(name);
        runtime.AttachSink(decoder, name, slotCallback(index));
    }
    runtime.AttachSink(reader, "oData", [this](const host::SampleView &view) {
        if (view.bytes >= 3) {
            framesById_[static_cast<const uint8_t *>(view.data)[2]].fetch_add(1, std::memory_order_relaxed);
        }
        lastFrameNs_.store(
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start_).count(),
            std::memory_order_relaxed);
    });
    attachReaderTap(runtime, reader, tap_);
}

LiveFeed::Sample LiveFeed::latest(const std::string &output) const {
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i] == output) {
            std::lock_guard<std::mutex> lock(slots_[i]->mutex);
            return slots_[i]->sample;
        }
    }
    return {};
}

std::vector<LiveFeed::Sample> LiveFeed::changedSince(std::vector<uint64_t> &seen) const {
    seen.resize(slots_.size(), 0);
    std::vector<Sample> out;
    for (size_t i = 0; i < slots_.size(); ++i) {
        std::lock_guard<std::mutex> lock(slots_[i]->mutex);
        if (slots_[i]->sample.sequence != seen[i]) {
            seen[i] = slots_[i]->sample.sequence;
            out.push_back(slots_[i]->sample);
        }
    }
    return out;
}

std::array<uint64_t, 256> LiveFeed::framesById() const {
    std::array<uint64_t, 256> out{};
    for (size_t i = 0; i < out.size(); ++i) out[i] = framesById_[i].load(std::memory_order_relaxed);
    return out;
}

}  // namespace zuv::tool
