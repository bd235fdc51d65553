#include "zuvFrameExtraction.h"

#include <cstring>

#include "zuvCrc.h"
#include "zuvPlatform.h"

namespace zuv {
namespace {

// Bounded reads over the held bytes. Every seek the extraction makes is kept in
// range by its length checks; an out-of-range one is logged, never performed.
class HeldBytesCursor {
public:
    HeldBytesCursor(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    bool seek(size_t position) {
        if (position >= size_) {
            zuvPlatformDebugLogMsg(__FILE__, "zuvStreamBufferSeek", __LINE__, "None", ZUV_LOG_ERROR,
                                   ZUV_BUFFER_OVERFLOW, "Trying to seek after the buffer");
            return false;
        }
        position_ = position;
        return true;
    }
    uint8_t readU8() { return position_ < size_ ? data_[position_++] : 0; }
    uint16_t readU16LE() {
        const uint16_t low = readU8();
        return static_cast<uint16_t>(low | (readU8() << 8));
    }

private:
    const uint8_t *data_;
    size_t size_;
    size_t position_ = 0;
};

void fill(ZuvEComProtocol *protocol) {
    if (protocol->rxBufferSize >= ZUV_ECOM_MAX_BUFFER_SIZE || protocol->pLinkedInterface == nullptr ||
        protocol->pLinkedInterface->pReadFunc == nullptr) {
        return;
    }
    size_t bytesRead = 0;
    const size_t room = ZUV_ECOM_MAX_BUFFER_SIZE - protocol->rxBufferSize;
    const ZuvErrorCode rc = protocol->pLinkedInterface->pReadFunc(
        protocol->pLinkedInterface, protocol->rxBuffer + protocol->rxBufferSize, &bytesRead, room);
    if (rc == ZUV_NO_ERROR) {
        protocol->rxBufferSize += bytesRead < room ? bytesRead : room;
    }
}

// Index of the first FF 5A pair in buffer[from, held), or `held` when there is none.
size_t findSync(const uint8_t *buffer, size_t from, size_t held) {
    while (from + 1 < held) {
        if (buffer[from] == ZUV_ECOM_SYNC_1 && buffer[from + 1] == ZUV_ECOM_SYNC_2) {
            return from;  // the usual case: the previous frame ended right before it
        }
        const void *hit = std::memchr(buffer + from + 1, ZUV_ECOM_SYNC_1, held - 2 - from);
        if (hit == nullptr) {
            return held;
        }
        from = static_cast<size_t>(static_cast<const uint8_t *>(hit) - buffer);
    }
    return held;
}

// Ends a call: the bytes from `front` on become the held bytes, at the start of
// the buffer where the library's own receive and commands expect them. Noise,
// dropped sync pairs and the frame taken leave in this one move.
void keepFrom(ZuvEComProtocol *protocol, size_t front) {
    const size_t held = protocol->rxBufferSize;
    if (front >= held) {
        protocol->rxBufferSize = 0;
        return;
    }
    if (front > 0) {
        std::memmove(protocol->rxBuffer, protocol->rxBuffer + front, held - front);
        protocol->rxBufferSize = held - front;
    }
}

}  // namespace

ZuvErrorCode Quarvelis_zuvEComProtocolReceive(ZuvEComProtocol *protocol, uint8_t *msgClass, uint8_t *msgId,
                                              void *payload, size_t *payloadSize, size_t maxSize, uint16_t &frameCrc) {
    if (protocol == nullptr) {
        return ZUV_NULL_POINTER;
    }
    if (payloadSize != nullptr) {
        *payloadSize = 0;
    }
    fill(protocol);
    uint8_t *const buffer = protocol->rxBuffer;
    const size_t held = protocol->rxBufferSize;

    // Everything before `front` is already discarded; it leaves the buffer when the call ends.
    size_t front = 0;
    for (;;) {
        if (front >= held) {
            protocol->rxBufferSize = 0;
            return ZUV_NOT_READY;
        }
        const size_t syncIndex = findSync(buffer, front, held);
        if (syncIndex == held) {
            // A trailing 0xFF may be the first half of a sync pair still on its way.
            if (buffer[held - 1] == ZUV_ECOM_SYNC_1) {
                buffer[0] = ZUV_ECOM_SYNC_1;
                protocol->rxBufferSize = 1;
            } else {
                protocol->rxBufferSize = 0;
            }
            return ZUV_NOT_READY;
        }
        front = syncIndex;
        const size_t available = held - front;
        if (available < 8) {
            keepFrom(protocol, front);
            return ZUV_NOT_READY;
        }

        const uint8_t *const frame = buffer + front;
        HeldBytesCursor cursor(frame, available);
        cursor.seek(2);
        const uint8_t id = cursor.readU8();
        const uint8_t cls = cursor.readU8();
        const size_t length = cursor.readU16LE();
        if (length > ZUV_ECOM_MAX_PAYLOAD_SIZE) {
            front += 2;  // resume the search at the third byte
            continue;
        }
        if (available < length + ZUV_ECOM_FRAME_OVERHEAD) {
            keepFrom(protocol, front);
            return ZUV_NOT_READY;
        }
        cursor.seek(6 + length);
        frameCrc = cursor.readU16LE();
        if (cursor.readU8() != ZUV_ECOM_ETX) {
            front += 2;
            continue;
        }
        if (msgId != nullptr) {
            *msgId = id;
        }
        if (msgClass != nullptr) {
            *msgClass = cls;
        }

        ZuvErrorCode result;
        if (zuvCrc16Compute(frame + 2, length + 4) != frameCrc) {
            result = ZUV_INVALID_CRC;
        } else if (length == 0) {
            result = ZUV_NO_ERROR;
        } else if (payload == nullptr || payloadSize == nullptr) {
            result = ZUV_NULL_POINTER;
        } else if (length > maxSize) {
            result = ZUV_BUFFER_OVERFLOW;
        } else {
            *payloadSize = length;
            std::memcpy(payload, frame + 6, length);
            result = ZUV_NO_ERROR;
        }
        keepFrom(protocol, front + length + ZUV_ECOM_FRAME_OVERHEAD);
        return result;
    }
}

}  // namespace zuv
