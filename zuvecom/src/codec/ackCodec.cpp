// ACK and settings page payloads.
#include "codec/commandFields.h"
#include "codec/payloadCodec.h"
#include "zuvEComCommandCodec.h"
#include "zuvEComProtocol.h"

using namespace zuv;
using namespace zuv::commands;

extern "C" {

ZuvErrorCode zuvEComAckEncode(const ZuvEComAck *pAck, uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pAck == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return encodeWith<AckFields>(*pAck, pOut, capacity, pSize);
}

ZuvErrorCode zuvEComAckDecode(const uint8_t *pIn, size_t size, ZuvEComAck *pAck) {
    if (pAck == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return decodeWith<AckFields>(pIn, size, pAck);
}

// The page data is a run of bytes of its own length, so this payload has no field list.
ZuvErrorCode zuvEComSettingsPageEncode(uint16_t pageIndex, uint16_t pageCount, const void *pData, size_t dataSize,
                                       uint8_t *pOut, size_t capacity, size_t *pSize) {
    if (pData == nullptr && dataSize > 0) {
        return ZUV_NULL_POINTER;
    }
    if (dataSize > ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE) {
        return ZUV_INVALID_PARAMETER;
    }
    return encodePayload(pOut, capacity, pSize, ZUV_ECOM_SETTINGS_PAGE_HEADER_SIZE + dataSize, [&](WireWriter &w) {
        w.u16(pageIndex);
        w.u16(pageCount);
        w.bytes(static_cast<const uint8_t *>(pData), dataSize);
        return true;
    });
}

ZuvErrorCode zuvEComSettingsPageDecode(const uint8_t *pIn, size_t size, uint16_t *pPageIndex, uint16_t *pPageCount,
                                       const uint8_t **ppData, size_t *pDataSize) {
    if (pIn == nullptr || pPageIndex == nullptr || pPageCount == nullptr || ppData == nullptr || pDataSize == nullptr) {
        return ZUV_NULL_POINTER;
    }
    if (size < ZUV_ECOM_SETTINGS_PAGE_HEADER_SIZE ||
        size > ZUV_ECOM_SETTINGS_PAGE_HEADER_SIZE + ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE) {
        return ZUV_INVALID_FRAME;
    }
    WireReader r(pIn, size);
    *pPageIndex = r.u16();
    *pPageCount = r.u16();
    *ppData = pIn + ZUV_ECOM_SETTINGS_PAGE_HEADER_SIZE;
    *pDataSize = size - ZUV_ECOM_SETTINGS_PAGE_HEADER_SIZE;
    return ZUV_NO_ERROR;
}

}  // extern "C"
