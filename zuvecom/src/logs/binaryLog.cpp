// Entry points of the log codec: class and id checks, then the id's layout or the raw bytes.
#include <cstddef>
#include <cstring>

#include "logs/logCodec.h"
#include "zuvEComProtocol.h"

using zuv::WireReader;
using zuv::WireWriter;
using zuv::logs::codecFor;
using zuv::logs::LogCodec;

namespace {

bool isLogClass(ZuvEComClass msgClass) {
    return msgClass == ZUV_ECOM_CLASS_LOG_ECOM_0 || msgClass == ZUV_ECOM_CLASS_LOG_ECOM_1;
}

}  // namespace

extern "C" {

int zuvEComBinaryLogIsKnown(uint8_t msgId) {
    return msgId < ZUV_ECOM_LOG_ECOM_NUM_MESSAGES ? 1 : 0;
}

int zuvEComBinaryLogIsRaw(uint8_t msgId) {
    return zuvEComBinaryLogIsKnown(msgId) && codecFor(msgId) == nullptr ? 1 : 0;
}

int zuvEComBinaryLogTimeStamp(uint8_t msgId, const ZuvBinaryLogData *pLogData, uint32_t *pTimeStamp) {
    if (pLogData == nullptr || pTimeStamp == nullptr || codecFor(msgId) == nullptr) {
        return 0;
    }
    // Every record with a layout starts with its ts, like its payload.
    static_assert(offsetof(ZuvLogStatusData, timeStamp) == 0 && offsetof(ZuvLogImuData, timeStamp) == 0 &&
                      offsetof(ZuvLogEvent, timeStamp) == 0 && offsetof(ZuvLogUsblData, timeStamp) == 0,
                  "ts leads every record");
    std::memcpy(pTimeStamp, pLogData, sizeof(*pTimeStamp));
    return 1;
}

size_t zuvEComBinaryLogLayoutSize(uint8_t msgId) {
    const LogCodec *codec = codecFor(msgId);
    return codec != nullptr ? codec->layoutSize : 0;
}

ZuvErrorCode zuvEComBinaryLogParse(ZuvEComClass msgClass, uint8_t msgId, const void *pPayload, size_t payloadSize,
                                   ZuvBinaryLogData *pOutputData) {
    if (pOutputData == nullptr || (pPayload == nullptr && payloadSize > 0)) {
        return ZUV_NULL_POINTER;
    }
    if (!isLogClass(msgClass) || !zuvEComBinaryLogIsKnown(msgId)) {
        return ZUV_ERROR;
    }
    const auto *payload = static_cast<const uint8_t *>(pPayload);
    const LogCodec *codec = codecFor(msgId);
    if (codec == nullptr) {
        // Raw GNSS data and logs without a layout keep their bytes as they came.
        if (payloadSize > ZUV_ECOM_MAX_PAYLOAD_SIZE) {
            return ZUV_BUFFER_OVERFLOW;
        }
        if (payloadSize > 0) {
            std::memcpy(pOutputData->opaqueData.rawBuffer, payload, payloadSize);
        }
        pOutputData->opaqueData.bufferSize = static_cast<uint32_t>(payloadSize);
        return ZUV_NO_ERROR;
    }
    if (payloadSize < codec->layoutSize) {
        return ZUV_INVALID_FRAME;
    }
    WireReader reader(payload, codec->layoutSize);
    codec->parse(reader, *pOutputData);
    return reader.failed() ? ZUV_INVALID_FRAME : ZUV_NO_ERROR;
}

ZuvErrorCode zuvEComBinaryLogEncode(ZuvEComClass msgClass, uint8_t msgId, const ZuvBinaryLogData *pLogData,
                                    uint8_t *pPayload, size_t capacity, size_t *pPayloadSize) {
    if (pLogData == nullptr || pPayload == nullptr || pPayloadSize == nullptr) {
        return ZUV_NULL_POINTER;
    }
    if (!isLogClass(msgClass) || !zuvEComBinaryLogIsKnown(msgId)) {
        return ZUV_ERROR;
    }
    const LogCodec *codec = codecFor(msgId);
    if (codec == nullptr) {
        const size_t size = pLogData->opaqueData.bufferSize;
        if (size > ZUV_ECOM_MAX_PAYLOAD_SIZE) {
            return ZUV_INVALID_PARAMETER;
        }
        if (size > capacity) {
            return ZUV_BUFFER_OVERFLOW;
        }
        if (size > 0) {
            std::memmove(pPayload, pLogData->opaqueData.rawBuffer, size);
        }
        *pPayloadSize = size;
        return ZUV_NO_ERROR;
    }
    if (capacity < codec->layoutSize) {
        return ZUV_BUFFER_OVERFLOW;
    }
    WireWriter writer(pPayload, codec->layoutSize);
    codec->encode(writer, *pLogData);
    if (writer.failed() || writer.size() != codec->layoutSize) {
        return ZUV_ERROR;  // a layout table out of step with its codec
    }
    *pPayloadSize = writer.size();
    return ZUV_NO_ERROR;
}

}  // extern "C"
