// Error codes shared by the common helpers, the zuvECom library and the package.
// Every fallible operation returns one; 0 is success. Plain C so that ctypes and
// dlsym callers see the same values.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// In C++ the enum is based on int, so a code from outside 0..20 (a device
// answer, a newer library) is a value the type can hold rather than undefined.
#ifdef __cplusplus
typedef enum _ZuvErrorCode : int {
#else
typedef enum _ZuvErrorCode {
#endif
    ZUV_NO_ERROR = 0,
    ZUV_ERROR = 1,
    ZUV_NULL_POINTER = 2,
    ZUV_INVALID_CRC = 3,
    ZUV_INVALID_FRAME = 4,
    ZUV_TIME_OUT = 5,
    ZUV_WRITE_ERROR = 6,
    ZUV_READ_ERROR = 7,
    ZUV_BUFFER_OVERFLOW = 8,
    ZUV_INVALID_PARAMETER = 9,
    ZUV_NOT_READY = 10,
    ZUV_MALLOC_FAILED = 11,
    ZUV_CALIB_MAG_NOT_ENOUGH_POINTS = 12,
    ZUV_CALIB_MAG_INVALID_TAKE = 13,
    ZUV_CALIB_MAG_SATURATION = 14,
    ZUV_CALIB_MAG_POINTS_NOT_IN_A_PLANE = 15,
    ZUV_DEVICE_NOT_FOUND = 16,
    ZUV_OPERATION_CANCELLED = 17,
    ZUV_NOT_CONTINUOUS_FRAME = 18,
    ZUV_INCOMPATIBLE_HARDWARE = 19,
    ZUV_INVALID_VERSION = 20
} ZuvErrorCode;

#ifdef __cplusplus
}
#endif
