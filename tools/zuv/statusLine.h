// A one-line status shown in place on a terminal during long runs ("\r" and
// erase to end of line). Other lines (reports) go through printAbove so that
// they do not get mixed into the status text.
// Errors: none; write failures are ignored (a status is decoration).
// Threading: every member may be called from any thread.
#pragma once

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace zuv::tool {

class StatusLine {
public:
    // Enabled when the stream is a terminal, unless forced.
    explicit StatusLine(std::FILE *stream = stderr);
    StatusLine(std::FILE *stream, bool enabled) : stream_(stream), enabled_(enabled) {}
    ~StatusLine() { finish(); }

    bool enabled() const { return enabled_; }
    void show(std::string_view text);
    // Clears the status, runs write (which prints whole lines), shows the status again.
    void printAbove(const std::function<void()> &write);
    // Removes the status for good.
    void finish();

private:
    void eraseLocked();
    void drawLocked();

    std::FILE *stream_;
    bool enabled_;
    std::mutex mutex_;
    std::string text_;
    bool shown_ = false;
};

}  // namespace zuv::tool
