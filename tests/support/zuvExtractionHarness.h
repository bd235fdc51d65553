// One place that calls the package's frame extraction for tests, benchmarks and
// fuzz targets, and collects what each call gave.
// Errors: whatever the extraction returns, unchanged. Threading: none.
#pragma once

#include <cstdint>
#include <vector>

#include "zuvFrameExtraction.h"
#include "zuvTestStreams.h"

namespace zuv::test {

struct Extracted {
    ZuvErrorCode result = ZUV_NOT_READY;
    uint8_t id = 0;
    uint8_t msgClass = 0;
    uint16_t crc = 0;
    Bytes payload;

    bool sameFrameAs(const Frame &frame) const {
        return result == ZUV_NO_ERROR && id == frame.id && msgClass == frame.msgClass && crc == frame.crc &&
               payload == frame.payload;
    }
};

inline ZuvErrorCode receive(ZuvEComProtocol *protocol, uint8_t *msgClass, uint8_t *msgId, void *payload,
                            size_t *payloadSize, size_t maxSize, uint16_t &frameCrc) {
    return Quarvelis_zuvEComProtocolReceive(protocol, msgClass, msgId, payload, payloadSize, maxSize, frameCrc);
}

// One call with a payload buffer of the reader's size.
inline Extracted receiveOne(ZuvEComProtocol *protocol, size_t maxSize = ZUV_ECOM_MAX_PAYLOAD_SIZE) {
    Extracted out;
    uint8_t buffer[ZUV_ECOM_MAX_PAYLOAD_SIZE];
    size_t size = 0;
    out.result = receive(protocol, &out.msgClass, &out.id, buffer, &size, maxSize, out.crc);
    out.payload.assign(buffer, buffer + size);
    return out;
}

// Calls until the interface has nothing left and a call finds no frame; keeps
// every result but "not ready".
inline std::vector<Extracted> drain(MemoryLink &link) {
    std::vector<Extracted> got;
    for (;;) {
        const bool sourceEmpty = link.pending() == 0;
        Extracted one = receiveOne(link.protocol());
        if (one.result != ZUV_NOT_READY) {
            got.push_back(std::move(one));
        } else if (sourceEmpty) {
            return got;
        }
    }
}

}  // namespace zuv::test
