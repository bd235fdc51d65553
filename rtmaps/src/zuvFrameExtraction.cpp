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

// Drops the first `count` held bytes, keeping the rest at the start of the buffer.
void discardFront(ZuvEComProtocol *protocol, size_t count) {
    if (count >= protocol->rxBufferSize) {
        protocol->rxBufferSize = 0;
        return;
    }
    protocol->rxBufferSize -= count;
    std::memmove(protocol->rxBuffer, protocol->rxBuffer + count, protocol->rxBufferSize);
}

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

// Index of the first FF 5A pair among the held bytes, or `held` when there is none.
size_t findSync(const uint8_t *buffer, size_t held) {
    size_t from = 0;
    while (held >= 2 && from + 1 < held) {
        const void *hit = std::memchr(buffer + from, ZUV_ECOM_SYNC_1, held - 1 - from);
        if (hit == nullptr) {
            return held;
        }
        const size_t i = static_cast<size_t>(static_cast<const uint8_t *>(hit) - buffer);
        if (buffer[i + 1] == ZUV_ECOM_SYNC_2) {
            return i;
        }
        from = i + 1;
    }
    return held;
}

}  // namespace

ZuvErrorCode Quarvelis_zuvEComProtocolReceive(ZuvEComProtocol *protocol, uint8_t *msgClass, uint8_t *msgId,
                                              void *payload, size_t *payloadSize, size_t maxSize,
                                              uint16_t &frameCrc) {
    if (protocol == nullptr) {
        return ZUV_NULL_POINTER;
    }
    if (payloadSize != nullptr) {
        *payloadSize = 0;
    }
    fill(protocol);
    uint8_t *const buffer = protocol->rxBuffer;

    for (;;) {
        size_t &held = protocol->rxBufferSize;
        if (held == 0) {
            return ZUV_NOT_READY;
        }
        const size_t syncIndex = findSync(buffer, held);
        if (syncIndex == held) {
            // A trailing 0xFF may be the first half of a sync pair still on its way.
            if (buffer[held - 1] == ZUV_ECOM_SYNC_1) {
                buffer[0] = ZUV_ECOM_SYNC_1;
                held = 1;
            } else {
                held = 0;
            }
            return ZUV_NOT_READY;
        }
        discardFront(protocol, syncIndex);
        if (held < 8) {
            return ZUV_NOT_READY;
        }

        HeldBytesCursor cursor(buffer, held);
        cursor.seek(2);
        const uint8_t id = cursor.readU8();
        const uint8_t cls = cursor.readU8();
        const size_t length = cursor.readU16LE();
        if (length > ZUV_ECOM_MAX_PAYLOAD_SIZE) {
            discardFront(protocol, 2);  // resume the search at the third byte
            continue;
        }
        if (held < length + ZUV_ECOM_FRAME_OVERHEAD) {
            return ZUV_NOT_READY;
        }
        cursor.seek(6 + length);
        frameCrc = cursor.readU16LE();
        if (cursor.readU8() != ZUV_ECOM_ETX) {
            discardFront(protocol, 2);
            continue;
        }
        if (msgId != nullptr) {
            *msgId = id;
        }
        if (msgClass != nullptr) {
            *msgClass = cls;
        }

        ZuvErrorCode result;
        if (zuvCrc16Compute(buffer + 2, length + 4) != frameCrc) {
            result = ZUV_INVALID_CRC;
        } else if (length == 0) {
            result = ZUV_NO_ERROR;
        } else if (payload == nullptr || payloadSize == nullptr) {
            result = ZUV_NULL_POINTER;
        } else if (length > maxSize) {
            result = ZUV_BUFFER_OVERFLOW;
        } else {
            *payloadSize = length;
            std::memcpy(payload, buffer + 6, length);
            result = ZUV_NO_ERROR;
        }
        discardFront(protocol, length + ZUV_ECOM_FRAME_OVERHEAD);
        return result;
    }
}

}  // namespace zuv
