// GNSS1 installation and rejection.
#include "commands/exchange.h"
#include "zuvEComCommandCodec.h"
#include "zuvEComCommands.h"

using namespace zuv::commands;

extern "C" {

ZuvErrorCode zuvEComCmdGnss1InstallationGet(ZuvEComHandle *pHandle, ZuvEComGnssInstallation *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_GNSS1_INSTALLATION,
                  [&](const uint8_t *pIn, size_t size) { return zuvEComGnssInstallationDecode(pIn, size, pConf); });
}

ZuvErrorCode zuvEComCmdGnss1InstallationSet(ZuvEComHandle *pHandle, const ZuvEComGnssInstallation *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runSet(pHandle, ZUV_ECOM_CMD_GNSS1_INSTALLATION, [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
        return zuvEComGnssInstallationEncode(pConf, pOut, capacity, pSize);
    });
}

ZuvErrorCode zuvEComCmdGnss1GetRejection(ZuvEComHandle *pHandle, ZuvEComGnssRejectionConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_GNSS1_REJECTION,
                  [&](const uint8_t *pIn, size_t size) { return zuvEComGnssRejectionDecode(pIn, size, pConf); });
}

ZuvErrorCode zuvEComCmdGnss1SetRejection(ZuvEComHandle *pHandle, const ZuvEComGnssRejectionConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runSet(pHandle, ZUV_ECOM_CMD_GNSS1_REJECTION, [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
        return zuvEComGnssRejectionEncode(pConf, pOut, capacity, pSize);
    });
}

}  // extern "C"
