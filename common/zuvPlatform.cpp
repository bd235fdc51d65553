#include "zuvPlatform.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace {

constexpr const char *kErrorNames[] = {
    "ZUV_NO_ERROR",
    "ZUV_ERROR",
    "ZUV_NULL_POINTER",
    "ZUV_INVALID_CRC",
    "ZUV_INVALID_FRAME",
    "ZUV_TIME_OUT",
    "ZUV_WRITE_ERROR",
    "ZUV_READ_ERROR",
    "ZUV_BUFFER_OVERFLOW",
    "ZUV_INVALID_PARAMETER",
    "ZUV_NOT_READY",
    "ZUV_MALLOC_FAILED",
    "ZUV_CALIB_MAG_NOT_ENOUGH_POINTS",
    "ZUV_CALIB_MAG_INVALID_TAKE",
    "ZUV_CALIB_MAG_SATURATION",
    "ZUV_CALIB_MAG_POINTS_NOT_IN_A_PLANE",
    "ZUV_DEVICE_NOT_FOUND",
    "ZUV_OPERATION_CANCELLED",
    "ZUV_NOT_CONTINUOUS_FRAME",
    "ZUV_INCOMPATIBLE_HARDWARE",
    "ZUV_INVALID_VERSION",
};

}  // namespace

#if defined(ZUV_COMMON_OWNS_LOG_SLOT)
namespace {
// Relaxed is enough: the pointer is installed before traffic and read as a whole.
std::atomic<ZuvCommonLibLogFunc> gSharedLogCallback{nullptr};
}  // namespace

extern "C" void zuvLibSharedLogCallbackSet(ZuvCommonLibLogFunc logCallback) {
    gSharedLogCallback.store(logCallback, std::memory_order_relaxed);
}

extern "C" ZuvCommonLibLogFunc zuvLibSharedLogCallbackGet(void) {
    return gSharedLogCallback.load(std::memory_order_relaxed);
}
#endif

extern "C" {

uint32_t zuvGetTime(void) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void zuvSleep(uint32_t ms) {
    timespec request{};
    request.tv_sec = static_cast<time_t>(ms / 1000u);
    request.tv_nsec = static_cast<long>(ms % 1000u) * 1000000L;
    timespec remaining{};
    while (nanosleep(&request, &remaining) != 0) {
        if (errno != EINTR) {
            return;
        }
        request = remaining;
    }
}

void zuvCommonLibSetLogCallback(ZuvCommonLibLogFunc logCallback) {
    zuvLibSharedLogCallbackSet(logCallback);
}

const char *zuvErrorCodeToString(ZuvErrorCode errorCode) {
    const auto index = static_cast<unsigned>(errorCode);
    return index < sizeof(kErrorNames) / sizeof(kErrorNames[0]) ? kErrorNames[index] : "ZUV_UNKNOWN_ERROR";
}

void zuvPlatformDebugLogMsg(const char *pFileName, const char *pFunctionName, uint32_t line, const char *pCategory,
                            ZuvDebugLogType logType, ZuvErrorCode errorCode, const char *pFormat, ...) {
    char message[1024];
    message[0] = '\0';
    if (pFormat != nullptr) {
        va_list args;
        va_start(args, pFormat);
        std::vsnprintf(message, sizeof(message), pFormat, args);
        va_end(args);
    }
    if (const ZuvCommonLibLogFunc callback = zuvLibSharedLogCallbackGet()) {
        callback(pFileName, pFunctionName, line, pCategory, logType, errorCode, message);
        return;
    }
    const char *function = pFunctionName != nullptr ? pFunctionName : "";
    switch (logType) {
        case ZUV_LOG_ERROR:
            std::fprintf(stderr, "*ERR * %s(%u): %s - %s\n\r", function, line, zuvErrorCodeToString(errorCode),
                         message);
            break;
        case ZUV_LOG_WARNING:
            std::fprintf(stderr, "*WARN* %s(%u): %s - %s\n\r", function, line, zuvErrorCodeToString(errorCode),
                         message);
            break;
        case ZUV_LOG_INFO: std::fprintf(stderr, "*INFO* %s(%u): %s\n\r", function, line, message); break;
        case ZUV_LOG_VERBOSE: std::fprintf(stderr, "*DBG * %s(%u): %s\n\r", function, line, message); break;
        default: std::fprintf(stderr, "*UKNW* %s(%u): %s\n\r", function, line, message); break;
    }
}

}  // extern "C"
