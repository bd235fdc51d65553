// Millisecond clock, sleep and the debug log sink of the device-protocol code.
// Errors: none reported; zuvSleep ends early only on a failure other than a signal.
// Threading: zuvGetTime and zuvSleep are reentrant. The log callback is one
// process-wide pointer (shared with the zuvECom library); install it before
// device traffic starts. zuvPlatformDebugLogMsg may be called from any thread.
#pragma once

#include <stdint.h>

#include "zuvErrorCodes.h"
#include "zuvExport.h"

#ifdef __cplusplus
extern "C" {
#endif

// Based on int in C++ for the same reason as ZuvErrorCode: any type prints "*UKNW*".
#ifdef __cplusplus
typedef enum _ZuvDebugLogType : int {
#else
typedef enum _ZuvDebugLogType {
#endif
    ZUV_LOG_ERROR = 0,
    ZUV_LOG_WARNING = 1,
    ZUV_LOG_INFO = 2,
    ZUV_LOG_VERBOSE = 3
} ZuvDebugLogType;

typedef void (*ZuvCommonLibLogFunc)(const char *pFileName, const char *pFunctionName, uint32_t line,
                                    const char *pCategory, ZuvDebugLogType logType, ZuvErrorCode errorCode,
                                    const char *pMessage);

// Milliseconds of the realtime clock, truncated to 32 bits: compare differences only.
ZUV_COMMON_API uint32_t zuvGetTime(void);
ZUV_COMMON_API void zuvSleep(uint32_t ms);

ZUV_COMMON_API void zuvCommonLibSetLogCallback(ZuvCommonLibLogFunc logCallback);

// Formats into 1024 bytes (longer text is cut), then calls the callback or, with
// none installed, writes one line to stderr.
ZUV_COMMON_API void zuvPlatformDebugLogMsg(const char *pFileName, const char *pFunctionName, uint32_t line,
                                           const char *pCategory, ZuvDebugLogType logType, ZuvErrorCode errorCode,
                                           const char *pFormat, ...) __attribute__((format(printf, 7, 8)));

// Name of an error code; "ZUV_UNKNOWN_ERROR" outside 0..20. Not exported by the package.
const char *zuvErrorCodeToString(ZuvErrorCode errorCode);

// The one process-wide callback slot. The zuvECom library owns and exports it;
// every copy of the helpers reads and writes it through these two calls.
__attribute__((visibility("default"))) void zuvLibSharedLogCallbackSet(ZuvCommonLibLogFunc logCallback);
__attribute__((visibility("default"))) ZuvCommonLibLogFunc zuvLibSharedLogCallbackGet(void);

#ifdef __cplusplus
}
#endif
