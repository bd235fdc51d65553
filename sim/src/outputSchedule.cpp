#include "outputSchedule.h"

#include "zuvEComIds.h"
#include "zuvEComLogRates.h"
#include "zuvSim.h"

namespace zuv::sim {

uint32_t newDataRateHz(uint8_t logId) {
    return zuvEComLogNewDataRateHz(logId);
}

bool isEventMarker(uint8_t logId) {
    return logId >= ZUV_ECOM_LOG_EVENT_A && logId <= ZUV_ECOM_LOG_EVENT_E;
}

size_t markerInput(uint8_t logId) {
    return static_cast<size_t>(logId - ZUV_ECOM_LOG_EVENT_A);
}

int syncInputOfMode(uint16_t mode) {
    return (mode >= ZUV_ECOM_OUTPUT_MODE_SYNC_A && mode <= ZUV_ECOM_OUTPUT_MODE_SYNC_D)
               ? static_cast<int>(mode - ZUV_ECOM_OUTPUT_MODE_SYNC_A)
               : -1;
}

bool dueAtCycle(uint16_t mode, uint8_t logId, uint64_t timeUs) {
    if (mode >= 1 && mode <= 200) {
        return (timeUs / kMainLoopPeriodUs) % mode == 0;
    }
    if (mode == ZUV_ECOM_OUTPUT_MODE_PPS) {
        return timeUs % kPpsPeriodUs == 0;
    }
    if (mode == ZUV_ECOM_OUTPUT_MODE_NEW_DATA && !isEventMarker(logId)) {
        const uint32_t rate = newDataRateHz(logId);
        return rate != 0 && timeUs % (1000000u / rate) == 0;
    }
    return false;
}

}  // namespace zuv::sim
