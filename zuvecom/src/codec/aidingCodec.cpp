// GNSS installation and rejection, odometer configuration and rejection payloads.
#include "codec/commandFields.h"
#include "zuvEComCommandCodec.h"

using namespace zuv::commands;

extern "C" {

ZuvErrorCode zuvEComGnssInstallationEncode(const ZuvEComGnssInstallation *pConf, uint8_t *pOut, size_t capacity,
                                           size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodeWith<GnssInstallationFields>(*pConf, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComGnssInstallationDecode(const uint8_t *pIn, size_t size, ZuvEComGnssInstallation *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodeWith<GnssInstallationFields>(pIn, size, pConf);
}

ZuvErrorCode zuvEComGnssRejectionEncode(const ZuvEComGnssRejectionConf *pConf, uint8_t *pOut, size_t capacity,
                                        size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodeWith<GnssRejectionFields>(*pConf, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComGnssRejectionDecode(const uint8_t *pIn, size_t size, ZuvEComGnssRejectionConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodeWith<GnssRejectionFields>(pIn, size, pConf);
}

ZuvErrorCode zuvEComOdoConfEncode(const ZuvEComOdoConf *pConf, uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodeWith<OdoConfFields>(*pConf, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComOdoConfDecode(const uint8_t *pIn, size_t size, ZuvEComOdoConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodeWith<OdoConfFields>(pIn, size, pConf);
}

ZuvErrorCode zuvEComOdoRejectionEncode(const ZuvEComOdoRejectionConf *pConf, uint8_t *pOut, size_t capacity,
                                       size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodeWith<OdoRejectionFields>(*pConf, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComOdoRejectionDecode(const uint8_t *pIn, size_t size, ZuvEComOdoRejectionConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodeWith<OdoRejectionFields>(pIn, size, pConf);
}

}  // extern "C"
