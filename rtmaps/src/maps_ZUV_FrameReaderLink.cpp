// Supervision of the frame reader's main link: counts, silence, loss and
// reconnection, the link budget and the reasons behind a failed open.
#include <cstdio>
#include <string>
#include <system_error>

#include "maps_ZUV_FrameReader.h"
#include "zuvLinkBudget.h"
#include "zuvOpenFailure.h"
#include "zuvPlatform.h"

namespace {

std::string reasonOf(int osError) {
    return osError != 0 ? std::error_code(osError, std::system_category()).message() : "the line hung up";
}

}  // namespace

void MAPSZUV_FrameReader::linkOpened() {
    statistics_.attach(link_.GetHandle());
    supervisor_.opened(zuvGetTime());
    lastStatisticsMs_ = zuvGetTime();
}

ZuvErrorCode MAPSZUV_FrameReader::receiveLocked(zuv::LogFrame &frame) {
    const uint32_t now = zuvGetTime();
    if (supervisor_.isLost() && linkOpen_) {
        // A detection opened a link meanwhile: that one is used as it is.
        statistics_.count(zuv::kReconnections);
        reportBack(supervisor_.reopened(now));
    }
    if (supervisor_.isLost()) {
        if (!reconnect_ || !supervisor_.reopenDue(now)) {
            return ZUV_NOT_READY;
        }
        if (!reopenLocked()) {
            supervisor_.reopenFailed(now);
            return ZUV_NOT_READY;
        }
    }
    if (!linkOpen_) {
        return ZUV_NOT_READY;  // a detection left it closed
    }
    const ZuvErrorCode rc = statistics_.receive(link_.GetHandle(), frame);
    int osError = 0;
    if (statistics_.takeReadFailure(osError)) {
        linkFailedLocked(osError);
    }
    if (rc == ZUV_NO_ERROR && frame.msgClass <= 1) {
        if (supervisor_.frame(now)) {
            Report("Data from the device again.", 0);
        }
    } else if (rc == ZUV_NOT_READY && supervisor_.silenceBegins(now)) {
        Report("no data from the device for 5 s", 1);
    }
    return rc;
}

ZuvInterfaceWaitResult MAPSZUV_FrameReader::waitForBytes(uint32_t timeoutMs) {
    if (!waitOnLink_ || linkWanted_.load(std::memory_order_acquire) != 0) {
        return ZUV_IF_WAIT_UNSUPPORTED;
    }
    // Held through the wait, so that the interface stays as it is; a detection
    // announces itself in linkWanted_ first and waits one slice at most.
    std::unique_lock<std::mutex> lock(linkMutex_, std::try_to_lock);
    if (!lock.owns_lock() || !linkOpen_ || supervisor_.isLost()) {
        return ZUV_IF_WAIT_UNSUPPORTED;  // nothing to wait on: reopening is paced by the sleep
    }
    return zuvInterfaceWaitReadable(link_.GetHandle()->pLinkedInterface, timeoutMs);
}

void MAPSZUV_FrameReader::linkFailedLocked(int osError) {
    // A datagram socket has no line to lose: its errors are only counted.
    if (!serial_ || !supervisor_.lost(zuvGetTime())) {
        return;
    }
    statistics_.count(zuv::kLinkLosses);
    link_.Disconnect();
    linkOpen_ = false;
    const std::string text = "Link to " + port_ + " lost: " + reasonOf(osError) + ".";
    Report(text.c_str(), 1);
    if (!reconnect_) {
        CommitSuicide();
    }
}

bool MAPSZUV_FrameReader::reopenLocked() {
    // No device query: the answer's wait would hold Core past its second.
    if (link_.Connect(port_, baudRate_, true) != ZUV_NO_ERROR) {
        return false;
    }
    linkOpen_ = true;
    statistics_.attach(link_.GetHandle());
    // The device may have been power-cycled: it gets its rates again. Logs that
    // come while the commands wait are taken from the copy afterwards.
    statistics_.beginCommandCopy();
    ConfigureOutputRate();
    statistics_.endCommandCopy(link_.GetHandle());
    statistics_.count(zuv::kReconnections);
    reportBack(supervisor_.reopened(zuvGetTime()));
    return true;
}

void MAPSZUV_FrameReader::reportBack(uint32_t goneMs) {
    char text[160];
    std::snprintf(text, sizeof text, "Link to %s back after %.1f s.", port_.c_str(), goneMs / 1000.0);
    Report(text, 0);
}

void MAPSZUV_FrameReader::publishStatistics() {
    if (linkStatistics_ == nullptr) {
        return;
    }
    const uint32_t now = zuvGetTime();
    if (static_cast<int32_t>(now - lastStatisticsMs_) < static_cast<int32_t>(zuv::kLogFrameWaitMs)) {
        return;
    }
    zuv::LinkCounts counts;
    {
        std::unique_lock<std::mutex> lock(linkMutex_, std::try_to_lock);
        if (!lock.owns_lock()) {
            return;  // a detection holds the link: next time
        }
        counts = statistics_.counts();
    }
    lastStatisticsMs_ = now;
    counts[zuv::kFramesPublished] = framesPublished_;
    MAPSIOElt *element = StartWriting(*linkStatistics_);
    if (element == nullptr) {
        return;
    }
    for (size_t i = 0; i < counts.size(); ++i) {
        element->Integer64(static_cast<int>(i)) = counts[i];
    }
    element->Timestamp() = MAPS::CurrentTime(true, true);
    element->VectorSize() = static_cast<int>(counts.size());
    StopWriting(element, false);
}

void MAPSZUV_FrameReader::warnOfLinkBudget(uint32_t baudRate) {
    zuv::RateChoices choices{};
    for (size_t i = 0; i < zuv::catalogue::kLogKindCount; ++i) {
        long long index = 0;
        Get(Property(zuv::catalogue::kLogKinds[i].property), index);
        choices[i] = static_cast<size_t>(index);
    }
    const std::string warning = zuv::LinkBudgetWarning(choices, baudRate);
    if (!warning.empty()) {
        Report(warning.c_str(), 1);
    }
}

void MAPSZUV_FrameReader::reportOpenFailure(int level) {
    const std::string text = zuv::OpenFailureReason(zuvInterfaceGetLastOsError(), serial_ ? port_ : std::string());
    if (!text.empty()) {
        Report(text.c_str(), level);
    }
}
