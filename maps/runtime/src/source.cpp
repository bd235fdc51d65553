// An outside producer (the recording player) feeding inputs through a FIFO.
#include <cstring>

#include "elementTypes.h"
#include "host.h"

namespace zuv::host::detail {

SourceImpl::SourceImpl(Host &host, std::string name, ElementType type, int maxSize, int depth)
    : host_(host), name_(std::move(name)), type_(ToMaps(type)), maxSize_(maxSize), depth_(depth) {}

void SourceImpl::PrepareRun() {
    fifo_ = std::make_unique<Fifo>(type_, maxSize_, depth_, &name_, &output_);
    fifo_->SetReaderWakeAt(bulk_ ? (depth_ + 1) / 2 : 1);
    stopping_.store(false);
}

void SourceImpl::SetBulk(bool on) {
    bulk_ = on;
    if (fifo_) fifo_->SetReaderWakeAt(on ? (depth_ + 1) / 2 : 1);
}

void SourceImpl::Flush() {
    if (fifo_) fifo_->Flush();
}

void SourceImpl::Stop() {
    stopping_.store(true);
    if (fifo_) fifo_->Stop();
}

bool SourceImpl::Push(int64_t timestamp, const void *data, int vectorSize) {
    if (!fifo_ || !host_.Running() || vectorSize < 0 || vectorSize > maxSize_) return false;
    if (data == nullptr && vectorSize > 0) return false;
    Slot *slot = fifo_->Acquire(stopping_);
    if (slot == nullptr) return false;
    if (vectorSize > 0)
        std::memcpy(slot->Data(), data, static_cast<size_t>(vectorSize) * static_cast<size_t>(MAPSElementSize(type_)));
    if (type_ == MAPSType_TextAscii) slot->TextAscii()[vectorSize] = '\0';
    slot->Timestamp() = timestamp;
    slot->VectorSize() = vectorSize;
    if (host_.Clock().Mode() == ClockMode::Driven) host_.Clock().Set(timestamp);
    return fifo_->Publish(slot, false) == Fifo::PublishResult::Published;
}

bool SourceImpl::Drain(std::chrono::milliseconds timeout) {
    if (!fifo_) return true;
    const auto now = std::chrono::steady_clock::now();
    const auto limit =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::time_point::max() - now);
    return fifo_->WaitIdle(now + std::min(timeout, limit));
}

}  // namespace zuv::host::detail
