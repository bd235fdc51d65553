// Device identity and settings actions.
#include "commands/exchange.h"
#include "zuvEComCommandCodec.h"
#include "zuvEComCommands.h"

using namespace zuv::commands;

extern "C" {

ZuvErrorCode zuvEComCmdGetInfo(ZuvEComHandle *pHandle, ZuvEComDeviceInfo *pInfo) {
    if (pInfo == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_INFO,
                  [&](const uint8_t *pIn, size_t size) { return zuvEComDeviceInfoDecode(pIn, size, pInfo); });
}

ZuvErrorCode zuvEComCmdGetFeatures(ZuvEComHandle *pHandle, ZuvEComFeatures *pFeatures) {
    if (pFeatures == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_FEATURES,
                  [&](const uint8_t *pIn, size_t size) { return zuvEComFeaturesDecode(pIn, size, pFeatures); });
}

ZuvErrorCode zuvEComCmdSettingsAction(ZuvEComHandle *pHandle, ZuvEComSettingsAction action) {
    if (action != ZUV_ECOM_REBOOT_ONLY && action != ZUV_ECOM_SAVE_SETTINGS &&
        action != ZUV_ECOM_RESTORE_DEFAULT_SETTINGS) {
        return ZUV_INVALID_PARAMETER;
    }
    // Writing the settings to flash takes the device longer than any other command.
    const uint32_t timeOut =
        action == ZUV_ECOM_SAVE_SETTINGS ? ZUV_ECOM_SAVE_CMD_TIME_OUT : ZUV_ECOM_DEFAULT_CMD_TIME_OUT;
    return runSet(
        pHandle, ZUV_ECOM_CMD_SETTINGS_ACTION,
        [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
            return zuv::encodePayload(pOut, capacity, pSize, ZUV_ECOM_SETTINGS_ACTION_SIZE, [&](zuv::WireWriter &w) {
                w.u8(static_cast<uint8_t>(action));
                return true;
            });
        },
        timeOut);
}

}  // extern "C"
