// IPv4 text and mask helpers.
// An address holds the first octet of the dotted text in its least significant
// byte: a.b.c.d is d<<24 | c<<16 | b<<8 | a.
// Errors: zuvNetworkIpFromString returns 0 for any text that is not exactly a
// canonical dotted quad (so "0.0.0.0" cannot be told from a failure by value).
// Threading: reentrant.
#pragma once

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "zuvExport.h"

#ifdef __cplusplus
extern "C" {
#endif

// Writes "a.b.c.d", cut to the buffer size (always terminated when size > 0).
ZUV_COMMON_API void zuvNetworkIpToString(uint32_t ipAddress, char *pBuffer, size_t bufferSize);
ZUV_COMMON_API uint32_t zuvNetworkIpFromString(const char *pText);
// True when the set bits of the mask, first octet most significant, are one
// run from the top (0 and 255.255.255.255 included).
ZUV_COMMON_API bool zuvIpNetMaskValid(uint32_t netMask);

#ifdef __cplusplus
}
#endif
