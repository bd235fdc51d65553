#include "logs/logCodec.h"

namespace zuv::logs {

const LogCodec *codecFor(uint8_t msgId) {
    switch (msgId) {
        case ZUV_ECOM_LOG_STATUS: return &kStatusCodec;
        case ZUV_ECOM_LOG_UTC_TIME: return &kUtcCodec;
        case ZUV_ECOM_LOG_IMU_DATA: return &kImuCodec;
        case ZUV_ECOM_LOG_MAG: return &kMagCodec;
        case ZUV_ECOM_LOG_MAG_CALIB: return &kMagCalibCodec;
        case ZUV_ECOM_LOG_EKF_EULER: return &kEkfEulerCodec;
        case ZUV_ECOM_LOG_EKF_QUAT: return &kEkfQuatCodec;
        case ZUV_ECOM_LOG_EKF_NAV: return &kEkfNavCodec;
        case ZUV_ECOM_LOG_SHIP_MOTION: return &kShipMotionCodec;
        case ZUV_ECOM_LOG_GPS1_VEL:
        case ZUV_ECOM_LOG_GPS2_VEL: return &kGpsVelCodec;
        case ZUV_ECOM_LOG_GPS1_POS:
        case ZUV_ECOM_LOG_GPS2_POS: return &kGpsPosCodec;
        case ZUV_ECOM_LOG_GPS1_HDT:
        case ZUV_ECOM_LOG_GPS2_HDT: return &kGpsHdtCodec;
        case ZUV_ECOM_LOG_ODO_VEL: return &kOdometerCodec;
        case ZUV_ECOM_LOG_EVENT_A:
        case ZUV_ECOM_LOG_EVENT_B:
        case ZUV_ECOM_LOG_EVENT_C:
        case ZUV_ECOM_LOG_EVENT_D:
        case ZUV_ECOM_LOG_EVENT_E: return &kEventCodec;
        case ZUV_ECOM_LOG_DVL_BOTTOM_TRACK:
        case ZUV_ECOM_LOG_DVL_WATER_TRACK: return &kDvlCodec;
        case ZUV_ECOM_LOG_AIR_DATA: return &kAirDataCodec;
        case ZUV_ECOM_LOG_USBL: return &kUsblCodec;
        default: return nullptr;
    }
}

}  // namespace zuv::logs
