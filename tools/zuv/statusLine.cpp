#include "statusLine.h"

#include <unistd.h>

namespace zuv::tool {

StatusLine::StatusLine(std::FILE *stream) : stream_(stream), enabled_(isatty(fileno(stream)) == 1) {}

void StatusLine::eraseLocked() {
    if (!shown_) return;
    std::fputs("\r\x1b[K", stream_);
    shown_ = false;
}

void StatusLine::drawLocked() {
    if (text_.empty()) return;
    std::fputs("\r", stream_);
    std::fwrite(text_.data(), 1, text_.size(), stream_);
    std::fputs("\x1b[K", stream_);
    std::fflush(stream_);
    shown_ = true;
}

void StatusLine::show(std::string_view text) {
    if (!enabled_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    text_.assign(text);
    drawLocked();
}

void StatusLine::printAbove(const std::function<void()> &write) {
    std::lock_guard<std::mutex> lock(mutex_);
    eraseLocked();
    write();
    if (enabled_) drawLocked();
}

void StatusLine::finish() {
    if (!enabled_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    eraseLocked();
    text_.clear();
    std::fflush(stream_);
}

}  // namespace zuv::tool
