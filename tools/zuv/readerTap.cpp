#include "readerTap.h"

#include <fmt/format.h>

#include "zuvEComFrameView.h"

namespace zuv::tool {

bool frameCrcMatches(const uint8_t *bytes, size_t size) {
    if (size < FrameView::kOverhead) {
        return false;
    }
    const FrameView view(bytes);
    return size == view.frameSize() && view.crcMatches();
}

ReaderTap::ReaderTap() : start_(std::chrono::steady_clock::now()), lastTime_(start_) {}

host::SampleCallback ReaderTap::callback() {
    return [this](const host::SampleView &sample) {
        frames_.fetch_add(1, std::memory_order_relaxed);
        bytes_.fetch_add(sample.bytes, std::memory_order_relaxed);
        if (!frameCrcMatches(static_cast<const uint8_t *>(sample.data), sample.bytes)) {
            crcErrors_.fetch_add(1, std::memory_order_relaxed);
        }
    };
}

std::string ReaderTap::status() {
    const auto now = std::chrono::steady_clock::now();
    const uint64_t count = frames();
    const double span = std::chrono::duration<double>(now - lastTime_).count();
    if (span >= 1.0) {
        rate_ = static_cast<double>(count - lastFrames_) / span;
        lastFrames_ = count;
        lastTime_ = now;
    }
    return fmt::format("frames {}  {:.1f} kB  {:.1f} frames/s  CRC errors {}  {:.1f} s", count,
                       static_cast<double>(bytes()) / 1000.0, rate_, crcErrors(),
                       std::chrono::duration<double>(now - start_).count());
}

}  // namespace zuv::tool
