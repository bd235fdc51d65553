#include "outputSchedule.h"

#include "zuvEComIds.h"
#include "zuvEComLogRates.h"
#include "zuvSim.h"

namespace zuv::sim {

uint32_t newDataRateHz(uint8_t logId) {
    return zuvEComLogNewDataRateHz(logId);
}

namespace {

constexpr bool markersAreEventsAToE() {
    for (const CycleLog &log : kCyclePlan) {
        if (log.marker != (log.logId >= ZUV_ECOM_LOG_EVENT_A && log.logId <= ZUV_ECOM_LOG_EVENT_E)) return false;
    }
    return true;
}
static_assert(markersAreEventsAToE(), "markerInput counts the markers from event A");

}  // namespace

size_t markerInput(uint8_t logId) {
    return static_cast<size_t>(logId - ZUV_ECOM_LOG_EVENT_A);
}

int syncInputOfMode(uint16_t mode) {
    return (mode >= ZUV_ECOM_OUTPUT_MODE_SYNC_A && mode <= ZUV_ECOM_OUTPUT_MODE_SYNC_D)
               ? static_cast<int>(mode - ZUV_ECOM_OUTPUT_MODE_SYNC_A)
               : -1;
}

bool dueAtCycle(uint16_t mode, const CycleLog &log, uint64_t timeUs) {
    if (mode >= 1 && mode <= 200) {
        return (timeUs / kMainLoopPeriodUs) % mode == 0;
    }
    if (mode == ZUV_ECOM_OUTPUT_MODE_PPS) {
        return timeUs % kPpsPeriodUs == 0;
    }
    if (mode == ZUV_ECOM_OUTPUT_MODE_NEW_DATA && !log.marker) {
        const uint32_t rate = log.newDataRateHz;
        return rate != 0 && timeUs % (1000000u / rate) == 0;
    }
    return false;
}

}  // namespace zuv::sim
