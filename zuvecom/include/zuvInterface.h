// The link interface record: a narrow read/write seam between the protocol and a
// byte transport (serial port, UDP socket, in-memory script, recorder, ...).
//
// Errors: every operation returns a ZuvErrorCode, ZUV_NO_ERROR on success.
// Reads never wait: they return at once with what is available, possibly zero
// bytes, and ZUV_NO_ERROR. ZUV_READ_ERROR / ZUV_WRITE_ERROR report a link that
// failed (unplugged device, closed socket).
// Threading: one interface is used by one thread at a time; the caller serializes.
//
// Waiting (optional): a driver may offer pWaitFunc, which blocks until a read
// may deliver something or `timeoutMs` passed. A null pWaitFunc (as in a
// zero-initialised record) means the driver has no wait and the caller paces
// its reads itself. ZUV_IF_WAIT_READABLE is a hint, not a promise: the next
// read may still return zero bytes (part of a frame, a spurious wake-up), and
// a failed link (hang-up, socket error) also reads as readable, so that the
// read that follows reports it. A wait that cannot be done (bad record, poll
// failing) answers readable for the same reason. The wait is an operation like
// a read: the interface's one user calls it, and it allocates nothing. The
// memory interface alone may be pushed to from another thread while it waits.
// Decorators forward the wait to the interface they wrap.
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

typedef enum _ZuvInterfaceWaitResult {
    ZUV_IF_WAIT_UNSUPPORTED = -1,  // the interface has no wait: nothing was waited for
    ZUV_IF_WAIT_TIMEOUT = 0,       // nothing came within the time-out
    ZUV_IF_WAIT_READABLE = 1       // a read may deliver bytes or report a failed link
} ZuvInterfaceWaitResult;
// Blocks up to timeoutMs (0: only looks) until the interface may be read.
typedef ZuvInterfaceWaitResult (*ZuvInterfaceWaitFunc)(ZuvInterface *pInterface, uint32_t timeoutMs);

struct _ZuvInterface {
    void *handle;  // the driver's own state
    ZuvInterfaceType type;
    char name[ZUV_IF_NAME_MAX_SIZE];
    ZuvInterfaceDestroyFunc pDestroyFunc;
    ZuvInterfaceReadFunc pReadFunc;
    ZuvInterfaceWriteFunc pWriteFunc;
    ZuvInterfaceFlushFunc pFlushFunc;
    ZuvInterfaceWaitFunc pWaitFunc;  // optional, may be null
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
// ZUV_IF_WAIT_UNSUPPORTED for a null record or one without pWaitFunc.
ZUVLIB_API ZuvInterfaceWaitResult zuvInterfaceWaitReadable(ZuvInterface *pInterface, uint32_t timeoutMs);

#ifdef __cplusplus
}
#endif
