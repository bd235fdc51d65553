#include "protocol/receive.h"

#include <cstring>

#include "zuvEComFrameView.h"

namespace zuv::protocol {
namespace {

constexpr size_t kFewestToDecide = 8;

void dropFront(ZuvEComProtocol &protocol, size_t count) {
    if (count >= protocol.rxBufferSize) {
        protocol.rxBufferSize = 0;
        return;
    }
    std::memmove(protocol.rxBuffer, protocol.rxBuffer + count, protocol.rxBufferSize - count);
    protocol.rxBufferSize -= count;
}

// Moves the first sync pair to the start of the buffer. False when there is none;
// then only a trailing 0xFF, which may begin one, is kept.
bool alignOnSync(ZuvEComProtocol &protocol) {
    const size_t held = protocol.rxBufferSize;
    const uint8_t *buffer = protocol.rxBuffer;
    for (size_t i = 0; i + 1 < held; ++i) {
        if (buffer[i] == ZUV_ECOM_SYNC_1 && buffer[i + 1] == ZUV_ECOM_SYNC_2) {
            dropFront(protocol, i);
            return true;
        }
    }
    if (held > 0 && buffer[held - 1] == ZUV_ECOM_SYNC_1) {
        protocol.rxBuffer[0] = ZUV_ECOM_SYNC_1;
        protocol.rxBufferSize = 1;
    } else {
        protocol.rxBufferSize = 0;
    }
    return false;
}

void dispatchLog(ZuvEComHandle &handle, const ReceivedFrame &frame) {
    const auto msgClass = static_cast<ZuvEComClass>(frame.msgClass);
    const ZuvErrorCode parsed =
        zuvEComBinaryLogParse(msgClass, frame.msgId, frame.pPayload, frame.payloadSize, &handle.logData);
    // The frame leaves the buffer before the callback runs, so the buffer is consistent whatever it does.
    consumeFrame(handle.protocolHandle, frame);
    if (parsed != ZUV_NO_ERROR || handle.pReceiveLogFunc == nullptr) {
        return;
    }
    handle.dispatching = 1;
    handle.pReceiveLogFunc(&handle, msgClass, frame.msgId, &handle.logData, handle.pUserArg);
    handle.dispatching = 0;
}

}  // namespace

ZuvErrorCode readOnce(ZuvEComProtocol &protocol, size_t *pReadBytes) {
    *pReadBytes = 0;
    if (protocol.rxBufferSize >= ZUV_ECOM_MAX_BUFFER_SIZE) {
        return ZUV_NO_ERROR;
    }
    size_t readBytes = 0;
    const ZuvErrorCode result = zuvInterfaceRead(protocol.pLinkedInterface, protocol.rxBuffer + protocol.rxBufferSize,
                                                 &readBytes, ZUV_ECOM_MAX_BUFFER_SIZE - protocol.rxBufferSize);
    if (result != ZUV_NO_ERROR) {
        return result;
    }
    // A driver that claims more than it was offered must not move the count past the buffer.
    if (readBytes > ZUV_ECOM_MAX_BUFFER_SIZE - protocol.rxBufferSize) {
        return ZUV_READ_ERROR;
    }
    protocol.rxBufferSize += readBytes;
    *pReadBytes = readBytes;
    return ZUV_NO_ERROR;
}

bool findFrame(ZuvEComProtocol &protocol, ReceivedFrame &frame) {
    for (;;) {
        // Like the package's extraction, nothing is decided on fewer than 8 held
        // bytes, so both leave the same bytes held at every point.
        if (!alignOnSync(protocol) || protocol.rxBufferSize < kFewestToDecide) {
            return false;
        }
        const FrameView view(protocol.rxBuffer);
        if (!view.payloadSizeFits()) {
            dropFront(protocol, 2);
            continue;
        }
        if (protocol.rxBufferSize < view.frameSize()) {
            return false;
        }
        if (!view.endMatches()) {
            dropFront(protocol, 2);
            continue;
        }
        if (!view.crcMatches()) {
            dropFront(protocol, view.frameSize());
            continue;
        }
        frame.msgId = view.msgId();
        frame.msgClass = view.msgClass();
        frame.pPayload = view.payload();
        frame.payloadSize = view.payloadSize();
        return true;
    }
}

void consumeFrame(ZuvEComProtocol &protocol, const ReceivedFrame &frame) {
    dropFront(protocol, frame.payloadSize + ZUV_ECOM_FRAME_OVERHEAD);
}

bool processHeldFrames(ZuvEComHandle &handle, CommandFrameVisitor *pVisitor) {
    ZuvEComProtocol &protocol = handle.protocolHandle;
    ReceivedFrame frame{};
    while (findFrame(protocol, frame)) {
        if (frame.msgClass == ZUV_ECOM_CLASS_LOG_ECOM_0 || frame.msgClass == ZUV_ECOM_CLASS_LOG_ECOM_1) {
            dispatchLog(handle, frame);
            continue;
        }
        bool settled = false;
        if (frame.msgClass == ZUV_ECOM_CLASS_CMD_0 && pVisitor != nullptr) {
            settled = pVisitor->onCommandFrame(frame);
        }
        consumeFrame(protocol, frame);
        if (settled) {
            return true;
        }
    }
    return false;
}

}  // namespace zuv::protocol
