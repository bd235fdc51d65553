// Handle life cycle, the receive-log callback and zuvEComHandle.
#include <cstring>

#include "protocol/receive.h"
#include "zuvPlatform.h"

using zuv::protocol::processHeldFrames;
using zuv::protocol::readOnce;

extern "C" {

ZuvErrorCode zuvEComInit(ZuvEComHandle *pHandle, ZuvInterface *pInterface) {
    if (pHandle == nullptr || pInterface == nullptr) {
        return ZUV_NULL_POINTER;
    }
    std::memset(pHandle, 0, sizeof(*pHandle));
    pHandle->protocolHandle.pLinkedInterface = pInterface;
    return ZUV_NO_ERROR;
}

ZuvErrorCode zuvEComClose(ZuvEComHandle *pHandle) {
    if (pHandle == nullptr) {
        return ZUV_NULL_POINTER;
    }
    if (pHandle->dispatching) {
        return ZUV_NOT_READY;
    }
    pHandle->protocolHandle.pLinkedInterface = nullptr;
    pHandle->protocolHandle.rxBufferSize = 0;
    pHandle->pReceiveLogFunc = nullptr;
    pHandle->pUserArg = nullptr;
    return ZUV_NO_ERROR;
}

ZuvErrorCode zuvEComSetReceiveLogCallback(ZuvEComHandle *pHandle, ZuvEComReceiveLogFunc pReceiveLogFunc,
                                          void *pUserArg) {
    if (pHandle == nullptr) {
        return ZUV_NULL_POINTER;
    }
    pHandle->pReceiveLogFunc = pReceiveLogFunc;
    pHandle->pUserArg = pUserArg;
    return ZUV_NO_ERROR;
}

ZuvErrorCode zuvEComSetClock(ZuvEComHandle *pHandle, ZuvEComGetTimeFunc pGetTimeFunc, ZuvEComSleepFunc pSleepFunc,
                             void *pClockArg) {
    if (pHandle == nullptr) {
        return ZUV_NULL_POINTER;
    }
    pHandle->pGetTimeFunc = pGetTimeFunc;
    pHandle->pSleepFunc = pSleepFunc;
    pHandle->pClockArg = pClockArg;
    return ZUV_NO_ERROR;
}

ZuvErrorCode zuvEComHandle(ZuvEComHandle *pHandle) {
    if (pHandle == nullptr || pHandle->protocolHandle.pLinkedInterface == nullptr) {
        return ZUV_NULL_POINTER;
    }
    if (pHandle->dispatching) {
        return ZUV_NOT_READY;
    }
    processHeldFrames(*pHandle, nullptr);
    for (unsigned reads = 0; reads < ZUV_ECOM_HANDLE_MAX_READS; ++reads) {
        size_t readBytes = 0;
        const ZuvErrorCode result = readOnce(pHandle->protocolHandle, &readBytes);
        if (result != ZUV_NO_ERROR) {
            return result;
        }
        if (readBytes == 0) {
            break;
        }
        processHeldFrames(*pHandle, nullptr);
    }
    return ZUV_NO_ERROR;
}

const char *zuvEComErrorCodeName(ZuvErrorCode errorCode) {
    return zuvErrorCodeToString(errorCode);
}

}  // extern "C"
