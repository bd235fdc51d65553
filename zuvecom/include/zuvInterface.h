// The link interface record: a narrow read/write seam between the protocol and a
// byte transport (serial port, UDP socket, in-memory script, recorder, ...).
//
// Errors: every operation returns a ZuvErrorCode, ZUV_NO_ERROR on success.
// Reads never wait: they return at once with what is available, possibly zero
// bytes, and ZUV_NO_ERROR. ZUV_READ_ERROR / ZUV_WRITE_ERROR report a link that
// failed (unplugged device, closed socket).
// Threading: one interface is used by one thread at a time; the caller serializes.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "zuvErrorCodes.h"
#include "zuvLibExport.h"

#ifdef __cplusplus
extern "C" {
#endif

#define ZUV_IF_NAME_MAX_SIZE 48

typedef enum _ZuvInterfaceType {
    ZUV_IF_TYPE_UNKNOWN = 0,
    ZUV_IF_TYPE_SERIAL = 1,
    ZUV_IF_TYPE_UDP = 2,
    ZUV_IF_TYPE_MEMORY = 3,
    ZUV_IF_TYPE_CUSTOM = 4
} ZuvInterfaceType;

typedef struct _ZuvInterface ZuvInterface;

// Reads up to bytesToRead bytes into pBuffer; *pReadBytes receives the count (0 when nothing waits).
typedef ZuvErrorCode (*ZuvInterfaceReadFunc)(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes,
                                             size_t bytesToRead);
// Writes all bytesToWrite bytes or fails.
typedef ZuvErrorCode (*ZuvInterfaceWriteFunc)(ZuvInterface *pInterface, const void *pBuffer, size_t bytesToWrite);
// Drops whatever the transport has received and not yet delivered.
typedef ZuvErrorCode (*ZuvInterfaceFlushFunc)(ZuvInterface *pInterface);
typedef ZuvErrorCode (*ZuvInterfaceDestroyFunc)(ZuvInterface *pInterface);

struct _ZuvInterface {
    void *handle;  // the driver's own state
    ZuvInterfaceType type;
    char name[ZUV_IF_NAME_MAX_SIZE];
    ZuvInterfaceDestroyFunc pDestroyFunc;
    ZuvInterfaceReadFunc pReadFunc;
    ZuvInterfaceWriteFunc pWriteFunc;
    ZuvInterfaceFlushFunc pFlushFunc;
};

// The errno of the last serial or UDP open that failed on this thread (0 if none
// failed yet): the OS reason behind a ZUV_ERROR from a Create call.
ZUVLIB_API int zuvInterfaceGetLastOsError(void);

// Clears the record; drivers call it before filling it.
ZUVLIB_API void zuvInterfaceZeroInit(ZuvInterface *pInterface);

// Dispatch helpers: check the record and its operation, then call it.
ZUVLIB_API ZuvErrorCode zuvInterfaceRead(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes,
                                         size_t bytesToRead);
ZUVLIB_API ZuvErrorCode zuvInterfaceWrite(ZuvInterface *pInterface, const void *pBuffer, size_t bytesToWrite);
ZUVLIB_API ZuvErrorCode zuvInterfaceFlush(ZuvInterface *pInterface);
ZUVLIB_API ZuvErrorCode zuvInterfaceDestroy(ZuvInterface *pInterface);

#ifdef __cplusplus
}
#endif
