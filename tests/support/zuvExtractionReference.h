// The frame extraction written the plain way, one step after another with a
// buffer move at every discard, to check the package's faster one against:
// same results, same out-arguments, same held bytes after every call.
// Errors: as the package's routine. Threading: none. Test use only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "zuvCrc.h"
#include "zuvEComProtocol.h"

namespace zuv::test {

namespace reference_detail {

inline void dropFront(ZuvEComProtocol &p, size_t count) {
    if (count >= p.rxBufferSize) {
        p.rxBufferSize = 0;
        return;
    }
    std::memmove(p.rxBuffer, p.rxBuffer + count, p.rxBufferSize - count);
    p.rxBufferSize -= count;
}

// The byte-wise table loop, one step per byte.
inline uint16_t crc16ByteWise(const uint8_t *p, size_t n) {
    static const auto table = [] {
        struct Table {
            uint16_t t[256];
        } out{};
        for (unsigned b = 0; b < 256; ++b) {
            uint16_t crc = static_cast<uint16_t>(b);
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc & 1u) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408u) : static_cast<uint16_t>(crc >> 1);
            }
            out.t[b] = crc;
        }
        return out;
    }();
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
        crc = static_cast<uint16_t>((crc >> 8) ^ table.t[(crc ^ p[i]) & 0xFFu]);
    }
    return crc;
}

}  // namespace reference_detail

inline uint16_t referenceCrc16(const uint8_t *p, size_t n) {
    return reference_detail::crc16ByteWise(p, n);
}

inline ZuvErrorCode referenceReceive(ZuvEComProtocol *protocol, uint8_t *msgClass, uint8_t *msgId, void *payload,
                                     size_t *payloadSize, size_t maxSize, uint16_t &frameCrc) {
    using reference_detail::dropFront;
    if (protocol == nullptr) {
        return ZUV_NULL_POINTER;
    }
    if (payloadSize != nullptr) {
        *payloadSize = 0;
    }
    ZuvEComProtocol &p = *protocol;
    uint8_t *const b = p.rxBuffer;
    if (p.rxBufferSize < ZUV_ECOM_MAX_BUFFER_SIZE && p.pLinkedInterface != nullptr &&
        p.pLinkedInterface->pReadFunc != nullptr) {
        size_t got = 0;
        const size_t room = ZUV_ECOM_MAX_BUFFER_SIZE - p.rxBufferSize;
        if (p.pLinkedInterface->pReadFunc(p.pLinkedInterface, b + p.rxBufferSize, &got, room) == ZUV_NO_ERROR) {
            p.rxBufferSize += got < room ? got : room;
        }
    }
    if (p.rxBufferSize == 0) {
        return ZUV_NOT_READY;
    }
    for (;;) {
        size_t &h = p.rxBufferSize;
        size_t i = 0;
        while (i + 1 < h && !(b[i] == ZUV_ECOM_SYNC_1 && b[i + 1] == ZUV_ECOM_SYNC_2)) {
            ++i;
        }
        if (i + 1 >= h) {
            if (b[h - 1] == ZUV_ECOM_SYNC_1) {
                b[0] = ZUV_ECOM_SYNC_1;
                h = 1;
            } else {
                h = 0;
            }
            return ZUV_NOT_READY;
        }
        dropFront(p, i);
        if (h < 8) {
            return ZUV_NOT_READY;
        }
        const uint8_t id = b[2];
        const uint8_t cls = b[3];
        const size_t n = b[4] + 256u * b[5];
        if (n > ZUV_ECOM_MAX_PAYLOAD_SIZE) {
            dropFront(p, 2);
            if (h == 0) {
                return ZUV_NOT_READY;
            }
            continue;
        }
        if (h < n + 9) {
            return ZUV_NOT_READY;
        }
        frameCrc = static_cast<uint16_t>(b[6 + n] + 256u * b[7 + n]);
        if (b[8 + n] != ZUV_ECOM_ETX) {
            dropFront(p, 2);
            if (h == 0) {
                return ZUV_NOT_READY;
            }
            continue;
        }
        if (msgId != nullptr) {
            *msgId = id;
        }
        if (msgClass != nullptr) {
            *msgClass = cls;
        }
        ZuvErrorCode result;
        if (reference_detail::crc16ByteWise(b + 2, n + 4) != frameCrc) {
            result = ZUV_INVALID_CRC;
        } else if (n == 0) {
            result = ZUV_NO_ERROR;
        } else if (payload == nullptr || payloadSize == nullptr) {
            result = ZUV_NULL_POINTER;
        } else if (n > maxSize) {
            result = ZUV_BUFFER_OVERFLOW;
        } else {
            *payloadSize = n;
            std::memcpy(payload, b + 6, n);
            result = ZUV_NO_ERROR;
        }
        dropFront(p, n + 9);
        return result;
    }
}

}  // namespace zuv::test
