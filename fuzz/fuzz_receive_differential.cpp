// The library's receive and the package's extraction on the same bytes: both
// must take the same log frames, in the same order, and leave the shared
// protocol buffer holding the same bytes.
// Input: up to one buffer of bytes, held in the protocol record before either
// side runs (no interface reads); byte 0 picks how many of them are held.
// Checks: the library's dispatched logs equal the package's frames that are
// log frames whose payload parses; the remaining buffers are equal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "zuvECom.h"
#include "zuvFrameExtraction.h"

namespace {

struct Taken {
    uint8_t msgClass;
    uint8_t msgId;
    std::vector<uint8_t> payload;
    bool operator==(const Taken &other) const {
        return msgClass == other.msgClass && msgId == other.msgId && payload == other.payload;
    }
};

ZuvErrorCode readNothing(ZuvInterface *, void *, size_t *pReadBytes, size_t) {
    *pReadBytes = 0;
    return ZUV_NO_ERROR;
}

ZuvErrorCode writeNothing(ZuvInterface *, const void *, size_t) {
    return ZUV_NO_ERROR;
}

// The library hands parsed records; the payload is recovered by encoding them back.
ZuvErrorCode onLog(ZuvEComHandle *, ZuvEComClass msgClass, uint8_t msgId, const ZuvBinaryLogData *pLog, void *arg) {
    static uint8_t payload[ZUV_ECOM_MAX_PAYLOAD_SIZE];
    size_t size = 0;
    if (zuvEComBinaryLogEncode(msgClass, msgId, pLog, payload, sizeof(payload), &size) != ZUV_NO_ERROR) {
        __builtin_trap();
    }
    static_cast<std::vector<Taken> *>(arg)->push_back(
        {static_cast<uint8_t>(msgClass), msgId, std::vector<uint8_t>(payload, payload + size)});
    return ZUV_NO_ERROR;
}

// What the library would dispatch of a frame the package took: log frames
// that parse, with the payload as the library lays the record out again.
bool asLibraryWouldDispatch(uint8_t msgClass, uint8_t msgId, const uint8_t *payload, size_t size, Taken &out) {
    static ZuvBinaryLogData log;
    if (zuvEComBinaryLogParse(static_cast<ZuvEComClass>(msgClass), msgId, payload, size, &log) != ZUV_NO_ERROR) {
        return false;
    }
    static uint8_t again[ZUV_ECOM_MAX_PAYLOAD_SIZE];
    size_t againSize = 0;
    if (zuvEComBinaryLogEncode(static_cast<ZuvEComClass>(msgClass), msgId, &log, again, sizeof(again), &againSize) !=
        ZUV_NO_ERROR) {
        __builtin_trap();
    }
    out = {msgClass, msgId, std::vector<uint8_t>(again, again + againSize)};
    return true;
}

ZuvEComHandle gHandle;
ZuvEComProtocol gPackage;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const size_t held = std::min<size_t>(size - 1, ZUV_ECOM_MAX_BUFFER_SIZE);
    ZuvInterface link;
    zuvInterfaceZeroInit(&link);
    link.type = ZUV_IF_TYPE_CUSTOM;
    link.pReadFunc = readNothing;
    link.pWriteFunc = writeNothing;

    std::vector<Taken> library;
    zuvEComInit(&gHandle, &link);
    zuvEComSetReceiveLogCallback(&gHandle, onLog, &library);
    std::memcpy(gHandle.protocolHandle.rxBuffer, data + 1, held);
    gHandle.protocolHandle.rxBufferSize = held;
    zuvEComHandle(&gHandle);

    std::vector<Taken> package;
    std::memset(&gPackage, 0, sizeof(gPackage));
    gPackage.pLinkedInterface = &link;
    std::memcpy(gPackage.rxBuffer, data + 1, held);
    gPackage.rxBufferSize = held;
    static uint8_t payload[ZUV_ECOM_MAX_PAYLOAD_SIZE];
    for (;;) {
        uint8_t msgClass = 0;
        uint8_t msgId = 0;
        size_t payloadSize = 0;
        uint16_t crc = 0;
        const ZuvErrorCode rc = zuv::Quarvelis_zuvEComProtocolReceive(&gPackage, &msgClass, &msgId, payload,
                                                                      &payloadSize, sizeof(payload), crc);
        if (rc == ZUV_NOT_READY) {
            break;
        }
        Taken taken;
        if (rc == ZUV_NO_ERROR && asLibraryWouldDispatch(msgClass, msgId, payload, payloadSize, taken)) {
            package.push_back(taken);
        }
    }

    if (!(library == package)) __builtin_trap();
    if (gHandle.protocolHandle.rxBufferSize != gPackage.rxBufferSize ||
        std::memcmp(gHandle.protocolHandle.rxBuffer, gPackage.rxBuffer, gPackage.rxBufferSize) != 0) {
        __builtin_trap();
    }
    zuvEComClose(&gHandle);
    return 0;
}
