// Advanced configuration (time reference source).
#include "commands/exchange.h"
#include "zuvEComCommandCodec.h"
#include "zuvEComCommands.h"

using namespace zuv::commands;

extern "C" {

ZuvErrorCode zuvEComCmdAdvancedGetConf(ZuvEComHandle *pHandle, ZuvEComAdvancedConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_ADVANCED_CONF,
                  [&](const uint8_t *pIn, size_t size) { return zuvEComAdvancedConfDecode(pIn, size, pConf); });
}

ZuvErrorCode zuvEComCmdAdvancedSetConf(ZuvEComHandle *pHandle, const ZuvEComAdvancedConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runSet(pHandle, ZUV_ECOM_CMD_ADVANCED_CONF, [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
        return zuvEComAdvancedConfEncode(pConf, pOut, capacity, pSize);
    });
}

}  // extern "C"
