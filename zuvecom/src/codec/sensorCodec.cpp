// Sensor installation payloads: alignment and lever arm, initial condition, aiding
// assignment, a bare lever arm, advanced configuration.
#include <cstring>

#include "codec/commandFields.h"
#include "zuvEComCommandCodec.h"

using namespace zuv::commands;

extern "C" {

ZuvErrorCode zuvEComSensorAlignmentEncode(const ZuvEComSensorAlignmentInfo *pAlignment, const float pLeverArm[3],
                                          uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pAlignment == nullptr || pLeverArm == nullptr) {
        return ZUV_NULL_POINTER;
    }
    AlignmentWire payload{*pAlignment, {}};
    std::memcpy(payload.leverArm, pLeverArm, sizeof(payload.leverArm));
    return encodeWith<AlignmentFields>(payload, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComSensorAlignmentDecode(const uint8_t *pIn, size_t size, ZuvEComSensorAlignmentInfo *pAlignment,
                                          float pLeverArm[3]) {
    if (pAlignment == nullptr || pLeverArm == nullptr) {
        return ZUV_NULL_POINTER;
    }
    AlignmentWire payload{};
    const ZuvErrorCode result = decodeWith<AlignmentFields>(pIn, size, &payload);
    if (result == ZUV_NO_ERROR) {
        *pAlignment = payload.alignment;
        std::memcpy(pLeverArm, payload.leverArm, sizeof(payload.leverArm));
    }
    return result;
}

ZuvErrorCode zuvEComInitConditionEncode(const ZuvEComInitConditionConf *pConf, uint8_t *pOut, size_t capacity,
                                        size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodeWith<InitConditionFields>(*pConf, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComInitConditionDecode(const uint8_t *pIn, size_t size, ZuvEComInitConditionConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodeWith<InitConditionFields>(pIn, size, pConf);
}

ZuvErrorCode zuvEComAidingAssignEncode(const ZuvEComAidingAssignConf *pConf, uint8_t *pOut, size_t capacity,
                                       size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodeWith<AidingAssignFields>(*pConf, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComAidingAssignDecode(const uint8_t *pIn, size_t size, ZuvEComAidingAssignConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodeWith<AidingAssignFields>(pIn, size, pConf);
}

ZuvErrorCode zuvEComLeverArmEncode(const float pLeverArm[3], uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pLeverArm == nullptr) {
        return ZUV_NULL_POINTER;
    }
    LeverArmWire payload{};
    std::memcpy(payload.leverArm, pLeverArm, sizeof(payload.leverArm));
    return encodeWith<LeverArmFields>(payload, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComLeverArmDecode(const uint8_t *pIn, size_t size, float pLeverArm[3]) {
    if (pLeverArm == nullptr) {
        return ZUV_NULL_POINTER;
    }
    LeverArmWire payload{};
    const ZuvErrorCode result = decodeWith<LeverArmFields>(pIn, size, &payload);
    if (result == ZUV_NO_ERROR) {
        std::memcpy(pLeverArm, payload.leverArm, sizeof(payload.leverArm));
    }
    return result;
}

ZuvErrorCode zuvEComAdvancedConfEncode(const ZuvEComAdvancedConf *pConf, uint8_t *pOut, size_t capacity,
                                       size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodeWith<AdvancedConfFields>(*pConf, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComAdvancedConfDecode(const uint8_t *pIn, size_t size, ZuvEComAdvancedConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodeWith<AdvancedConfFields>(pIn, size, pConf);
}

}  // extern "C"
