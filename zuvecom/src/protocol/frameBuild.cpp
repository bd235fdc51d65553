#include <cstring>

#include "zuvCrc.h"
#include "zuvEComProtocol.h"

extern "C" ZuvErrorCode zuvEComFrameBuild(uint8_t msgId, uint8_t msgClass, const void *pPayload, size_t payloadSize,
                                          uint8_t *pFrame, size_t frameCapacity, size_t *pFrameSize) {
    if (pFrame == nullptr || pFrameSize == nullptr || (pPayload == nullptr && payloadSize > 0)) {
        return ZUV_NULL_POINTER;
    }
    if (payloadSize > ZUV_ECOM_MAX_PAYLOAD_SIZE) {
        return ZUV_INVALID_PARAMETER;
    }
    const size_t frameSize = payloadSize + ZUV_ECOM_FRAME_OVERHEAD;
    if (frameCapacity < frameSize) {
        return ZUV_BUFFER_OVERFLOW;
    }
    pFrame[0] = ZUV_ECOM_SYNC_1;
    pFrame[1] = ZUV_ECOM_SYNC_2;
    pFrame[2] = msgId;
    pFrame[3] = msgClass;
    pFrame[4] = static_cast<uint8_t>(payloadSize & 0xFFu);
    pFrame[5] = static_cast<uint8_t>(payloadSize >> 8);
    if (payloadSize > 0) {
        std::memmove(pFrame + 6, pPayload, payloadSize);
    }
    const uint16_t crc = zuvCrc16Compute(pFrame + 2, payloadSize + 4);
    pFrame[6 + payloadSize] = static_cast<uint8_t>(crc & 0xFFu);
    pFrame[7 + payloadSize] = static_cast<uint8_t>(crc >> 8);
    pFrame[8 + payloadSize] = ZUV_ECOM_ETX;
    *pFrameSize = frameSize;
    return ZUV_NO_ERROR;
}
