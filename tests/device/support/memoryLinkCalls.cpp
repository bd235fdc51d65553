#include "memoryLinkCalls.h"

#include "zuvInterfaceMemory.h"

namespace zuv::test {
namespace {

ZuvInterface *gOpen = nullptr;

ZuvErrorCode create(ZuvInterface *pInterface) {
    const ZuvErrorCode rc = zuvInterfaceMemoryCreate(pInterface);
    if (rc == ZUV_NO_ERROR) {
        gOpen = pInterface;
    }
    return rc;
}

ZuvErrorCode destroy(ZuvInterface *pInterface) {
    gOpen = nullptr;
    return zuvInterfaceMemoryDestroy(pInterface);
}

ZuvErrorCode serialCreate(ZuvInterface *pInterface, const char *, uint32_t) {
    return create(pInterface);
}
ZuvErrorCode udpCreate(ZuvInterface *pInterface, uint32_t, uint32_t, uint32_t) {
    return create(pInterface);
}
ZuvErrorCode answered(ZuvEComHandle *, ZuvEComDeviceInfo *) {
    return ZUV_NO_ERROR;
}

}  // namespace

const ZuvLinkCalls &MemoryLinkCalls() {
    static const ZuvLinkCalls calls = {
        serialCreate, destroy,      udpCreate, destroy, zuvEComInit, zuvEComClose, zuvEComSetReceiveLogCallback,
        answered,     zuvEComHandle};
    return calls;
}

ZuvInterface *MemoryLinkInterface() {
    return gOpen;
}

void MemoryLinkPush(const std::vector<uint8_t> &bytes) {
    if (gOpen != nullptr) {
        zuvInterfaceMemoryPushChunk(gOpen, bytes.data(), bytes.size());
    }
}

size_t MemoryLinkPending() {
    return gOpen != nullptr ? zuvInterfaceMemoryPending(gOpen) : 0;
}

}  // namespace zuv::test
