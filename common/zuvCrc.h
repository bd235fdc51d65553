// Protocol checksums.
// Errors: none; a count of 0 leaves a state unchanged. A null byte pointer is
// only read when count > 0.
// Threading: reentrant; no shared state.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "zuvExport.h"

#ifdef __cplusplus
extern "C" {
#endif

// CRC-16/KERMIT: reflected 0x8408, init 0, no final XOR. "123456789" -> 0x2189.
ZUV_COMMON_API void zuvCrc16Initialize(uint16_t *pCrc);
ZUV_COMMON_API void zuvCrc16Update(uint16_t *pCrc, const void *pBuffer, size_t bufferSize);
ZUV_COMMON_API uint16_t zuvCrc16Compute(const void *pBuffer, size_t bufferSize);

// CRC-32 on the non-reflected Ethernet polynomial, init 0xFFFFFFFF, no final
// XOR, bytes fed in 32-bit little-endian words, most significant byte first.
ZUV_COMMON_API void zuvCrc32Initialize(uint32_t *pCrc);
ZUV_COMMON_API void zuvCrc32Update(uint32_t *pCrc, const void *pBuffer, size_t bufferSize);
ZUV_COMMON_API uint32_t zuvCrc32Compute(const void *pBuffer, size_t bufferSize);

#ifdef __cplusplus
}
#endif
