// The zuvECom protocol handle: receive, log dispatch to a callback, and the clock
// that the command exchange waits on.
//
// zuvEComHandle reads what the link has received into the protocol record's
// buffer, takes every complete frame out of it and, for each log frame (class 0
// or 1) that parses, calls the receive-log callback on the calling thread
// before it returns. Frames of other classes, frames with a bad CRC and log
// payloads that do not parse are dropped. Bytes of an incomplete frame stay at
// the start of the buffer, so the package's own extraction and the command
// functions see them.
//
// Errors: ZUV_NULL_POINTER for a null handle or interface; ZUV_READ_ERROR (or
// the interface's code) when a read fails, after what was held has been
// processed; ZUV_NOT_READY when called from inside the callback on the same
// handle (not supported). The callback's result is ignored.
// Threading: one thread at a time per handle, shared with the package's
// extraction on the same protocol record.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "zuvEComBinaryLogs.h"
#include "zuvEComIds.h"
#include "zuvEComProtocol.h"
#include "zuvErrorCodes.h"
#include "zuvInterface.h"
#include "zuvLibExport.h"

#ifdef __cplusplus
extern "C" {
#endif

// Command timing: each attempt waits this long for its answer, three attempts in all.
#define ZUV_ECOM_DEFAULT_CMD_TIME_OUT 500u
#define ZUV_ECOM_SAVE_CMD_TIME_OUT 2000u
#define ZUV_ECOM_CMD_ATTEMPTS 3u
// zuvEComHandle reads at most this many times per call, so a busy link cannot keep it forever.
#define ZUV_ECOM_HANDLE_MAX_READS 64u

typedef struct _ZuvEComHandle ZuvEComHandle;

typedef ZuvErrorCode (*ZuvEComReceiveLogFunc)(ZuvEComHandle *pHandle, ZuvEComClass msgClass, uint8_t msgId,
                                              const ZuvBinaryLogData *pLogData, void *pUserArg);

// Clock hooks for the command exchange; null means zuvGetTime / zuvSleep.
typedef uint32_t (*ZuvEComGetTimeFunc)(void *pClockArg);
typedef void (*ZuvEComSleepFunc)(void *pClockArg, uint32_t ms);

// Asked while a command waits for its answer; non-zero abandons the command
// with ZUV_OPERATION_CANCELLED (the caller is stopping). Its retries and
// time-outs are otherwise unchanged.
typedef int (*ZuvEComAbortFunc)(void *pAbortArg);

struct _ZuvEComHandle {
    ZuvEComProtocol protocolHandle;  // first: the package's extraction works on it
    ZuvEComReceiveLogFunc pReceiveLogFunc;
    void *pUserArg;
    ZuvEComGetTimeFunc pGetTimeFunc;
    ZuvEComSleepFunc pSleepFunc;
    void *pClockArg;
    ZuvEComAbortFunc pAbortFunc;
    void *pAbortArg;
    int dispatching;                               // inside the callback
    ZuvBinaryLogData logData;                      // parse target of the log being dispatched
    uint8_t frameBuffer[ZUV_ECOM_MAX_FRAME_SIZE];  // request being sent
};

// Clears the handle and links it to an interface it does not own.
ZUVLIB_API ZuvErrorCode zuvEComInit(ZuvEComHandle *pHandle, ZuvInterface *pInterface);
// Forgets the interface, the callback and every held byte; the interface stays open.
ZUVLIB_API ZuvErrorCode zuvEComClose(ZuvEComHandle *pHandle);
// A null callback stops the dispatch of logs.
ZUVLIB_API ZuvErrorCode zuvEComSetReceiveLogCallback(ZuvEComHandle *pHandle, ZuvEComReceiveLogFunc pReceiveLogFunc,
                                                     void *pUserArg);
// Replaces the clock used by the command time-outs (tests); null functions restore the real clock.
ZUVLIB_API ZuvErrorCode zuvEComSetClock(ZuvEComHandle *pHandle, ZuvEComGetTimeFunc pGetTimeFunc,
                                        ZuvEComSleepFunc pSleepFunc, void *pClockArg);
// A null function never abandons a command; zuvEComInit clears it.
ZUVLIB_API ZuvErrorCode zuvEComSetAbortCheck(ZuvEComHandle *pHandle, ZuvEComAbortFunc pAbortFunc, void *pAbortArg);
ZUVLIB_API ZuvErrorCode zuvEComHandle(ZuvEComHandle *pHandle);

// Name of an error code ("ZUV_TIME_OUT"), "ZUV_UNKNOWN_ERROR" outside the known codes.
ZUVLIB_API const char *zuvEComErrorCodeName(ZuvErrorCode errorCode);

#ifdef __cplusplus
}
#endif
