#include "zuvLinkSupervisor.h"

#include "zuvLogFrameWait.h"

namespace zuv {

void LinkSupervisor::opened(uint32_t nowMs) {
    lost_ = false;
    silent_ = false;
    lastFrameMs_ = nowMs;
}

bool LinkSupervisor::lost(uint32_t nowMs) {
    if (lost_) {
        return false;
    }
    lost_ = true;
    lostAtMs_ = nowMs;
    nextAttemptMs_ = nowMs + kFirstReopenDelayMs;
    return true;
}

bool LinkSupervisor::reopenDue(uint32_t nowMs) const {
    return lost_ && !DeadlinePassed(nextAttemptMs_, nowMs);
}

uint32_t LinkSupervisor::reopened(uint32_t nowMs) {
    const uint32_t goneMs = nowMs - lostAtMs_;
    opened(nowMs);
    return goneMs;
}

bool LinkSupervisor::frame(uint32_t nowMs) {
    lastFrameMs_ = nowMs;
    const bool wasSilent = silent_;
    silent_ = false;
    return wasSilent;
}

bool LinkSupervisor::silenceBegins(uint32_t nowMs) {
    if (lost_ || silent_ || nowMs - lastFrameMs_ < kSilenceMs) {
        return false;
    }
    silent_ = true;
    return true;
}

}  // namespace zuv
