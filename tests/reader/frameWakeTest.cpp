// The reader's wait on a real clock with a memory link that another thread
// feeds: a frame pushed wakes it, a stop ends it long before its deadline,
// and frames go through without allocating.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "zuvAllocationCounter.h"
#include "zuvFrameExtraction.h"
#include "zuvInterfaceMemory.h"
#include "zuvLogFrameWait.h"
#include "zuvTestStreams.h"

namespace zuv::test {

using namespace std::chrono_literals;

namespace {

// Far beyond any scheduling delay: a wait that took this long sat out its deadline.
constexpr uint32_t kLongDeadlineMs = 60000;
constexpr auto kSoon = 20s;

class FrameWake : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(zuvInterfaceMemoryCreate(&link_), ZUV_NO_ERROR);
        protocol_.pLinkedInterface = &link_;
        protocol_.rxBufferSize = 0;
    }
    void TearDown() override { zuvInterfaceMemoryDestroy(&link_); }

    bool wait(zuv::LogFrame &frame, const std::atomic<bool> &stop, uint32_t timeoutMs) {
        auto receive = [this](zuv::LogFrame &f) {
            return zuv::Quarvelis_zuvEComProtocolReceive(&protocol_, &f.msgClass, &f.msgId, f.payload, &f.payloadSize,
                                                         sizeof f.payload, f.crc);
        };
        auto readable = [this](uint32_t ms) { return zuvInterfaceWaitReadable(&link_, ms); };
        return zuv::WaitForLogFrameOrBytes(
            receive, readable, frame, zuv::PlatformWaitClock(), [&stop] { return stop.load(); }, timeoutMs);
    }

    ZuvInterface link_{};
    ZuvEComProtocol protocol_{};
};

TEST_F(FrameWake, AFramePushedFromAnotherThreadEndsTheWait) {
    std::atomic<bool> stop{false};
    zuv::LogFrame frame;
    const auto start = std::chrono::steady_clock::now();
    auto waiter = std::async(std::launch::async, [&] { return wait(frame, stop, kLongDeadlineMs); });
    std::this_thread::sleep_for(30ms);
    const zuv::test::Bytes wire = zuv::test::makeFrame(3, 0, zuv::test::Bytes(56, 0x12)).wire;
    // In two pieces: the first wakes the wait without a whole frame.
    ASSERT_EQ(zuvInterfaceMemoryPushChunk(&link_, wire.data(), 20), ZUV_NO_ERROR);
    std::this_thread::sleep_for(30ms);
    ASSERT_EQ(zuvInterfaceMemoryPushChunk(&link_, wire.data() + 20, wire.size() - 20), ZUV_NO_ERROR);
    ASSERT_EQ(waiter.wait_for(kSoon), std::future_status::ready);
    EXPECT_TRUE(waiter.get());
    EXPECT_LT(std::chrono::steady_clock::now() - start, kSoon);
    EXPECT_EQ(frame.msgId, 3);
    EXPECT_EQ(frame.payloadSize, 56u);
}

TEST_F(FrameWake, AStopDuringTheWaitEndsItWithinSlices) {
    std::atomic<bool> stop{false};
    zuv::LogFrame frame;
    auto waiter = std::async(std::launch::async, [&] { return wait(frame, stop, kLongDeadlineMs); });
    std::this_thread::sleep_for(100ms);
    const auto stopped = std::chrono::steady_clock::now();
    stop = true;
    ASSERT_EQ(waiter.wait_for(kSoon), std::future_status::ready) << "the stop was not seen";
    EXPECT_FALSE(waiter.get());
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, kSoon);
}

TEST_F(FrameWake, FramesTakeNoAllocation) {
    const zuv::test::Bytes wire = zuv::test::makeFrame(3, 0, zuv::test::Bytes(56, 0x12)).wire;
    constexpr int kFrames = 200;
    for (int i = 0; i < kFrames; ++i) {
        // A frame in two chunks, with an empty read between: every path of the wait.
        ASSERT_EQ(zuvInterfaceMemoryPushChunk(&link_, wire.data(), 11), ZUV_NO_ERROR);
        ASSERT_EQ(zuvInterfaceMemoryPushChunk(&link_, nullptr, 0), ZUV_NO_ERROR);
        ASSERT_EQ(zuvInterfaceMemoryPushChunk(&link_, wire.data() + 11, wire.size() - 11), ZUV_NO_ERROR);
    }
    std::atomic<bool> stop{false};
    zuv::LogFrame frame;
    int got = 0;
    long allocations = 0;
    {
        zuv::test::AllocationWindow window;
        while (got < kFrames && wait(frame, stop, 5000)) ++got;
        allocations = window.count();
    }
    EXPECT_EQ(got, kFrames);
    EXPECT_EQ(allocations, 0);
}

}  // namespace
}  // namespace zuv::test
