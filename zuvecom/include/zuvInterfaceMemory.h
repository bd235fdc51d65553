// In-memory byte source for tests and benchmarks.
// Scripted chunks are delivered in order, one chunk (or the part that fits) per
// read; reads can be made to fail on demand. Everything written is kept.
// Reads and writes allocate nothing; pushing a chunk may.
// Errors: ZUV_NULL_POINTER; ZUV_INVALID_PARAMETER when the record is not a memory interface.
// Waiting: pWaitFunc wakes as soon as a chunk or a failure is pushed (or was
// already waiting to be read).
// Threading: one user at a time, except that chunks and failures may be pushed
// from another thread while the user reads or waits.
#pragma once

#include "zuvInterface.h"

#ifdef __cplusplus
extern "C" {
#endif

ZUVLIB_API ZuvErrorCode zuvInterfaceMemoryCreate(ZuvInterface *pInterface);
ZUVLIB_API ZuvErrorCode zuvInterfaceMemoryDestroy(ZuvInterface *pInterface);

// Appends one chunk to the script (a chunk of 0 bytes makes one empty read).
ZUVLIB_API ZuvErrorCode zuvInterfaceMemoryPushChunk(ZuvInterface *pInterface, const void *pData, size_t size);
// The next `count` reads fail with `errorCode` and deliver nothing.
ZUVLIB_API ZuvErrorCode zuvInterfaceMemoryFailReads(ZuvInterface *pInterface, size_t count, ZuvErrorCode errorCode);
// Starts the script again from its first chunk (benchmarks replay one stream).
ZUVLIB_API ZuvErrorCode zuvInterfaceMemoryRewind(ZuvInterface *pInterface);
// Bytes of the script not yet delivered.
ZUVLIB_API size_t zuvInterfaceMemoryPending(const ZuvInterface *pInterface);
// Everything written so far, and how to clear it.
ZUVLIB_API const uint8_t *zuvInterfaceMemoryWrittenData(const ZuvInterface *pInterface, size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvInterfaceMemoryClearWritten(ZuvInterface *pInterface);

#ifdef __cplusplus
}
#endif
