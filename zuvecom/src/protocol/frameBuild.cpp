#include <cstring>

#include "zuvCrc.h"
#include "zuvEComFrameView.h"

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
    // The payload may already sit in pFrame: move it before the header lands.
    if (payloadSize > 0) {
        std::memmove(pFrame + zuv::FrameView::kHeaderSize, pPayload, payloadSize);
    }
    zuv::frameWriteAround(pFrame, msgId, msgClass, payloadSize);
    *pFrameSize = frameSize;
    return ZUV_NO_ERROR;
}

extern "C" uint16_t zuvEComFrameCrc(const uint8_t *pFrame, size_t payloadSize) {
    return zuvCrc16Compute(pFrame + 2, payloadSize + 4);
}
