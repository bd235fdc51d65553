// The device's side of framing: finds whole frames with a correct CRC and end
// byte in the bytes it receives, skipping noise, and hands them on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace zuv::sim {

class CommandReceiver {
public:
    using FrameHandler = std::function<void(uint8_t msgId, uint8_t msgClass, const uint8_t *payload, size_t size)>;

    CommandReceiver();

    // Frames complete once these bytes are added go to the handler, in order.
    void feed(const uint8_t *data, size_t size, const FrameHandler &handler);
    // Forgets every held byte; from inside the handler it also drops the rest of the current feed.
    void reset();
    uint64_t badFrames() const { return badFrames_; }

private:
    // The whole frame at `start` is held: its end byte and CRC are right.
    bool frameIsSound(size_t start);
    // Start of the first whole frame with a good CRC at or after `from`; 0 for none.
    size_t soundFrameAfter(size_t from);
    void drop(size_t count);

    std::vector<uint8_t> buffer_;
    size_t held_ = 0;
    bool feeding_ = false;
    bool resetPending_ = false;
    uint64_t badFrames_ = 0;
};

}  // namespace zuv::sim
