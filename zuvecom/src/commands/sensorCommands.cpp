// Sensor installation: alignment and lever arm, initial condition, motion profile, aiding assignment.
#include "commands/exchange.h"
#include "zuvEComCommandCodec.h"
#include "zuvEComCommands.h"

using namespace zuv::commands;

extern "C" {

ZuvErrorCode zuvEComCmdSensorGetAlignmentAndLeverArm(ZuvEComHandle *pHandle, ZuvEComSensorAlignmentInfo *pAlignConf,
                                                     float *pLeverArm) {
    if (pAlignConf == nullptr || pLeverArm == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_SENSOR_ALIGNMENT, [&](const uint8_t *pIn, size_t size) {
        return zuvEComSensorAlignmentDecode(pIn, size, pAlignConf, pLeverArm);
    });
}

ZuvErrorCode zuvEComCmdSensorSetAlignmentAndLeverArm(ZuvEComHandle *pHandle,
                                                     const ZuvEComSensorAlignmentInfo *pAlignConf,
                                                     const float *pLeverArm) {
    if (pAlignConf == nullptr || pLeverArm == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runSet(pHandle, ZUV_ECOM_CMD_SENSOR_ALIGNMENT, [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
        return zuvEComSensorAlignmentEncode(pAlignConf, pLeverArm, pOut, capacity, pSize);
    });
}

ZuvErrorCode zuvEComCmdSensorGetInitCondition(ZuvEComHandle *pHandle, ZuvEComInitConditionConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_INIT_CONDITION,
                  [&](const uint8_t *pIn, size_t size) { return zuvEComInitConditionDecode(pIn, size, pConf); });
}

ZuvErrorCode zuvEComCmdSensorSetInitCondition(ZuvEComHandle *pHandle, const ZuvEComInitConditionConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runSet(pHandle, ZUV_ECOM_CMD_INIT_CONDITION, [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
        return zuvEComInitConditionEncode(pConf, pOut, capacity, pSize);
    });
}

ZuvErrorCode zuvEComCmdSensorGetMotionProfileInfo(ZuvEComHandle *pHandle, ZuvEComModelInfo *pInfo) {
    if (pInfo == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_MOTION_PROFILE_INFO,
                  [&](const uint8_t *pIn, size_t size) { return zuvEComModelInfoDecode(pIn, size, pInfo); });
}

ZuvErrorCode zuvEComCmdSensorSetMotionProfileId(ZuvEComHandle *pHandle, uint32_t id) {
    return runSet(pHandle, ZUV_ECOM_CMD_MOTION_PROFILE_ID, [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
        return zuv::encodePayload(pOut, capacity, pSize, ZUV_ECOM_MOTION_PROFILE_ID_SIZE, [&](zuv::WireWriter &w) {
            w.u32(id);
            return true;
        });
    });
}

ZuvErrorCode zuvEComCmdSensorGetAidingAssignment(ZuvEComHandle *pHandle, ZuvEComAidingAssignConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_AIDING_ASSIGNMENT,
                  [&](const uint8_t *pIn, size_t size) { return zuvEComAidingAssignDecode(pIn, size, pConf); });
}

ZuvErrorCode zuvEComCmdSensorSetAidingAssignment(ZuvEComHandle *pHandle, const ZuvEComAidingAssignConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runSet(pHandle, ZUV_ECOM_CMD_AIDING_ASSIGNMENT, [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
        return zuvEComAidingAssignEncode(pConf, pOut, capacity, pSize);
    });
}

}  // extern "C"
