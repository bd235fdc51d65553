// The request/answer exchange shared by every command.
//
// The caller encodes its request payload at requestPayload(handle) and calls
// exchange(): the frame is built in place and sent up to three times; each
// attempt waits for the answer while logs keep flowing to the callback.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/payloadCodec.h"
#include "zuvECom.h"

namespace zuv::commands {

// Receives the answer frames that carry the command's own id.
class AnswerSink {
public:
    virtual ~AnswerSink() = default;
    // False drops the frame (an answer to another request) and the wait goes on;
    // true settles the command with *pResult.
    virtual bool onAnswer(const uint8_t *pPayload, size_t size, ZuvErrorCode *pResult) = 0;
};

template <typename F>
class LambdaSink final : public AnswerSink {
public:
    explicit LambdaSink(F f) : f_(f) {}
    bool onAnswer(const uint8_t *pPayload, size_t size, ZuvErrorCode *pResult) override {
        return f_(pPayload, size, pResult);
    }

private:
    F f_;
};

// Room for the request payload, inside the handle's frame buffer (4086 bytes).
uint8_t *requestPayload(ZuvEComHandle &handle);
constexpr size_t kRequestCapacity = ZUV_ECOM_MAX_PAYLOAD_SIZE;

// Sends the request of requestSize bytes. With a sink the command expects an answer
// of its own id (a success ACK then is ZUV_INVALID_FRAME); without one it expects an ACK.
// An ACK that names this command with an error code settles it with that code.
ZuvErrorCode exchange(ZuvEComHandle &handle, uint8_t cmdId, size_t requestSize, AnswerSink *pSink,
                      uint32_t timeOutMs = ZUV_ECOM_DEFAULT_CMD_TIME_OUT);

// Checks shared by every command before it touches the handle.
ZuvErrorCode checkHandle(const ZuvEComHandle *pHandle);

// A get: sends the request (encodeRequest fills the payload, or nothing) and decodes
// the answer with decode(payload, size) returning a ZuvErrorCode.
template <typename Decode>
ZuvErrorCode runGet(ZuvEComHandle *pHandle, uint8_t cmdId, size_t requestSize, Decode decode) {
    LambdaSink sink([&](const uint8_t *pPayload, size_t size, ZuvErrorCode *pResult) {
        *pResult = decode(pPayload, size);
        return true;
    });
    return exchange(*pHandle, cmdId, requestSize, &sink);
}

// A get with an empty request.
template <typename Decode>
ZuvErrorCode runGet(ZuvEComHandle *pHandle, uint8_t cmdId, Decode decode) {
    const ZuvErrorCode check = checkHandle(pHandle);
    if (check != ZUV_NO_ERROR) {
        return check;
    }
    return runGet(pHandle, cmdId, 0, decode);
}

// A set answered by an ACK: encode(payload, capacity, size*) returns a ZuvErrorCode.
template <typename Encode>
ZuvErrorCode runSet(ZuvEComHandle *pHandle, uint8_t cmdId, Encode encode,
                    uint32_t timeOutMs = ZUV_ECOM_DEFAULT_CMD_TIME_OUT) {
    const ZuvErrorCode check = checkHandle(pHandle);
    if (check != ZUV_NO_ERROR) {
        return check;
    }
    size_t size = 0;
    const ZuvErrorCode encoded = encode(requestPayload(*pHandle), kRequestCapacity, &size);
    if (encoded != ZUV_NO_ERROR) {
        return encoded;
    }
    return exchange(*pHandle, cmdId, size, nullptr, timeOutMs);
}

}  // namespace zuv::commands
