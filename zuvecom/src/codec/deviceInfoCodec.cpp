// Device information, features and motion profile information payloads.
#include "codec/commandFields.h"
#include "zuvEComCommandCodec.h"

using namespace zuv::commands;

extern "C" {

ZuvErrorCode zuvEComDeviceInfoEncode(const ZuvEComDeviceInfo *pInfo, uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pInfo == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodeWith<DeviceInfoFields>(*pInfo, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComDeviceInfoDecode(const uint8_t *pIn, size_t size, ZuvEComDeviceInfo *pInfo) {
    if (pInfo == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodeWith<DeviceInfoFields>(pIn, size, pInfo);
}

ZuvErrorCode zuvEComFeaturesEncode(const ZuvEComFeatures *pFeatures, uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pFeatures == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodeWith<FeaturesFields>(*pFeatures, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComFeaturesDecode(const uint8_t *pIn, size_t size, ZuvEComFeatures *pFeatures) {
    if (pFeatures == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodeWith<FeaturesFields>(pIn, size, pFeatures);
}

ZuvErrorCode zuvEComModelInfoEncode(const ZuvEComModelInfo *pInfo, uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pInfo == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodeWith<ModelInfoFields>(*pInfo, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComModelInfoDecode(const uint8_t *pIn, size_t size, ZuvEComModelInfo *pInfo) {
    if (pInfo == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodeWith<ModelInfoFields>(pIn, size, pInfo);
}

}  // extern "C"
