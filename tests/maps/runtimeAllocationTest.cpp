// The publish/read path allocates nothing per sample: a counting global
// operator new watches a window in the middle of a steady stream.
#include <atomic>
#include <cstdlib>
#include <new>

#include "runtimeFixture.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZUV_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZUV_SANITIZED 1
#endif
#endif

namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};
}  // namespace

#ifndef ZUV_SANITIZED
void *operator new(std::size_t size) {
    if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpragmas"
#pragma GCC diagnostic ignored "-Wunknown-warning-option"
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop
#endif

namespace zuv::test {

using namespace std::chrono_literals;

TEST_F(RuntimeTest, SteadyFlowAllocatesNothingPerSample) {
#ifdef ZUV_SANITIZED
    GTEST_SKIP() << "sanitizers replace operator new";
#endif
    constexpr int64_t kTotal = 30000;
    auto &counter = runtime.CreateInstance("TestCounter", "counter");
    auto &echo = runtime.CreateInstance("TestEcho", "echo");
    counter.SetProperty("pTotal", zuv::host::PropertyValue::Integer(kTotal));
    runtime.Connect(counter, "oCount", echo, "iIn");
    std::atomic<int64_t> received{0};
    std::atomic<long> during{-1};
    runtime.AttachSink(echo, "oEcho", [&](const zuv::host::SampleView &) {
        int64_t n = received.fetch_add(1) + 1;
        if (n == 5000) {
            gAllocations.store(0);
            gCounting.store(true);
        } else if (n == 25000) {
            gCounting.store(false);
            during.store(gAllocations.load());
        }
    });
    runtime.Start();
    auto deadline = std::chrono::steady_clock::now() + 120s;
    while (received.load() < kTotal && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
    gCounting.store(false);
    runtime.Stop();
    ASSERT_EQ(received.load(), kTotal);
    EXPECT_EQ(during.load(), 0);
}

}  // namespace zuv::test
