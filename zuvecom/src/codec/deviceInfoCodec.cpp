// Device information, features and motion profile information payloads.
#include "codec/payloadCodec.h"
#include "zuvEComCommandCodec.h"

using namespace zuv;

extern "C" {

ZuvErrorCode zuvEComDeviceInfoEncode(const ZuvEComDeviceInfo *pInfo, uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pInfo == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_DEVICE_INFO_SIZE, [&](WireWriter &w) {
        writeText(w, pInfo->productCode);
        w.u32(pInfo->serialNumber);
        w.u32(pInfo->calibrationRev);
        w.u16(pInfo->calibrationYear);
        w.u8(pInfo->calibrationMonth);
        w.u8(pInfo->calibrationDay);
        w.u32(pInfo->hardwareRev);
        w.u32(pInfo->firmwareRev);
        return true;
    });
}

ZuvErrorCode zuvEComDeviceInfoDecode(const uint8_t *pIn, size_t size, ZuvEComDeviceInfo *pInfo) {
    if (pInfo == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodePayload(pIn, size, ZUV_ECOM_DEVICE_INFO_SIZE, [&](WireReader &r) {
        ZuvEComDeviceInfo info{};
        readText(r, info.productCode);
        info.serialNumber = r.u32();
        info.calibrationRev = r.u32();
        info.calibrationYear = r.u16();
        info.calibrationMonth = r.u8();
        info.calibrationDay = r.u8();
        info.hardwareRev = r.u32();
        info.firmwareRev = r.u32();
        *pInfo = info;
        return true;
    });
}

ZuvErrorCode zuvEComFeaturesEncode(const ZuvEComFeatures *pFeatures, uint8_t *pOut, size_t capacity,
                                   size_t *pSize) {
    if (pFeatures == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_FEATURES_SIZE, [&](WireWriter &w) {
        w.u32(pFeatures->sensorsMask);
        w.u32(pFeatures->gnssSignalsMask);
        w.u8(pFeatures->gnssUpdateRate);
        writeText(w, pFeatures->gnssProductCode);
        return true;
    });
}

ZuvErrorCode zuvEComFeaturesDecode(const uint8_t *pIn, size_t size, ZuvEComFeatures *pFeatures) {
    if (pFeatures == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodePayload(pIn, size, ZUV_ECOM_FEATURES_SIZE, [&](WireReader &r) {
        ZuvEComFeatures features{};
        features.sensorsMask = r.u32();
        features.gnssSignalsMask = r.u32();
        features.gnssUpdateRate = r.u8();
        readText(r, features.gnssProductCode);
        *pFeatures = features;
        return true;
    });
}

ZuvErrorCode zuvEComModelInfoEncode(const ZuvEComModelInfo *pInfo, uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pInfo == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_MODEL_INFO_SIZE, [&](WireWriter &w) {
        w.u32(pInfo->id);
        w.u32(pInfo->revision);
        writeText(w, pInfo->name);
        return true;
    });
}

ZuvErrorCode zuvEComModelInfoDecode(const uint8_t *pIn, size_t size, ZuvEComModelInfo *pInfo) {
    if (pInfo == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodePayload(pIn, size, ZUV_ECOM_MODEL_INFO_SIZE, [&](WireReader &r) {
        ZuvEComModelInfo info{};
        info.id = r.u32();
        info.revision = r.u32();
        readText(r, info.name);
        *pInfo = info;
        return true;
    });
}

}  // extern "C"
