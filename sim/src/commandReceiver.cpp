#include "commandReceiver.h"

#include <cstring>

#include "zuvEComFrameView.h"

namespace zuv::sim {

CommandReceiver::CommandReceiver() : buffer_(2 * ZUV_ECOM_MAX_FRAME_SIZE) {}

void CommandReceiver::drop(size_t count) {
    std::memmove(buffer_.data(), buffer_.data() + count, held_ - count);
    held_ -= count;
}

bool CommandReceiver::frameIsSound(size_t start) {
    const FrameView view(buffer_.data() + start);
    return view.endMatches() && view.crcMatches();
}

size_t CommandReceiver::soundFrameAfter(size_t from) {
    for (size_t start = from; start + ZUV_ECOM_FRAME_OVERHEAD <= held_; ++start) {
        const FrameView view(buffer_.data() + start);
        if (!view.startsWithSync()) {
            continue;
        }
        if (view.payloadSizeFits() && start + view.frameSize() <= held_ && frameIsSound(start)) {
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
            while (start + 1 < held_ && !FrameView(buffer_.data() + start).startsWithSync()) {
                ++start;
            }
            drop(start);
            if (held_ < FrameView::kHeaderSize) {
                break;
            }
            const FrameView view(buffer_.data());
            const size_t payloadSize = view.payloadSize();
            if (!view.payloadSizeFits()) {
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
            if (!frameIsSound(0)) {
                ++badFrames_;
                drop(1);
                continue;
            }
            handler(view.msgId(), view.msgClass(), view.payload(), payloadSize);
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
