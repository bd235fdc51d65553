// The protocol layer record and the zuvECom frame format.
//
// Frame: FF 5A | id | class | N (u16 LE, 0..4086) | payload | CRC-16 (LE) | 33.
// The CRC (CRC-16/KERMIT) covers id, class, both length bytes and the payload.
//
// ZuvEComProtocol is shared: the library's receive and command functions and
// the package's own frame extraction work on the same buffer and count, so
// bytes one leaves behind are seen by the other. Callers keep them apart in time.
// Threading: one thread at a time per record.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "zuvErrorCodes.h"
#include "zuvInterface.h"
#include "zuvLibExport.h"

#ifdef __cplusplus
extern "C" {
#endif

#define ZUV_ECOM_MAX_BUFFER_SIZE 4096u
#define ZUV_ECOM_MAX_PAYLOAD_SIZE 4086u
#define ZUV_ECOM_FRAME_OVERHEAD 9u
#define ZUV_ECOM_MAX_FRAME_SIZE (ZUV_ECOM_MAX_PAYLOAD_SIZE + ZUV_ECOM_FRAME_OVERHEAD)
#define ZUV_ECOM_SYNC_1 0xFFu
#define ZUV_ECOM_SYNC_2 0x5Au
#define ZUV_ECOM_ETX 0x33u

typedef struct _ZuvEComProtocol {
    ZuvInterface *pLinkedInterface;
    uint8_t rxBuffer[ZUV_ECOM_MAX_BUFFER_SIZE];
    size_t rxBufferSize;  // bytes held at the start of rxBuffer, oldest first
} ZuvEComProtocol;

// Builds one frame into pFrame. ZUV_INVALID_PARAMETER for a payload above 4086
// bytes, ZUV_NULL_POINTER for a null payload with a size above 0,
// ZUV_BUFFER_OVERFLOW when the capacity is short; *pFrameSize only on success.
ZUVLIB_API ZuvErrorCode zuvEComFrameBuild(uint8_t msgId, uint8_t msgClass, const void *pPayload, size_t payloadSize,
                                          uint8_t *pFrame, size_t frameCapacity, size_t *pFrameSize);

#ifdef __cplusplus
}
#endif
