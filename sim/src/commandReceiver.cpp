#include "commandReceiver.h"

#include <cstring>

#include "zuvEComProtocol.h"

namespace zuv::sim {

CommandReceiver::CommandReceiver()
    : buffer_(2 * ZUV_ECOM_MAX_FRAME_SIZE), scratch_(ZUV_ECOM_MAX_FRAME_SIZE) {}

void CommandReceiver::drop(size_t count) {
    std::memmove(buffer_.data(), buffer_.data() + count, held_ - count);
    held_ -= count;
}

bool CommandReceiver::frameIsSound(size_t start, size_t payloadSize) {
    const uint8_t *frame = buffer_.data() + start;
    if (frame[8 + payloadSize] != ZUV_ECOM_ETX) {
        return false;
    }
    // Rebuilding the frame gives the CRC it should carry.
    size_t built = 0;
    if (zuvEComFrameBuild(frame[2], frame[3], frame + 6, payloadSize, scratch_.data(), scratch_.size(), &built) !=
        ZUV_NO_ERROR) {
        return false;
    }
    return scratch_[6 + payloadSize] == frame[6 + payloadSize] && scratch_[7 + payloadSize] == frame[7 + payloadSize];
}

size_t CommandReceiver::soundFrameAfter(size_t from) {
    for (size_t start = from; start + ZUV_ECOM_FRAME_OVERHEAD <= held_; ++start) {
        if (buffer_[start] != ZUV_ECOM_SYNC_1 || buffer_[start + 1] != ZUV_ECOM_SYNC_2) {
            continue;
        }
        const size_t payloadSize = static_cast<size_t>(buffer_[start + 4]) | (static_cast<size_t>(buffer_[start + 5]) << 8);
        if (payloadSize <= ZUV_ECOM_MAX_PAYLOAD_SIZE && start + payloadSize + ZUV_ECOM_FRAME_OVERHEAD <= held_ &&
            frameIsSound(start, payloadSize)) {
            return start;
        }
    }
    return 0;
}

void CommandReceiver::reset() {
    if (feeding_) {
        resetPending_ = true;  // the handler's frame is still in the buffer
        return;
    }
    held_ = 0;
}

void CommandReceiver::feed(const uint8_t *data, size_t size, const FrameHandler &handler) {
    feeding_ = true;
    resetPending_ = false;
    while (size > 0 && !resetPending_) {
        const size_t room = buffer_.size() - held_;
        const size_t take = size < room ? size : room;
        std::memcpy(buffer_.data() + held_, data, take);
        held_ += take;
        data += take;
        size -= take;

        for (;;) {
            size_t start = 0;
            while (start + 1 < held_ && !(buffer_[start] == ZUV_ECOM_SYNC_1 && buffer_[start + 1] == ZUV_ECOM_SYNC_2)) {
                ++start;
            }
            drop(start);
            if (held_ < 6) {
                break;
            }
            const size_t payloadSize = static_cast<size_t>(buffer_[4]) | (static_cast<size_t>(buffer_[5]) << 8);
            if (payloadSize > ZUV_ECOM_MAX_PAYLOAD_SIZE) {
                ++badFrames_;
                drop(1);  // not a frame start after all: look for the next one
                continue;
            }
            if (held_ < payloadSize + ZUV_ECOM_FRAME_OVERHEAD) {
                // Noise can look like the start of a long frame; a whole frame behind it wins.
                const size_t later = soundFrameAfter(1);
                if (later == 0) {
                    break;
                }
                ++badFrames_;
                drop(later);
                continue;
            }
            if (!frameIsSound(0, payloadSize)) {
                ++badFrames_;
                drop(1);
                continue;
            }
            handler(buffer_[2], buffer_[3], buffer_.data() + 6, payloadSize);
            if (resetPending_) {
                held_ = 0;
                break;
            }
            drop(payloadSize + ZUV_ECOM_FRAME_OVERHEAD);
        }
    }
    feeding_ = false;
}

}  // namespace zuv::sim
