#include "outputSchedule.h"

#include "zuvEComIds.h"
#include "zuvSim.h"

namespace zuv::sim {

uint32_t newDataRateHz(uint8_t logId) {
    switch (logId) {
    case ZUV_ECOM_LOG_STATUS:
    case ZUV_ECOM_LOG_UTC_TIME:
    case ZUV_ECOM_LOG_IMU_DATA:
    case ZUV_ECOM_LOG_EKF_EULER:
    case ZUV_ECOM_LOG_EKF_QUAT:
    case ZUV_ECOM_LOG_EKF_NAV:
    case ZUV_ECOM_LOG_SHIP_MOTION:
        return 200;
    case ZUV_ECOM_LOG_MAG:
        return 100;
    case ZUV_ECOM_LOG_MAG_CALIB:
    case ZUV_ECOM_LOG_USBL:
        return 1;
    case ZUV_ECOM_LOG_GPS1_VEL:
    case ZUV_ECOM_LOG_GPS1_POS:
    case ZUV_ECOM_LOG_GPS1_HDT:
    case ZUV_ECOM_LOG_GPS1_RAW:
    case ZUV_ECOM_LOG_GPS2_VEL:
    case ZUV_ECOM_LOG_GPS2_POS:
    case ZUV_ECOM_LOG_GPS2_HDT:
    case ZUV_ECOM_LOG_GPS2_RAW:
        return kGnssUpdateRateHz;
    case ZUV_ECOM_LOG_ODO_VEL:
        return 50;
    case ZUV_ECOM_LOG_DVL_BOTTOM_TRACK:
    case ZUV_ECOM_LOG_DVL_WATER_TRACK:
        return 10;
    case ZUV_ECOM_LOG_AIR_DATA:
        return 25;
    default:
        return 0;  // event markers follow their pulses; other ids are not produced
    }
}

bool isEventMarker(uint8_t logId) { return logId >= ZUV_ECOM_LOG_EVENT_A && logId <= ZUV_ECOM_LOG_EVENT_E; }

size_t markerInput(uint8_t logId) { return static_cast<size_t>(logId - ZUV_ECOM_LOG_EVENT_A); }

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
