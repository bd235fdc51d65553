// Sensor installation payloads: alignment and lever arm, initial condition, aiding
// assignment, a bare lever arm, advanced configuration.
#include "codec/payloadCodec.h"
#include "zuvEComCommandCodec.h"

using namespace zuv;

namespace {

bool isAxisDirection(long value) {
    return inRange(value, ZUV_ECOM_ALIGNMENT_FORWARD, ZUV_ECOM_ALIGNMENT_DOWN);
}

bool isTimeReference(long value) {
    return inRange(value, ZUV_ECOM_TIME_REFERENCE_DISABLED, ZUV_ECOM_TIME_REFERENCE_UTC_GPS_1);
}

}  // namespace

extern "C" {

ZuvErrorCode zuvEComSensorAlignmentEncode(const ZuvEComSensorAlignmentInfo *pAlignment, const float pLeverArm[3],
                                          uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pAlignment == nullptr || pLeverArm == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_SENSOR_ALIGNMENT_SIZE, [&](WireWriter &w) {
        if (!isAxisDirection(pAlignment->axisDirectionX) || !isAxisDirection(pAlignment->axisDirectionY)) {
            return false;
        }
        w.u8(static_cast<uint8_t>(pAlignment->axisDirectionX));
        w.u8(static_cast<uint8_t>(pAlignment->axisDirectionY));
        w.f32(pAlignment->misRoll);
        w.f32(pAlignment->misPitch);
        w.f32(pAlignment->misYaw);
        w.f32Array(pLeverArm, 3);
        return true;
    });
}

ZuvErrorCode zuvEComSensorAlignmentDecode(const uint8_t *pIn, size_t size, ZuvEComSensorAlignmentInfo *pAlignment,
                                          float pLeverArm[3]) {
    if (pAlignment == nullptr || pLeverArm == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodePayload(pIn, size, ZUV_ECOM_SENSOR_ALIGNMENT_SIZE, [&](WireReader &r) {
        const uint8_t x = r.u8();
        const uint8_t y = r.u8();
        if (!isAxisDirection(x) || !isAxisDirection(y)) {
            return false;
        }
        ZuvEComSensorAlignmentInfo alignment{};
        alignment.axisDirectionX = static_cast<ZuvEComAxisDirection>(x);
        alignment.axisDirectionY = static_cast<ZuvEComAxisDirection>(y);
        alignment.misRoll = r.f32();
        alignment.misPitch = r.f32();
        alignment.misYaw = r.f32();
        float leverArm[3];
        r.f32Array(leverArm, 3);
        *pAlignment = alignment;
        std::memcpy(pLeverArm, leverArm, sizeof(leverArm));
        return true;
    });
}

ZuvErrorCode zuvEComInitConditionEncode(const ZuvEComInitConditionConf *pConf, uint8_t *pOut, size_t capacity,
                                        size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_INIT_CONDITION_SIZE, [&](WireWriter &w) {
        w.f64(pConf->latitude);
        w.f64(pConf->longitude);
        w.f64(pConf->altitude);
        w.u16(pConf->year);
        w.u8(pConf->month);
        w.u8(pConf->day);
        return true;
    });
}

ZuvErrorCode zuvEComInitConditionDecode(const uint8_t *pIn, size_t size, ZuvEComInitConditionConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodePayload(pIn, size, ZUV_ECOM_INIT_CONDITION_SIZE, [&](WireReader &r) {
        ZuvEComInitConditionConf conf{};
        conf.latitude = r.f64();
        conf.longitude = r.f64();
        conf.altitude = r.f64();
        conf.year = r.u16();
        conf.month = r.u8();
        conf.day = r.u8();
        *pConf = conf;
        return true;
    });
}

ZuvErrorCode zuvEComAidingAssignEncode(const ZuvEComAidingAssignConf *pConf, uint8_t *pOut, size_t capacity,
                                       size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_AIDING_ASSIGN_SIZE, [&](WireWriter &w) {
        w.u8(pConf->gnss1Module);
        w.u8(pConf->gnss1Sync);
        w.u8(pConf->rtcmModule);
        w.u8(pConf->odometerPinsConf);
        return true;
    });
}

ZuvErrorCode zuvEComAidingAssignDecode(const uint8_t *pIn, size_t size, ZuvEComAidingAssignConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodePayload(pIn, size, ZUV_ECOM_AIDING_ASSIGN_SIZE, [&](WireReader &r) {
        ZuvEComAidingAssignConf conf{};
        conf.gnss1Module = r.u8();
        conf.gnss1Sync = r.u8();
        conf.rtcmModule = r.u8();
        conf.odometerPinsConf = r.u8();
        *pConf = conf;
        return true;
    });
}

ZuvErrorCode zuvEComLeverArmEncode(const float pLeverArm[3], uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pLeverArm == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_LEVER_ARM_SIZE, [&](WireWriter &w) {
        w.f32Array(pLeverArm, 3);
        return true;
    });
}

ZuvErrorCode zuvEComLeverArmDecode(const uint8_t *pIn, size_t size, float pLeverArm[3]) {
    if (pLeverArm == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodePayload(pIn, size, ZUV_ECOM_LEVER_ARM_SIZE, [&](WireReader &r) {
        float leverArm[3];
        r.f32Array(leverArm, 3);
        std::memcpy(pLeverArm, leverArm, sizeof(leverArm));
        return true;
    });
}

ZuvErrorCode zuvEComAdvancedConfEncode(const ZuvEComAdvancedConf *pConf, uint8_t *pOut, size_t capacity,
                                       size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_ADVANCED_CONF_SIZE, [&](WireWriter &w) {
        if (!isTimeReference(pConf->timeReferenceSrc)) {
            return false;
        }
        w.u8(static_cast<uint8_t>(pConf->timeReferenceSrc));
        return true;
    });
}

ZuvErrorCode zuvEComAdvancedConfDecode(const uint8_t *pIn, size_t size, ZuvEComAdvancedConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodePayload(pIn, size, ZUV_ECOM_ADVANCED_CONF_SIZE, [&](WireReader &r) {
        const uint8_t source = r.u8();
        if (!isTimeReference(source)) {
            return false;
        }
        pConf->timeReferenceSrc = static_cast<ZuvEComTimeReferenceSrc>(source);
        return true;
    });
}

}  // extern "C"
