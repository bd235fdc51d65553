// The parts of one zuvECom frame, read in place: sync pair, id, class, payload
// length, payload span, stored CRC and end byte, and the CRC the frame should
// carry. The one description of the frame format that the library's receive
// and builder, the decoder's checks, the simulator's receiver and the tool's
// tap read frames by.
//
// Errors: none. A view reads only the bytes a caller asks about: the header
// needs kHeaderSize bytes, the payload, CRC and end byte need frameSize().
// Callers check that they hold them. Threading: a view is a pointer; no state.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zuvEComProtocol.h"

// The CRC a frame should carry: over id, class, both length bytes and the
// payload, of a frame whose first payloadSize + 6 bytes are at pFrame.
extern "C" ZUVLIB_API uint16_t zuvEComFrameCrc(const uint8_t *pFrame, size_t payloadSize);

namespace zuv {

class FrameView {
public:
    static constexpr size_t kHeaderSize = 6;  // sync pair, id, class, length
    static constexpr size_t kOverhead = ZUV_ECOM_FRAME_OVERHEAD;

    explicit FrameView(const uint8_t *bytes) : bytes_(bytes) {}

    // Header: the first kHeaderSize bytes.
    bool firstSyncMatches() const { return bytes_[0] == ZUV_ECOM_SYNC_1; }
    bool secondSyncMatches() const { return bytes_[1] == ZUV_ECOM_SYNC_2; }
    bool startsWithSync() const { return firstSyncMatches() && secondSyncMatches(); }
    uint8_t msgId() const { return bytes_[2]; }
    uint8_t msgClass() const { return bytes_[3]; }
    size_t payloadSize() const { return static_cast<size_t>(bytes_[4]) | (static_cast<size_t>(bytes_[5]) << 8); }
    bool payloadSizeFits() const { return payloadSize() <= ZUV_ECOM_MAX_PAYLOAD_SIZE; }
    size_t frameSize() const { return payloadSize() + kOverhead; }

    // Body: frameSize() bytes.
    const uint8_t *payload() const { return bytes_ + kHeaderSize; }
    uint16_t storedCrc() const {
        const uint8_t *crc = bytes_ + kHeaderSize + payloadSize();
        return static_cast<uint16_t>(crc[0] | (crc[1] << 8));
    }
    uint8_t endByte() const { return bytes_[kHeaderSize + payloadSize() + 2]; }
    bool endMatches() const { return endByte() == ZUV_ECOM_ETX; }
    // The CRC covers id, class, both length bytes and the payload.
    uint16_t expectedCrc() const { return zuvEComFrameCrc(bytes_, payloadSize()); }
    bool crcMatches() const { return expectedCrc() == storedCrc(); }

    const uint8_t *bytes() const { return bytes_; }

private:
    const uint8_t *bytes_;
};

// Lays out the header and trailer around a payload already at frame + kHeaderSize.
inline void frameWriteAround(uint8_t *frame, uint8_t msgId, uint8_t msgClass, size_t payloadSize) {
    frame[0] = ZUV_ECOM_SYNC_1;
    frame[1] = ZUV_ECOM_SYNC_2;
    frame[2] = msgId;
    frame[3] = msgClass;
    frame[4] = static_cast<uint8_t>(payloadSize & 0xFFu);
    frame[5] = static_cast<uint8_t>(payloadSize >> 8);
    const uint16_t crc = FrameView(frame).expectedCrc();
    uint8_t *trailer = frame + FrameView::kHeaderSize + payloadSize;
    trailer[0] = static_cast<uint8_t>(crc & 0xFFu);
    trailer[1] = static_cast<uint8_t>(crc >> 8);
    trailer[2] = ZUV_ECOM_ETX;
}

}  // namespace zuv
