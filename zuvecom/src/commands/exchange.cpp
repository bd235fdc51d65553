#include "commands/exchange.h"

#include "protocol/receive.h"
#include "zuvEComCommandCodec.h"
#include "zuvPlatform.h"

namespace zuv::commands {
namespace {

uint32_t now(const ZuvEComHandle &handle) {
    return handle.pGetTimeFunc != nullptr ? handle.pGetTimeFunc(handle.pClockArg) : zuvGetTime();
}

void sleepMs(const ZuvEComHandle &handle, uint32_t ms) {
    if (handle.pSleepFunc != nullptr) {
        handle.pSleepFunc(handle.pClockArg, ms);
    } else {
        zuvSleep(ms);
    }
}

bool abandoned(const ZuvEComHandle &handle) {
    return handle.pAbortFunc != nullptr && handle.pAbortFunc(handle.pAbortArg) != 0;
}

// A device's error code as the library reports it; values it does not know become ZUV_ERROR.
ZuvErrorCode deviceCode(uint16_t code) {
    return code <= ZUV_INVALID_VERSION ? static_cast<ZuvErrorCode>(code) : ZUV_ERROR;
}

class AnswerMatcher final : public protocol::CommandFrameVisitor {
public:
    AnswerMatcher(uint8_t cmdId, AnswerSink *pSink) : cmdId_(cmdId), sink_(pSink) {}

    bool onCommandFrame(const protocol::ReceivedFrame &frame) override {
        if (frame.msgId == ZUV_ECOM_CMD_ACK) {
            return onAck(frame);
        }
        if (frame.msgId != cmdId_ || sink_ == nullptr) {
            return false;  // an answer to another command, or data where an ACK is due
        }
        return sink_->onAnswer(frame.pPayload, frame.payloadSize, &result_);
    }

    ZuvErrorCode result() const { return result_; }

private:
    bool onAck(const protocol::ReceivedFrame &frame) {
        ZuvEComAck ack{};
        if (zuvEComAckDecode(frame.pPayload, frame.payloadSize, &ack) != ZUV_NO_ERROR) {
            // Malformed: ours only if it names this command in its first byte.
            if (frame.payloadSize >= 1 && frame.pPayload[0] == cmdId_) {
                result_ = ZUV_INVALID_FRAME;
                return true;
            }
            return false;
        }
        if (ack.cmdId != cmdId_ || ack.cmdClass != ZUV_ECOM_CLASS_CMD_0) {
            return false;  // a late ACK of an earlier command
        }
        if (ack.errorCode != ZUV_NO_ERROR) {
            result_ = deviceCode(ack.errorCode);
        } else {
            result_ = sink_ == nullptr ? ZUV_NO_ERROR : ZUV_INVALID_FRAME;
        }
        return true;
    }

    uint8_t cmdId_;
    AnswerSink *sink_;
    ZuvErrorCode result_ = ZUV_ERROR;
};

}  // namespace

uint8_t *requestPayload(ZuvEComHandle &handle) {
    return handle.frameBuffer + 6;
}

ZuvErrorCode checkHandle(const ZuvEComHandle *pHandle) {
    if (pHandle == nullptr || pHandle->protocolHandle.pLinkedInterface == nullptr) {
        return ZUV_NULL_POINTER;
    }
    // The callback runs inside a receive on this handle; a command there would cut into it.
    return pHandle->dispatching ? ZUV_NOT_READY : ZUV_NO_ERROR;
}

ZuvErrorCode exchange(ZuvEComHandle &handle, uint8_t cmdId, size_t requestSize, AnswerSink *pSink, uint32_t timeOutMs) {
    size_t frameSize = 0;
    const ZuvErrorCode built = zuvEComFrameBuild(cmdId, ZUV_ECOM_CLASS_CMD_0, requestPayload(handle), requestSize,
                                                 handle.frameBuffer, sizeof(handle.frameBuffer), &frameSize);
    if (built != ZUV_NO_ERROR) {
        return built;
    }
    ZuvEComProtocol &protocol = handle.protocolHandle;
    AnswerMatcher matcher(cmdId, pSink);
    for (unsigned attempt = 0; attempt < ZUV_ECOM_CMD_ATTEMPTS; ++attempt) {
        if (abandoned(handle)) {
            return ZUV_OPERATION_CANCELLED;
        }
        const ZuvErrorCode written = zuvInterfaceWrite(protocol.pLinkedInterface, handle.frameBuffer, frameSize);
        if (written != ZUV_NO_ERROR) {
            return written;
        }
        const uint32_t start = now(handle);
        for (;;) {
            if (protocol::processHeldFrames(handle, &matcher)) {
                return matcher.result();
            }
            // Checked on every round, so a link that never stops talking still times out.
            if (static_cast<uint32_t>(now(handle) - start) >= timeOutMs) {
                break;
            }
            if (abandoned(handle)) {
                return ZUV_OPERATION_CANCELLED;
            }
            size_t readBytes = 0;
            const ZuvErrorCode read = protocol::readOnce(protocol, &readBytes);
            if (read != ZUV_NO_ERROR) {
                return read;
            }
            if (readBytes == 0) {
                sleepMs(handle, 1);
            }
        }
    }
    return ZUV_TIME_OUT;
}

}  // namespace zuv::commands

extern "C" ZuvErrorCode zuvEComSetAbortCheck(ZuvEComHandle *pHandle, ZuvEComAbortFunc pAbortFunc, void *pAbortArg) {
    if (pHandle == nullptr) {
        return ZUV_NULL_POINTER;
    }
    pHandle->pAbortFunc = pAbortFunc;
    pHandle->pAbortArg = pAbortArg;
    return ZUV_NO_ERROR;
}
