// What the device has produced and the link has not taken yet: units of bytes
// ([noise][frame]) in order, and port speed changes placed between them so a
// speed change happens after the answer that announced it has gone out.
// Bounded: when full, new units are refused (a device drops what its port cannot send).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace zuv::sim {

struct QueuedUnit {
    size_t size = 0;  // bytes of the unit; 0 for a speed change
    size_t noiseBytes = 0;
    uint8_t msgClass = 0;
    uint8_t msgId = 0;
    uint32_t faults = 0;
    uint64_t deviceTimeUs = 0;
    uint32_t newSpeed = 0;  // speed change marker when size is 0
};

class OutputQueue {
public:
    explicit OutputQueue(size_t capacityBytes) : capacity_(capacityBytes) {}

    // False (nothing queued) when the bytes do not fit.
    bool push(const QueuedUnit &unit, const uint8_t *bytes);
    void pushSpeedChange(uint32_t speed);

    bool empty() const { return units_.empty(); }
    const QueuedUnit &front() const { return units_.front(); }
    const uint8_t *frontBytes() const { return bytes_.data() + begin_; }
    // Bytes of the front unit already written (partial writes on a serial line).
    size_t frontWritten() const { return frontWritten_; }
    void consumeFront(size_t written);  // adds to frontWritten
    void popFront();
    void clear();

private:
    size_t capacity_;
    std::vector<uint8_t> bytes_;
    size_t begin_ = 0;  // first byte of the front unit
    size_t frontWritten_ = 0;
    std::deque<QueuedUnit> units_;
};

}  // namespace zuv::sim
