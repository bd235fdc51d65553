// When the reader reports on its link and when it tries to reopen it: one
// report per change of state (lost, back, silent, talking again), reopening
// attempts 100 ms after a loss and then at most once a second.
//
// Errors: none; it only decides. Threading: none of its own; the reader calls
// it from Core under its link lock. Times are on the 32-bit millisecond clock.
#pragma once

#include <cstdint>

namespace zuv {

constexpr uint32_t kFirstReopenDelayMs = 100;
constexpr uint32_t kReopenIntervalMs = 1000;
constexpr uint32_t kSilenceMs = 5000;

class LinkSupervisor {
public:
    // The link is open and nothing came yet.
    void opened(uint32_t nowMs);
    // True the first time after the link was up: that loss gets its one report.
    bool lost(uint32_t nowMs);
    bool isLost() const { return lost_; }
    // A reopening attempt is due now.
    bool reopenDue(uint32_t nowMs) const;
    void reopenFailed(uint32_t nowMs) { nextAttemptMs_ = nowMs + kReopenIntervalMs; }
    // The link is open again; returns how long it was gone.
    uint32_t reopened(uint32_t nowMs);

    // A frame came; true when it ends a silence (one report).
    bool frame(uint32_t nowMs);
    // True once when the open link has stayed silent for 5 s (one report).
    bool silenceBegins(uint32_t nowMs);

private:
    bool lost_ = false;
    bool silent_ = false;
    uint32_t lostAtMs_ = 0;
    uint32_t nextAttemptMs_ = 0;
    uint32_t lastFrameMs_ = 0;
};

}  // namespace zuv
