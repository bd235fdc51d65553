#include "outputQueue.h"

namespace zuv::sim {

bool OutputQueue::push(const QueuedUnit &unit, const uint8_t *bytes) {
    if (bytes_.size() - begin_ + unit.size > capacity_) {
        return false;
    }
    // Reclaim the consumed head before it grows the buffer.
    if (begin_ > 0 && begin_ >= bytes_.size() / 2) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(begin_));
        begin_ = 0;
    }
    bytes_.insert(bytes_.end(), bytes, bytes + unit.size);
    units_.push_back(unit);
    return true;
}

void OutputQueue::pushSpeedChange(uint32_t speed) {
    QueuedUnit marker;
    marker.newSpeed = speed;
    units_.push_back(marker);
}

void OutputQueue::consumeFront(size_t written) {
    frontWritten_ += written;
}

void OutputQueue::popFront() {
    begin_ += units_.front().size;
    frontWritten_ = 0;
    units_.pop_front();
    if (units_.empty()) {
        bytes_.clear();
        begin_ = 0;
    }
}

void OutputQueue::clear() {
    units_.clear();
    bytes_.clear();
    begin_ = 0;
    frontWritten_ = 0;
}

}  // namespace zuv::sim
