#include "zuvEComLogRates.h"

#include "logs/logCodec.h"
#include "zuvEComIds.h"
#include "zuvEComProtocol.h"

extern "C" {

size_t zuvEComLogFrameSize(uint8_t msgId) {
    if (msgId == ZUV_ECOM_LOG_GPS1_RAW || msgId == ZUV_ECOM_LOG_GPS2_RAW) {
        return ZUV_ECOM_MAX_FRAME_SIZE;
    }
    const zuv::logs::LogCodec *codec = zuv::logs::codecFor(msgId);
    return codec != nullptr ? codec->layoutSize + ZUV_ECOM_FRAME_OVERHEAD : 0;
}

uint32_t zuvEComLogNewDataRateHz(uint8_t msgId) {
    switch (msgId) {
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
        return ZUV_ECOM_GNSS_UPDATE_RATE_HZ;
    case ZUV_ECOM_LOG_ODO_VEL:
        return 50;
    case ZUV_ECOM_LOG_DVL_BOTTOM_TRACK:
    case ZUV_ECOM_LOG_DVL_WATER_TRACK:
        return 10;
    case ZUV_ECOM_LOG_AIR_DATA:
        return 25;
    default:
        return 0;
    }
}

}  // extern "C"
