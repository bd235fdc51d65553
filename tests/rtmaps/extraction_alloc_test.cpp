// The extraction runs once per frame on the reader's thread: it must not touch
// the heap. This binary counts every allocation made while a window is open.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "zuvExtractionHarness.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZUV_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define ZUV_SANITIZED_HEAP 1
#endif
#endif

namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};

void noteAllocation() {
    if (gCounting.load(std::memory_order_relaxed)) {
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    }
}

void *allocateOrThrow(std::size_t size) {
    noteAllocation();
    if (void *p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void *allocateAligned(std::size_t size, std::align_val_t alignment) {
    noteAllocation();
    void *p = nullptr;
    if (posix_memalign(&p, static_cast<std::size_t>(alignment), size == 0 ? 1 : size) != 0) {
        throw std::bad_alloc();
    }
    return p;
}
}  // namespace

void *operator new(std::size_t size) { return allocateOrThrow(size); }
void *operator new[](std::size_t size) { return allocateOrThrow(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    noteAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
    noteAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void *operator new(std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void *operator new[](std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete(void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void *p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept { std::free(p); }

#if !defined(ZUV_SANITIZED_HEAP)
// The C allocator too (sanitizers own it in their builds; there only new is counted).
extern "C" void *__libc_malloc(std::size_t);
extern "C" void *__libc_calloc(std::size_t, std::size_t);
extern "C" void *__libc_realloc(void *, std::size_t);
extern "C" void *malloc(std::size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}
extern "C" void *calloc(std::size_t count, std::size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}
extern "C" void *realloc(void *p, std::size_t size) {
    noteAllocation();
    return __libc_realloc(p, size);
}
#endif

namespace {

using zuv::test::Bytes;

class CountingWindow {
public:
    CountingWindow() {
        gAllocations = 0;
        gCounting = true;
    }
    ~CountingWindow() { gCounting = false; }
    long count() const { return gAllocations.load(); }
};

TEST(ExtractionHeap, CounterSeesAllocations) {
    static void *volatile escape;  // keeps the compiler from eliding the pairs below
    CountingWindow window;
    escape = new int(1);
    delete static_cast<int *>(escape);
    escape = std::malloc(16);
    std::free(escape);
#if defined(ZUV_SANITIZED_HEAP)
    EXPECT_GE(window.count(), 1);
#else
    EXPECT_GE(window.count(), 2);
#endif
}

TEST(ExtractionHeap, NoAllocationPerCall) {
    zuv::test::Rng rng(7);
    Bytes stream;
    for (int i = 0; i < 200; ++i) {
        if (i % 10 == 0) {
            const Bytes noise = zuv::test::makeNoise(rng, 30, zuv::test::Noise::Hostile);
            stream.insert(stream.end(), noise.begin(), noise.end());
        }
        const zuv::test::Frame frame = zuv::test::makeFrame(3, 0, rng.bytes(58));
        stream.insert(stream.end(), frame.wire.begin(), frame.wire.end());
    }
    Bytes corrupt = zuv::test::makeFrame(8, 1, rng.bytes(72)).wire;
    corrupt[10] ^= 0xFF;  // one CRC drop per pass as well
    stream.insert(stream.end(), corrupt.begin(), corrupt.end());

    zuv::test::MemoryLink link;
    link.push(zuv::test::chunk(rng, stream, 300));
    uint8_t payload[ZUV_ECOM_MAX_PAYLOAD_SIZE];
    size_t payloadSize = 0;
    uint8_t id = 0, cls = 0;
    uint16_t crc = 0;
    long frames = 0;
    long notReady = 0;
    long crcDrops = 0;
    long allocations = 0;
    {
        CountingWindow window;
        for (int call = 0; call < 20000; ++call) {
            const ZuvErrorCode rc =
                zuv::test::receive(link.protocol(), &cls, &id, payload, &payloadSize, sizeof(payload), crc);
            frames += rc == ZUV_NO_ERROR;
            crcDrops += rc == ZUV_INVALID_CRC;
            if (rc == ZUV_NOT_READY) {
                ++notReady;
                if (link.pending() == 0) {
                    zuvInterfaceMemoryRewind(link.interface());
                }
            }
        }
        allocations = window.count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_GT(frames, 10000);
    EXPECT_GT(crcDrops, 0);
    EXPECT_GT(notReady, 0);
}

}  // namespace
