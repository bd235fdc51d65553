// GNSS installation and rejection, odometer configuration and rejection payloads.
#include "codec/payloadCodec.h"
#include "zuvEComCommandCodec.h"

using namespace zuv;

namespace {

bool isRejectionMode(long value) {
    return inRange(value, ZUV_ECOM_NEVER_ACCEPT_MODE, ZUV_ECOM_ALWAYS_ACCEPT_MODE);
}

bool isInstallationMode(long value) {
    return inRange(value, ZUV_ECOM_GNSS_INSTALLATION_SINGLE, ZUV_ECOM_GNSS_INSTALLATION_DUAL_PRECISE);
}

}  // namespace

extern "C" {

ZuvErrorCode zuvEComGnssInstallationEncode(const ZuvEComGnssInstallation *pConf, uint8_t *pOut, size_t capacity,
                                           size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_GNSS_INSTALLATION_SIZE, [&](WireWriter &w) {
        if (!isInstallationMode(pConf->leverArmSecondaryMode)) {
            return false;
        }
        w.f32Array(pConf->leverArmPrimary, 3);
        w.u8(pConf->leverArmPrimaryPrecise ? 1 : 0);
        w.f32Array(pConf->leverArmSecondary, 3);
        w.u8(static_cast<uint8_t>(pConf->leverArmSecondaryMode));
        return true;
    });
}

ZuvErrorCode zuvEComGnssInstallationDecode(const uint8_t *pIn, size_t size, ZuvEComGnssInstallation *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodePayload(pIn, size, ZUV_ECOM_GNSS_INSTALLATION_SIZE, [&](WireReader &r) {
        ZuvEComGnssInstallation conf{};
        r.f32Array(conf.leverArmPrimary, 3);
        conf.leverArmPrimaryPrecise = r.u8() != 0;
        r.f32Array(conf.leverArmSecondary, 3);
        const uint8_t mode = r.u8();
        if (!isInstallationMode(mode)) {
            return false;
        }
        conf.leverArmSecondaryMode = static_cast<ZuvEComGnssInstallationMode>(mode);
        *pConf = conf;
        return true;
    });
}

ZuvErrorCode zuvEComGnssRejectionEncode(const ZuvEComGnssRejectionConf *pConf, uint8_t *pOut, size_t capacity,
                                        size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_GNSS_REJECTION_SIZE, [&](WireWriter &w) {
        if (!isRejectionMode(pConf->position) || !isRejectionMode(pConf->velocity) || !isRejectionMode(pConf->hdt)) {
            return false;
        }
        w.u8(static_cast<uint8_t>(pConf->position));
        w.u8(static_cast<uint8_t>(pConf->velocity));
        w.u8(static_cast<uint8_t>(pConf->hdt));
        return true;
    });
}

ZuvErrorCode zuvEComGnssRejectionDecode(const uint8_t *pIn, size_t size, ZuvEComGnssRejectionConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodePayload(pIn, size, ZUV_ECOM_GNSS_REJECTION_SIZE, [&](WireReader &r) {
        const uint8_t position = r.u8();
        const uint8_t velocity = r.u8();
        const uint8_t hdt = r.u8();
        if (!isRejectionMode(position) || !isRejectionMode(velocity) || !isRejectionMode(hdt)) {
            return false;
        }
        pConf->position = static_cast<ZuvEComRejectionMode>(position);
        pConf->velocity = static_cast<ZuvEComRejectionMode>(velocity);
        pConf->hdt = static_cast<ZuvEComRejectionMode>(hdt);
        return true;
    });
}

ZuvErrorCode zuvEComOdoConfEncode(const ZuvEComOdoConf *pConf, uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_ODO_CONF_SIZE, [&](WireWriter &w) {
        w.f32(pConf->gain);
        w.u8(pConf->gainError);
        w.u8(pConf->reverseMode ? 1 : 0);
        return true;
    });
}

ZuvErrorCode zuvEComOdoConfDecode(const uint8_t *pIn, size_t size, ZuvEComOdoConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodePayload(pIn, size, ZUV_ECOM_ODO_CONF_SIZE, [&](WireReader &r) {
        ZuvEComOdoConf conf{};
        conf.gain = r.f32();
        conf.gainError = r.u8();
        conf.reverseMode = r.u8() != 0;
        *pConf = conf;
        return true;
    });
}

ZuvErrorCode zuvEComOdoRejectionEncode(const ZuvEComOdoRejectionConf *pConf, uint8_t *pOut, size_t capacity,
                                       size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_ODO_REJECTION_SIZE, [&](WireWriter &w) {
        if (!isRejectionMode(pConf->velocity)) {
            return false;
        }
        w.u8(static_cast<uint8_t>(pConf->velocity));
        return true;
    });
}

ZuvErrorCode zuvEComOdoRejectionDecode(const uint8_t *pIn, size_t size, ZuvEComOdoRejectionConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodePayload(pIn, size, ZUV_ECOM_ODO_REJECTION_SIZE, [&](WireReader &r) {
        const uint8_t velocity = r.u8();
        if (!isRejectionMode(velocity)) {
            return false;
        }
        pConf->velocity = static_cast<ZuvEComRejectionMode>(velocity);
        return true;
    });
}

}  // extern "C"
