#include "ZuvLinkCalls.h"

const ZuvLinkCalls &ZuvLibraryLinkCalls() {
    static const ZuvLinkCalls calls = {
        zuvInterfaceSerialCreate,
        zuvInterfaceSerialDestroy,
        zuvInterfaceUdpCreate,
        zuvInterfaceUdpDestroy,
        zuvEComInit,
        zuvEComClose,
        zuvEComSetReceiveLogCallback,
        zuvEComCmdGetInfo,
        zuvEComHandle,
    };
    return calls;
}
