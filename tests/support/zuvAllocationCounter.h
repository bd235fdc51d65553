// Counts heap allocations made while a window is open, by replacing the global
// allocation functions (and, outside sanitizer builds, malloc and its kin).
// Include in exactly one source file of an executable.
// Errors: allocation failure throws std::bad_alloc as usual.
// Threading: the count is atomic; a window counts allocations of every thread.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZUV_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define ZUV_SANITIZED_HEAP 1
#endif
#endif

namespace zuv::test {

inline std::atomic<bool> gCountAllocations{false};
inline std::atomic<long> gAllocationCount{0};

inline void noteAllocation() {
    if (gCountAllocations.load(std::memory_order_relaxed)) gAllocationCount.fetch_add(1, std::memory_order_relaxed);
}

class AllocationWindow {
public:
    AllocationWindow() {
        gAllocationCount = 0;
        gCountAllocations = true;
    }
    ~AllocationWindow() { gCountAllocations = false; }
    AllocationWindow(const AllocationWindow &) = delete;
    AllocationWindow &operator=(const AllocationWindow &) = delete;
    long count() const { return gAllocationCount.load(); }
};

inline void *allocateCounted(std::size_t size) {
    noteAllocation();
    if (void *p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

inline void *allocateCountedAligned(std::size_t size, std::align_val_t alignment) {
    noteAllocation();
    void *p = nullptr;
    if (posix_memalign(&p, static_cast<std::size_t>(alignment), size == 0 ? 1 : size) != 0) throw std::bad_alloc();
    return p;
}

}  // namespace zuv::test

// The replacements pair new with malloc and delete with free on purpose; g++
// cannot see that through inlining and warns at -O1.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void *operator new(std::size_t size) {
    return zuv::test::allocateCounted(size);
}
void *operator new[](std::size_t size) {
    return zuv::test::allocateCounted(size);
}
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    zuv::test::noteAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
    zuv::test::noteAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void *operator new(std::size_t size, std::align_val_t alignment) {
    return zuv::test::allocateCountedAligned(size, alignment);
}
void *operator new[](std::size_t size, std::align_val_t alignment) {
    return zuv::test::allocateCountedAligned(size, alignment);
}
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete[](void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void *p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void *p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#if !defined(ZUV_SANITIZED_HEAP)
extern "C" void *__libc_malloc(std::size_t);
extern "C" void *__libc_calloc(std::size_t, std::size_t);
extern "C" void *__libc_realloc(void *, std::size_t);
extern "C" void *malloc(std::size_t size) {
    zuv::test::noteAllocation();
    return __libc_malloc(size);
}
extern "C" void *calloc(std::size_t count, std::size_t size) {
    zuv::test::noteAllocation();
    return __libc_calloc(count, size);
}
extern "C" void *realloc(void *p, std::size_t size) {
    zuv::test::noteAllocation();
    return __libc_realloc(p, size);
}
#endif
