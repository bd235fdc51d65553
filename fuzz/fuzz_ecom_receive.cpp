// The library's own receive: the input arrives in chunks of varying size through
// zuvEComHandle, and now and then a command waits on the same bytes.
// Checks: the held count never exceeds the buffer, only log classes and ids reach
// the callback, and every call returns.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "zuvECom.h"
#include "zuvEComCommands.h"

namespace {

struct ChunkedSource {
    const uint8_t *data;
    size_t size;
    size_t offset;
    uint32_t random;

    size_t nextChunk(size_t room) {
        random = random * 1664525u + 1013904223u;
        size_t n = (random >> 24) % 97;  // 0 (an empty read) to 96 bytes
        if (n > room) {
            n = room;
        }
        if (n > size - offset) {
            n = size - offset;
        }
        return n;
    }
};

ZuvErrorCode readChunk(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes, size_t bytesToRead) {
    auto *source = static_cast<ChunkedSource *>(pInterface->handle);
    const size_t n = source->nextChunk(bytesToRead);
    if (n > 0) {
        std::memcpy(pBuffer, source->data + source->offset, n);
    }
    source->offset += n;
    *pReadBytes = n;
    return ZUV_NO_ERROR;
}

ZuvErrorCode writeNothing(ZuvInterface *, const void *, size_t) {
    return ZUV_NO_ERROR;
}

struct Clock {
    uint32_t now;
};
uint32_t clockNow(void *pArg) {
    return static_cast<Clock *>(pArg)->now;
}
void clockSleep(void *pArg, uint32_t ms) {
    static_cast<Clock *>(pArg)->now += ms;
}

ZuvErrorCode onLog(ZuvEComHandle *, ZuvEComClass msgClass, uint8_t msgId, const ZuvBinaryLogData *pLog, void *) {
    if (msgClass > ZUV_ECOM_CLASS_LOG_ECOM_1 || msgId > 38 || pLog == nullptr) {
        __builtin_trap();
    }
    if (zuvEComBinaryLogIsRaw(msgId) && pLog->opaqueData.bufferSize > 4086) {
        __builtin_trap();
    }
    return ZUV_NO_ERROR;
}

ZuvEComHandle gHandle;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) {
        return 0;
    }
    ChunkedSource source{data + 1, size - 1, 0, data[0]};
    ZuvInterface link;
    zuvInterfaceZeroInit(&link);
    link.handle = &source;
    link.type = ZUV_IF_TYPE_CUSTOM;
    link.pReadFunc = readChunk;
    link.pWriteFunc = writeNothing;
    Clock clock{0};
    zuvEComInit(&gHandle, &link);
    zuvEComSetReceiveLogCallback(&gHandle, onLog, nullptr);
    zuvEComSetClock(&gHandle, clockNow, clockSleep, &clock);
    const bool withCommand = (data[0] & 0x80) != 0;
    unsigned idleRounds = 0;
    while (source.offset < source.size || idleRounds < 2) {
        const size_t before = source.offset;
        if (withCommand && (source.random & 0x3) == 0) {
            ZuvEComDeviceInfo info;
            zuvEComCmdGetInfo(&gHandle, &info);
        } else {
            zuvEComHandle(&gHandle);
        }
        if (gHandle.protocolHandle.rxBufferSize > ZUV_ECOM_MAX_BUFFER_SIZE) {
            __builtin_trap();
        }
        idleRounds = source.offset == before ? idleRounds + 1 : 0;
        if (idleRounds > 64) {
            break;  // a run of empty reads
        }
    }
    zuvEComClose(&gHandle);
    return 0;
}
