// Serial link on a POSIX device file (termios, raw 8N1, no flow control).
// Errors: ZUV_NULL_POINTER for null arguments, ZUV_INVALID_PARAMETER for a baud
// rate termios cannot set, ZUV_ERROR when the device cannot be opened or set up
// (nothing is left open then), ZUV_READ_ERROR/ZUV_WRITE_ERROR on a failed link.
// Reads are non-blocking; pWaitFunc polls the device (a hang-up wakes it).
// Works on pseudo-terminals as on real ports.
// Threading: as any interface, one user at a time.
#pragma once

#include "zuvInterface.h"

#ifdef __cplusplus
extern "C" {
#endif

ZUVLIB_API ZuvErrorCode zuvInterfaceSerialCreate(ZuvInterface *pInterface, const char *deviceName, uint32_t baudRate);
ZUVLIB_API ZuvErrorCode zuvInterfaceSerialDestroy(ZuvInterface *pInterface);
// Reopens nothing: changes the host side's speed in place.
ZUVLIB_API ZuvErrorCode zuvInterfaceSerialChangeBaudRate(ZuvInterface *pInterface, uint32_t baudRate);
// True when termios can set this rate.
ZUVLIB_API int zuvInterfaceSerialIsBaudRateSupported(uint32_t baudRate);

#ifdef __cplusplus
}
#endif
