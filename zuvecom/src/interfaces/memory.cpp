#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "zuvInterfaceMemory.h"

namespace {

// The lock lets a test or benchmark push from another thread while the
// reader waits; everything else is still one user at a time.
struct MemoryState {
    mutable std::mutex mutex;
    std::condition_variable pushed;
    std::vector<uint8_t> script;    // all chunks back to back
    std::vector<size_t> chunkEnds;  // end offset of each chunk in `script`
    size_t cursor = 0;              // next byte to deliver
    size_t chunkIndex = 0;          // chunk that holds `cursor`
    size_t failuresLeft = 0;
    ZuvErrorCode failureCode = ZUV_READ_ERROR;
    std::vector<uint8_t> written;

    bool readable() const { return failuresLeft > 0 || chunkIndex < chunkEnds.size(); }
};

MemoryState *stateOf(const ZuvInterface *pInterface) {
    if (pInterface == nullptr || pInterface->type != ZUV_IF_TYPE_MEMORY) {
        return nullptr;
    }
    return static_cast<MemoryState *>(pInterface->handle);
}

ZuvErrorCode memoryRead(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes, size_t bytesToRead) {
    MemoryState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    *pReadBytes = 0;
    if (state->failuresLeft > 0) {
        --state->failuresLeft;
        return state->failureCode;
    }
    if (state->chunkIndex >= state->chunkEnds.size()) {
        return ZUV_NO_ERROR;
    }
    const size_t chunkEnd = state->chunkEnds[state->chunkIndex];
    const size_t available = chunkEnd - state->cursor;
    const size_t n = available < bytesToRead ? available : bytesToRead;
    if (n > 0) {
        std::memcpy(pBuffer, state->script.data() + state->cursor, n);
    }
    state->cursor += n;
    if (state->cursor == chunkEnd) {
        ++state->chunkIndex;
    }
    *pReadBytes = n;
    return ZUV_NO_ERROR;
}

ZuvErrorCode memoryWrite(ZuvInterface *pInterface, const void *pBuffer, size_t bytesToWrite) {
    MemoryState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    const auto *p = static_cast<const uint8_t *>(pBuffer);
    state->written.insert(state->written.end(), p, p + bytesToWrite);
    return ZUV_NO_ERROR;
}

ZuvErrorCode memoryFlush(ZuvInterface *pInterface) {
    MemoryState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    state->cursor = state->script.size();
    state->chunkIndex = state->chunkEnds.size();
    return ZUV_NO_ERROR;
}

ZuvInterfaceWaitResult memoryWait(ZuvInterface *pInterface, uint32_t timeoutMs) {
    MemoryState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_IF_WAIT_READABLE;
    }
    std::unique_lock<std::mutex> lock(state->mutex);
    const bool ready =
        state->pushed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [state] { return state->readable(); });
    return ready ? ZUV_IF_WAIT_READABLE : ZUV_IF_WAIT_TIMEOUT;
}

}  // namespace

extern "C" {

ZuvErrorCode zuvInterfaceMemoryCreate(ZuvInterface *pInterface) {
    if (pInterface == nullptr) {
        return ZUV_NULL_POINTER;
    }
    auto *state = new (std::nothrow) MemoryState;
    if (state == nullptr) {
        return ZUV_MALLOC_FAILED;
    }
    zuvInterfaceZeroInit(pInterface);
    pInterface->handle = state;
    pInterface->type = ZUV_IF_TYPE_MEMORY;
    std::strcpy(pInterface->name, "memory");
    pInterface->pDestroyFunc = zuvInterfaceMemoryDestroy;
    pInterface->pReadFunc = memoryRead;
    pInterface->pWriteFunc = memoryWrite;
    pInterface->pFlushFunc = memoryFlush;
    pInterface->pWaitFunc = memoryWait;
    return ZUV_NO_ERROR;
}

ZuvErrorCode zuvInterfaceMemoryDestroy(ZuvInterface *pInterface) {
    MemoryState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    delete state;
    zuvInterfaceZeroInit(pInterface);
    return ZUV_NO_ERROR;
}

ZuvErrorCode zuvInterfaceMemoryPushChunk(ZuvInterface *pInterface, const void *pData, size_t size) {
    MemoryState *state = stateOf(pInterface);
    if (state == nullptr) {
        return pInterface == nullptr ? ZUV_NULL_POINTER : ZUV_INVALID_PARAMETER;
    }
    if (pData == nullptr && size > 0) {
        return ZUV_NULL_POINTER;
    }
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        try {
            const auto *p = static_cast<const uint8_t *>(pData);
            state->script.insert(state->script.end(), p, p + size);
            state->chunkEnds.push_back(state->script.size());
        } catch (const std::bad_alloc &) {
            state->script.resize(state->chunkEnds.empty() ? 0 : state->chunkEnds.back());
            return ZUV_MALLOC_FAILED;
        }
    }
    state->pushed.notify_all();
    return ZUV_NO_ERROR;
}

ZuvErrorCode zuvInterfaceMemoryFailReads(ZuvInterface *pInterface, size_t count, ZuvErrorCode errorCode) {
    MemoryState *state = stateOf(pInterface);
    if (state == nullptr) {
        return pInterface == nullptr ? ZUV_NULL_POINTER : ZUV_INVALID_PARAMETER;
    }
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->failuresLeft = count;
        state->failureCode = errorCode;
    }
    state->pushed.notify_all();
    return ZUV_NO_ERROR;
}

ZuvErrorCode zuvInterfaceMemoryRewind(ZuvInterface *pInterface) {
    MemoryState *state = stateOf(pInterface);
    if (state == nullptr) {
        return pInterface == nullptr ? ZUV_NULL_POINTER : ZUV_INVALID_PARAMETER;
    }
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->cursor = 0;
        state->chunkIndex = 0;
    }
    state->pushed.notify_all();
    return ZUV_NO_ERROR;
}

size_t zuvInterfaceMemoryPending(const ZuvInterface *pInterface) {
    const MemoryState *state = stateOf(pInterface);
    if (state == nullptr) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    return state->script.size() - state->cursor;
}

const uint8_t *zuvInterfaceMemoryWrittenData(const ZuvInterface *pInterface, size_t *pSize) {
    const MemoryState *state = stateOf(pInterface);
    std::unique_lock<std::mutex> lock;
    if (state != nullptr) {
        lock = std::unique_lock<std::mutex>(state->mutex);
    }
    if (pSize != nullptr) {
        *pSize = state == nullptr ? 0 : state->written.size();
    }
    return state == nullptr ? nullptr : state->written.data();
}

ZuvErrorCode zuvInterfaceMemoryClearWritten(ZuvInterface *pInterface) {
    MemoryState *state = stateOf(pInterface);
    if (state == nullptr) {
        return pInterface == nullptr ? ZUV_NULL_POINTER : ZUV_INVALID_PARAMETER;
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    state->written.clear();
    return ZUV_NO_ERROR;
}

}  // extern "C"
