#include <cstring>

#include "osError.h"
#include "zuvInterface.h"

namespace {
thread_local int lastOsError = 0;
}

namespace zuv::detail {
void RecordOsError(int error) {
    lastOsError = error;
}
}  // namespace zuv::detail

extern "C" {

int zuvInterfaceGetLastOsError(void) {
    return lastOsError;
}

void zuvInterfaceZeroInit(ZuvInterface *pInterface) {
    if (pInterface != nullptr) {
        std::memset(pInterface, 0, sizeof(*pInterface));
    }
}

ZuvErrorCode zuvInterfaceRead(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes, size_t bytesToRead) {
    if (pInterface == nullptr || pReadBytes == nullptr || pInterface->pReadFunc == nullptr) {
        return ZUV_NULL_POINTER;
    }
    *pReadBytes = 0;
    if (bytesToRead == 0) {
        return ZUV_NO_ERROR;
    }
    if (pBuffer == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return pInterface->pReadFunc(pInterface, pBuffer, pReadBytes, bytesToRead);
}

ZuvErrorCode zuvInterfaceWrite(ZuvInterface *pInterface, const void *pBuffer, size_t bytesToWrite) {
    if (pInterface == nullptr || pInterface->pWriteFunc == nullptr || (pBuffer == nullptr && bytesToWrite > 0)) {
        return ZUV_NULL_POINTER;
    }
    return pInterface->pWriteFunc(pInterface, pBuffer, bytesToWrite);
}

ZuvErrorCode zuvInterfaceFlush(ZuvInterface *pInterface) {
    if (pInterface == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return pInterface->pFlushFunc != nullptr ? pInterface->pFlushFunc(pInterface) : ZUV_NO_ERROR;
}

ZuvErrorCode zuvInterfaceDestroy(ZuvInterface *pInterface) {
    if (pInterface == nullptr || pInterface->pDestroyFunc == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return pInterface->pDestroyFunc(pInterface);
}

ZuvInterfaceWaitResult zuvInterfaceWaitReadable(ZuvInterface *pInterface, uint32_t timeoutMs) {
    if (pInterface == nullptr || pInterface->pWaitFunc == nullptr) {
        return ZUV_IF_WAIT_UNSUPPORTED;
    }
    return pInterface->pWaitFunc(pInterface, timeoutMs);
}

}  // extern "C"
