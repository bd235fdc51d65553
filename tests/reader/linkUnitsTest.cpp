// The reader's link pieces without a host: counts derived around the
// extraction, the supervision timing, the link budget and open-failure texts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "zuvLinkBudget.h"
#include "zuvLinkStatistics.h"
#include "zuvLinkSupervisor.h"
#include "zuvOpenFailure.h"
#include "zuvTestStreams.h"

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace zuv::test {
namespace {

// A protocol record on a memory interface, read through the statistics relay.
class CountedLink : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(zuvInterfaceMemoryCreate(&memory_), ZUV_NO_ERROR);
        protocol_.pLinkedInterface = &memory_;
        protocol_.rxBufferSize = 0;
    }
    void TearDown() override { zuvInterfaceMemoryDestroy(&memory_); }

    void push(const Bytes &bytes) { zuvInterfaceMemoryPushChunk(&memory_, bytes.data(), bytes.size()); }
    // Extracts until the link is dry; returns the ids of the class 0/1 frames taken.
    std::vector<uint8_t> drain() {
        std::vector<uint8_t> ids;
        for (;;) {
            const ZuvErrorCode rc = statistics_.receive(&protocol_, frame_);
            if (rc == ZUV_NOT_READY && zuvInterfaceMemoryPending(&memory_) == 0) {
                break;
            }
            if (rc == ZUV_NO_ERROR && frame_.msgClass <= 1) {
                ids.push_back(frame_.msgId);
            }
        }
        return ids;
    }

    ZuvInterface memory_{};
    ZuvEComProtocol protocol_{};
    LinkStatistics statistics_;
    LogFrame frame_;
};

Bytes badCrc(Bytes wire) {
    wire[wire.size() - 3] ^= 0x01;
    return wire;
}

TEST_F(CountedLink, CountsNoiseBadCrcForeignClassesAndBytes) {
    Rng rng(5);
    Bytes stream;
    size_t noise = 0;
    for (int i = 0; i < 30; ++i) {
        if (i % 4 == 0) {
            const Bytes n = makeNoise(rng, 1 + i % 16, Noise::NoSyncByte);
            noise += n.size();
            stream.insert(stream.end(), n.begin(), n.end());
        }
        Bytes wire = makeFrame(static_cast<uint8_t>(3 + i % 2), 0, Bytes(40 + i, 0x11)).wire;
        if (i % 5 == 1) {
            wire = badCrc(wire);
        }
        if (i % 7 == 2) {
            wire = makeFrame(9, 2, Bytes(12, 0x22)).wire;
        }
        stream.insert(stream.end(), wire.begin(), wire.end());
    }
    for (const Bytes &piece : chunk(rng, stream, 97)) {
        push(piece);
    }
    const std::vector<uint8_t> ids = drain();
    const LinkCounts &c = statistics_.counts();
    EXPECT_EQ(c[kBytesReceived], static_cast<int64_t>(stream.size()));
    EXPECT_EQ(c[kBytesDiscarded], static_cast<int64_t>(noise));
    // i % 7 == 2 replaces the frame, so i = 16 (bad CRC otherwise) counts as a class drop.
    EXPECT_EQ(c[kCrcDrops], 5);    // i = 1, 6, 11, 21, 26
    EXPECT_EQ(c[kClassDrops], 4);  // i = 2, 9, 16, 23
    EXPECT_EQ(ids.size(), 21u);
    EXPECT_EQ(c[kReadErrors], 0);
}

TEST_F(CountedLink, ReadErrorsAreCountedAndHandedOnce) {
    zuvInterfaceMemoryFailReads(&memory_, 2, ZUV_READ_ERROR);
    statistics_.receive(&protocol_, frame_);
    statistics_.receive(&protocol_, frame_);
    int osError = -1;
    EXPECT_TRUE(statistics_.takeReadFailure(osError));
    EXPECT_FALSE(statistics_.takeReadFailure(osError));
    EXPECT_EQ(statistics_.counts()[kReadErrors], 2);
}

TEST_F(CountedLink, LogsReadWhileCommandsWaitAreServedAfterwardsInOrder) {
    const Bytes first = makeFrame(3, 0, Bytes(56, 1)).wire;
    const Bytes second = makeFrame(8, 0, Bytes(72, 2)).wire;
    statistics_.receive(&protocol_, frame_);  // attaches
    statistics_.beginCommandCopy();
    // A command's wait reads the link itself: the first log and half the second.
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    push(Bytes(both.begin(), both.begin() + 100));
    size_t got = 0;
    ASSERT_EQ(zuvInterfaceRead(protocol_.pLinkedInterface, protocol_.rxBuffer, &got, 100), ZUV_NO_ERROR);
    protocol_.rxBufferSize = got - first.size();  // the wait parsed the first frame, kept the rest
    std::memmove(protocol_.rxBuffer, protocol_.rxBuffer + first.size(), protocol_.rxBufferSize);
    statistics_.endCommandCopy(&protocol_);
    push(Bytes(both.begin() + 100, both.end()));
    EXPECT_EQ(drain(), (std::vector<uint8_t>{3, 8}));
    EXPECT_EQ(statistics_.counts()[kBytesReceived], static_cast<int64_t>(both.size()));
    EXPECT_EQ(statistics_.counts()[kBytesDiscarded], 0);
}

// Core waits on the relay: it must answer as the link would, and readable at
// once while the copy still holds what the commands passed over.
TEST_F(CountedLink, TheRelayForwardsTheLinksWait) {
    statistics_.receive(&protocol_, frame_);  // attaches
    ZuvInterface *relay = protocol_.pLinkedInterface;
    ASSERT_NE(relay, &memory_);
    EXPECT_EQ(zuvInterfaceWaitReadable(relay, 0), ZUV_IF_WAIT_TIMEOUT);
    push(makeFrame(3, 0, Bytes(56, 1)).wire);
    EXPECT_EQ(zuvInterfaceWaitReadable(relay, 0), ZUV_IF_WAIT_READABLE);
    EXPECT_EQ(drain(), (std::vector<uint8_t>{3}));
    EXPECT_EQ(zuvInterfaceWaitReadable(relay, 0), ZUV_IF_WAIT_TIMEOUT);

    statistics_.beginCommandCopy();
    push(makeFrame(8, 0, Bytes(72, 2)).wire);
    size_t got = 0;
    ASSERT_EQ(zuvInterfaceRead(relay, protocol_.rxBuffer, &got, sizeof protocol_.rxBuffer), ZUV_NO_ERROR);
    protocol_.rxBufferSize = got;  // the commands left the log unparsed
    statistics_.endCommandCopy(&protocol_);
    EXPECT_EQ(zuvInterfaceWaitReadable(relay, 0), ZUV_IF_WAIT_READABLE) << "the link is dry but the copy is not";
    EXPECT_EQ(drain(), (std::vector<uint8_t>{8}));
    EXPECT_EQ(zuvInterfaceWaitReadable(relay, 0), ZUV_IF_WAIT_TIMEOUT);
}

TEST_F(CountedLink, ALinkWithoutAWaitHasNoneThroughTheRelay) {
    memory_.pWaitFunc = nullptr;
    statistics_.receive(&protocol_, frame_);
    EXPECT_EQ(zuvInterfaceWaitReadable(protocol_.pLinkedInterface, 0), ZUV_IF_WAIT_UNSUPPORTED);
}

TEST(LinkSupervisor, ReopensAfter100msThenEverySecondAndReportsEachChangeOnce) {
    LinkSupervisor s;
    s.opened(1000);
    EXPECT_FALSE(s.silenceBegins(5999));
    EXPECT_TRUE(s.silenceBegins(6000));
    EXPECT_FALSE(s.silenceBegins(9000));
    EXPECT_TRUE(s.frame(9001));
    EXPECT_FALSE(s.frame(9002));

    EXPECT_TRUE(s.lost(10000));
    EXPECT_FALSE(s.lost(10001));
    EXPECT_FALSE(s.reopenDue(10099));
    EXPECT_TRUE(s.reopenDue(10100));
    s.reopenFailed(10100);
    EXPECT_FALSE(s.reopenDue(11099));
    EXPECT_TRUE(s.reopenDue(11100));
    EXPECT_FALSE(s.silenceBegins(30000)) << "a lost link is reported once, not as silent too";
    EXPECT_EQ(s.reopened(12345), 2345u);
    EXPECT_FALSE(s.reopenDue(20000));
    EXPECT_TRUE(s.lost(20000)) << "a second loss is reported again";
}

TEST(LinkSupervisor, TimesCrossTheClockWrap) {
    LinkSupervisor s;
    s.opened(0xFFFFF000u);
    EXPECT_TRUE(s.lost(0xFFFFFFF0u));
    EXPECT_TRUE(s.reopenDue(0x60u));
    EXPECT_EQ(s.reopened(0x10u), 0x20u);
}

RateChoices allAt(size_t choice) {
    RateChoices choices{};
    for (size_t &c : choices) c = choice;
    return choices;
}

TEST(LinkBudget, AllLogsAt200HzOverflow115200WithTheThreeLargest) {
    const std::string warning = LinkBudgetWarning(allAt(1), 115200);
    EXPECT_THAT(warning, StartsWith("Configured logs need "));
    EXPECT_THAT(warning, HasSubstr("11520 bytes/s"));
    EXPECT_THAT(warning, HasSubstr("largest: pGps1Raw 819000 bytes/s, pGps2Raw 819000 bytes/s, "));
}

TEST(LinkBudget, TheDemoLogsFitAndChoicesCountAsTheDeviceSendsThem) {
    // pStatus 1 Hz, pUtcTime 1 Hz, pImuData 25 Hz, pEkfEuler 10 Hz, pEkfNav 10 Hz, GNSS 1 on new data.
    RateChoices demo{};
    demo[0] = 8, demo[1] = 8, demo[2] = 4, demo[5] = 6, demo[7] = 6, demo[8] = 10, demo[9] = 10;
    EXPECT_EQ(LinkBudgetWarning(demo, 115200), "");
    EXPECT_DOUBLE_EQ(ChoiceFramesPerSecond(1, 3), 200.0);
    EXPECT_DOUBLE_EQ(ChoiceFramesPerSecond(7, 3), 5.0);
    EXPECT_DOUBLE_EQ(ChoiceFramesPerSecond(9, 3), 1.0) << "On PPS";
    EXPECT_DOUBLE_EQ(ChoiceFramesPerSecond(10, 4), 100.0) << "On New Data: the magnetometer's rate";
    EXPECT_DOUBLE_EQ(ChoiceFramesPerSecond(11, 3), 0.0) << "sync events are left out";
    EXPECT_DOUBLE_EQ(ChoiceFramesPerSecond(0, 3), 0.0);
    // The IMU alone at 200 Hz: just under and just over 90 %.
    RateChoices imu{};
    imu[2] = 1;
    const double need = NeededBytesPerSecond(imu);
    EXPECT_EQ(LinkBudgetWarning(imu, static_cast<uint32_t>(need * 10 / 0.9) + 10), "");
    EXPECT_NE(LinkBudgetWarning(imu, static_cast<uint32_t>(need * 10 / 0.9) - 10), "");
}

TEST(OpenFailure, GivesTheOsReasonAndForAPermissionErrorTheGroupToJoin) {
    EXPECT_EQ(OpenFailureReason(0, "/dev/ttyUSB0"), "");
    EXPECT_EQ(OpenFailureReason(ENOENT, "/dev/ttyUSB0"), "The system said: No such file or directory.");
    EXPECT_EQ(OpenFailureReason(EACCES, "/nonexistent/ttyUSB9"),
              "The system said: Permission denied. Members of the group dialout may open /nonexistent/ttyUSB9: "
              "join it with `sudo usermod -aG dialout $USER`, then log in again.");
    EXPECT_EQ(OpenFailureReason(EADDRINUSE, ""), "The system said: Address already in use.");
    EXPECT_THAT(OpenFailureReason(EACCES, "/dev/null"), HasSubstr("-aG " + DeviceGroup("/dev/null") + " $USER"));
}

}  // namespace
}  // namespace zuv::test
