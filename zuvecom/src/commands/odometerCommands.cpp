// Odometer configuration, lever arm and rejection.
#include "commands/exchange.h"
#include "zuvEComCommandCodec.h"
#include "zuvEComCommands.h"

using namespace zuv::commands;

extern "C" {

ZuvErrorCode zuvEComCmdOdoGetConf(ZuvEComHandle *pHandle, ZuvEComOdoConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_ODO_CONF,
                  [&](const uint8_t *pIn, size_t size) { return zuvEComOdoConfDecode(pIn, size, pConf); });
}

ZuvErrorCode zuvEComCmdOdoSetConf(ZuvEComHandle *pHandle, const ZuvEComOdoConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runSet(pHandle, ZUV_ECOM_CMD_ODO_CONF, [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
        return zuvEComOdoConfEncode(pConf, pOut, capacity, pSize);
    });
}

ZuvErrorCode zuvEComCmdOdoGetLeverArm(ZuvEComHandle *pHandle, float *pLeverArm) {
    if (pLeverArm == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_ODO_LEVER_ARM,
                  [&](const uint8_t *pIn, size_t size) { return zuvEComLeverArmDecode(pIn, size, pLeverArm); });
}

ZuvErrorCode zuvEComCmdOdoSetLeverArm(ZuvEComHandle *pHandle, const float *pLeverArm) {
    if (pLeverArm == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runSet(pHandle, ZUV_ECOM_CMD_ODO_LEVER_ARM, [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
        return zuvEComLeverArmEncode(pLeverArm, pOut, capacity, pSize);
    });
}

ZuvErrorCode zuvEComCmdOdoGetRejection(ZuvEComHandle *pHandle, ZuvEComOdoRejectionConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_ODO_REJECTION,
                  [&](const uint8_t *pIn, size_t size) { return zuvEComOdoRejectionDecode(pIn, size, pConf); });
}

ZuvErrorCode zuvEComCmdOdoSetRejection(ZuvEComHandle *pHandle, const ZuvEComOdoRejectionConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runSet(pHandle, ZUV_ECOM_CMD_ODO_REJECTION, [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
        return zuvEComOdoRejectionEncode(pConf, pOut, capacity, pSize);
    });
}

}  // extern "C"
