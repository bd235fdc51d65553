// The reader's wait for a log frame: the 1000 ms deadline on the wrapping
// millisecond clock, what is skipped while waiting, and the frame laid out again.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "zuvFrameExtraction.h"
#include "zuvInterfaceMemory.h"
#include "zuvLogFrameWait.h"

namespace zuv::test {
namespace {

// A clock that only moves when the wait sleeps. A wait that never ends throws
// instead of hanging the suite.
uint32_t fakeNow = 0;
uint32_t fakeSleeps = 0;
constexpr uint32_t kRunawaySleeps = 10000;

uint32_t fakeClockNow() {
    return fakeNow;
}
void fakeClockSleep(uint32_t ms) {
    fakeNow += ms;
    if (++fakeSleeps > kRunawaySleeps) {
        throw std::runtime_error("the wait did not end");
    }
}
const zuv::WaitClock kFakeClock{&fakeClockNow, &fakeClockSleep};

std::vector<uint8_t> buildFrame(uint8_t id, uint8_t cls, size_t payloadSize, uint8_t fill = 0x41) {
    std::vector<uint8_t> payload(payloadSize);
    for (size_t i = 0; i < payloadSize; ++i) {
        payload[i] = static_cast<uint8_t>(fill + i);
    }
    std::vector<uint8_t> frame(payloadSize + ZUV_ECOM_FRAME_OVERHEAD);
    size_t size = 0;
    EXPECT_EQ(zuvEComFrameBuild(id, cls, payload.data(), payload.size(), frame.data(), frame.size(), &size),
              ZUV_NO_ERROR);
    return frame;
}

class FrameWait : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(zuvInterfaceMemoryCreate(&link_), ZUV_NO_ERROR);
        protocol_.pLinkedInterface = &link_;
        protocol_.rxBufferSize = 0;
        fakeNow = 0;
        fakeSleeps = 0;
    }
    void TearDown() override { zuvInterfaceMemoryDestroy(&link_); }

    void push(const std::vector<uint8_t> &bytes) {
        ASSERT_EQ(zuvInterfaceMemoryPushChunk(&link_, bytes.data(), bytes.size()), ZUV_NO_ERROR);
    }
    bool wait(zuv::LogFrame &frame) {
        auto receive = [this](zuv::LogFrame &f) {
            return zuv::Quarvelis_zuvEComProtocolReceive(&protocol_, &f.msgClass, &f.msgId, f.payload, &f.payloadSize,
                                                         sizeof f.payload, f.crc);
        };
        return zuv::WaitForLogFrame(receive, frame, kFakeClock);
    }

    ZuvInterface link_{};
    ZuvEComProtocol protocol_{};
};

// A silent link gives up a little after 1000 ms wherever the clock stands,
// including a deadline that lands on or beyond the 32-bit wrap.
class SilentLink : public FrameWait, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(SilentLink, GivesUpAfterTheDeadline) {
    fakeNow = GetParam();
    zuv::LogFrame frame;
    EXPECT_FALSE(wait(frame));
    EXPECT_GE(fakeSleeps, 1000u);
    EXPECT_LE(fakeSleeps, 1001u);
}

INSTANTIATE_TEST_SUITE_P(ClockPositions, SilentLink,
                         ::testing::Values(0u, 123456u, 0x7FFFFFFFu, 0xFFFFFFFFu - 1000u, 0xFFFFFF00u, 0xFFFFFFFFu));

TEST_F(FrameWait, SkipsFramesOfOtherClassesAndBadCrcsWithoutSleeping) {
    std::vector<uint8_t> bytes = buildFrame(1, 0x10, 4);
    std::vector<uint8_t> damaged = buildFrame(3, 0, 58);
    damaged[6 + 58] ^= 0xFF;
    const std::vector<uint8_t> wanted = buildFrame(8, 1, 72);
    bytes.insert(bytes.end(), damaged.begin(), damaged.end());
    bytes.insert(bytes.end(), wanted.begin(), wanted.end());
    push(bytes);

    zuv::LogFrame frame;
    ASSERT_TRUE(wait(frame));
    EXPECT_EQ(fakeSleeps, 0u);
    EXPECT_EQ(frame.msgId, 8);
    EXPECT_EQ(frame.msgClass, 1);
    EXPECT_EQ(frame.payloadSize, 72u);
}

TEST_F(FrameWait, SleepsOneMillisecondPerEmptyRead) {
    for (int i = 0; i < 5; ++i) {
        push({});
    }
    push(buildFrame(2, 0, 21));
    zuv::LogFrame frame;
    ASSERT_TRUE(wait(frame));
    EXPECT_EQ(fakeSleeps, 5u);
    EXPECT_EQ(frame.msgId, 2);
}

TEST_F(FrameWait, TwoFramesTogetherComeOutOneAfterTheOther) {
    std::vector<uint8_t> bytes = buildFrame(3, 0, 58);
    const std::vector<uint8_t> second = buildFrame(6, 0, 32);
    bytes.insert(bytes.end(), second.begin(), second.end());
    push(bytes);
    zuv::LogFrame frame;
    ASSERT_TRUE(wait(frame));
    EXPECT_EQ(frame.msgId, 3);
    ASSERT_TRUE(wait(frame));
    EXPECT_EQ(frame.msgId, 6);
    EXPECT_EQ(fakeSleeps, 0u);
}

TEST_F(FrameWait, AStoppingComponentStopsWaitingAtOnce) {
    auto receive = [](zuv::LogFrame &) { return ZUV_NOT_READY; };
    zuv::LogFrame frame;
    int asked = 0;
    EXPECT_FALSE(zuv::WaitForLogFrame(receive, frame, kFakeClock, [&asked] { return ++asked == 3; }));
    EXPECT_EQ(fakeSleeps, 3u);
}

// The same waits with a link that can wait for bytes. The fake link answers
// readable when a chunk is due and otherwise lets the fake clock run for the
// whole slice it was given.
struct FakeWaits {
    std::vector<uint32_t> slices;
    ZuvInterfaceWaitResult answer = ZUV_IF_WAIT_TIMEOUT;
    ZuvInterface *link = nullptr;
};
FakeWaits fakeWaits;

ZuvInterfaceWaitResult fakeReadable(uint32_t ms) {
    fakeWaits.slices.push_back(ms);
    if (fakeWaits.slices.size() > kRunawaySleeps) {
        throw std::runtime_error("the wait did not end");
    }
    if (fakeWaits.link != nullptr && zuvInterfaceMemoryPending(fakeWaits.link) > 0) {
        return ZUV_IF_WAIT_READABLE;
    }
    if (fakeWaits.answer == ZUV_IF_WAIT_TIMEOUT) {
        fakeNow += ms;
    }
    return fakeWaits.answer;
}

class WakingWait : public FrameWait {
protected:
    void SetUp() override {
        FrameWait::SetUp();
        fakeWaits = FakeWaits{};
    }
    bool waitWaking(zuv::LogFrame &frame, int *abandonAfter = nullptr) {
        auto receive = [this](zuv::LogFrame &f) {
            return zuv::Quarvelis_zuvEComProtocolReceive(&protocol_, &f.msgClass, &f.msgId, f.payload, &f.payloadSize,
                                                         sizeof f.payload, f.crc);
        };
        return zuv::WaitForLogFrameOrBytes(receive, fakeReadable, frame, kFakeClock,
                                           [abandonAfter] { return abandonAfter != nullptr && --*abandonAfter == 0; });
    }
};

class SilentWakingLink : public WakingWait, public ::testing::WithParamInterface<uint32_t> {};

// The deadline is where it was: the waits add up to the second and one
// millisecond, in slices short enough for a stop to be seen, and nothing sleeps.
TEST_P(SilentWakingLink, WaitsInSlicesUntilJustPastTheDeadline) {
    fakeNow = GetParam();
    zuv::LogFrame frame;
    EXPECT_FALSE(waitWaking(frame));
    uint32_t total = 0;
    for (uint32_t slice : fakeWaits.slices) {
        EXPECT_GE(slice, 1u);
        EXPECT_LE(slice, zuv::kReadableSliceMs);
        total += slice;
    }
    EXPECT_EQ(total, 1001u);
    EXPECT_EQ(fakeNow - GetParam(), 1001u);
    EXPECT_EQ(fakeSleeps, 0u);
}

INSTANTIATE_TEST_SUITE_P(ClockPositions, SilentWakingLink,
                         ::testing::Values(0u, 0x7FFFFFFFu, 0xFFFFFFFFu - 1000u, 0xFFFFFFFFu));

TEST_F(WakingWait, ALinkWithoutAWaitSleepsAsBefore) {
    fakeWaits.answer = ZUV_IF_WAIT_UNSUPPORTED;
    zuv::LogFrame frame;
    EXPECT_FALSE(waitWaking(frame));
    EXPECT_GE(fakeSleeps, 1000u);
    EXPECT_LE(fakeSleeps, 1001u);
    EXPECT_EQ(fakeWaits.slices.size(), fakeSleeps);
}

// A link that keeps saying readable and delivers nothing is paced like the
// polling it replaced, and the deadline still holds.
TEST_F(WakingWait, ReadableWithoutBytesFallsBackToTheSleep) {
    fakeWaits.answer = ZUV_IF_WAIT_READABLE;
    zuv::LogFrame frame;
    EXPECT_FALSE(waitWaking(frame));
    EXPECT_GE(fakeSleeps, 1000u);
    EXPECT_LE(fakeSleeps, 1001u);
    EXPECT_LE(fakeWaits.slices.size(), fakeSleeps * zuv::kFruitlessWakesBeforeSleep);
}

TEST_F(WakingWait, AStoppingComponentIsSeenAfterEachSlice) {
    zuv::LogFrame frame;
    int abandonAfter = 3;
    EXPECT_FALSE(waitWaking(frame, &abandonAfter));
    EXPECT_EQ(fakeWaits.slices.size(), 3u);
    EXPECT_EQ(fakeNow, 3 * zuv::kReadableSliceMs);
}

// The same script through both waits gives the same frames, in the same
// order, on the same attempts: only the pacing between empty reads differs.
TEST_F(WakingWait, GivesTheFramesTheSleepingWaitGives) {
    std::vector<uint8_t> damaged = buildFrame(3, 0, 58);
    damaged[6 + 58] ^= 0xFF;
    const std::vector<uint8_t> wanted = buildFrame(8, 1, 72);
    const std::vector<uint8_t> foreign = buildFrame(1, 0x10, 4);
    const std::vector<uint8_t> last = buildFrame(2, 0, 21);
    const std::vector<std::vector<uint8_t>> script = {{},
                                                      foreign,
                                                      damaged,
                                                      {},
                                                      {wanted.begin(), wanted.begin() + 30},
                                                      {wanted.begin() + 30, wanted.end()},
                                                      {},
                                                      {},
                                                      last,
                                                      buildFrame(4, 0, 0)};
    auto run = [&](bool waking) {
        EXPECT_EQ(zuvInterfaceMemoryDestroy(&link_), ZUV_NO_ERROR);
        EXPECT_EQ(zuvInterfaceMemoryCreate(&link_), ZUV_NO_ERROR);
        protocol_.rxBufferSize = 0;
        fakeWaits = FakeWaits{};
        fakeWaits.link = &link_;
        for (const auto &chunk : script) push(chunk);
        std::vector<std::vector<uint8_t>> frames;
        zuv::LogFrame frame;
        while (waking ? waitWaking(frame) : wait(frame)) {
            std::vector<uint8_t> out(ZUV_ECOM_MAX_FRAME_SIZE);
            out.resize(zuv::WriteFrameBytes(frame, out.data()));
            frames.push_back(out);
        }
        return frames;
    };
    const auto sleeping = run(false);
    const auto waking = run(true);
    ASSERT_EQ(sleeping.size(), 3u);
    EXPECT_EQ(sleeping[0], wanted);
    EXPECT_EQ(sleeping[1], last);
    EXPECT_EQ(waking, sleeping);
}

// What goes on oData is the frame as it was on the wire, for every size.
class FrameBytes : public FrameWait, public ::testing::WithParamInterface<size_t> {};

TEST_P(FrameBytes, RebuildsTheWireFrameByteForByte) {
    const std::vector<uint8_t> wire = buildFrame(3, 0, GetParam(), 0x80);
    push(wire);
    zuv::LogFrame frame;
    ASSERT_TRUE(wait(frame));
    std::vector<uint8_t> out(ZUV_ECOM_MAX_FRAME_SIZE, 0xEE);
    const size_t size = zuv::WriteFrameBytes(frame, out.data());
    ASSERT_EQ(size, GetParam() + 9);
    out.resize(size);
    EXPECT_EQ(out, wire);
}

INSTANTIATE_TEST_SUITE_P(PayloadSizes, FrameBytes, ::testing::Values(0u, 1u, 56u, 4077u, 4086u));

}  // namespace
}  // namespace zuv::test
