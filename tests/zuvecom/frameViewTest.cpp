// The frame view over a frame written by hand (CRC-16/KERMIT worked out
// apart from the library), and the builder that lays frames out through it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "zuvEComFrameView.h"

namespace zuv::test {
namespace {

// Output configuration get request: port C, class 1, IMU.
const std::vector<uint8_t> kFrame = {0xFF, 0x5A, 0x11, 0x10, 0x03, 0x00, 0x02, 0x01, 0x03, 0x9B, 0xEB, 0x33};

TEST(FrameView, ReadsEveryPartInPlace) {
    const FrameView view(kFrame.data());
    EXPECT_TRUE(view.startsWithSync());
    EXPECT_EQ(view.msgId(), 0x11);
    EXPECT_EQ(view.msgClass(), 0x10);
    EXPECT_EQ(view.payloadSize(), 3u);
    EXPECT_TRUE(view.payloadSizeFits());
    EXPECT_EQ(view.frameSize(), kFrame.size());
    EXPECT_EQ(view.payload(), kFrame.data() + 6);
    EXPECT_EQ(view.storedCrc(), 0xEB9B);
    EXPECT_EQ(view.expectedCrc(), 0xEB9B);
    EXPECT_TRUE(view.crcMatches());
    EXPECT_TRUE(view.endMatches());
}

TEST(FrameView, EachDamageShowsInItsOwnCheck) {
    struct Damage {
        size_t offset;
        bool sync1, sync2, crc, end;
    };
    for (const Damage &d : {Damage{0, false, true, true, true}, Damage{1, true, false, true, true},
                            Damage{7, true, true, false, true}, Damage{9, true, true, false, true},
                            Damage{10, true, true, false, true}, Damage{11, true, true, true, false}}) {
        std::vector<uint8_t> frame = kFrame;
        frame[d.offset] ^= 0x01;
        const FrameView view(frame.data());
        EXPECT_EQ(view.firstSyncMatches(), d.sync1) << d.offset;
        EXPECT_EQ(view.secondSyncMatches(), d.sync2) << d.offset;
        EXPECT_EQ(view.crcMatches(), d.crc) << d.offset;
        EXPECT_EQ(view.endMatches(), d.end) << d.offset;
    }
}

TEST(FrameView, LengthBeyondTheLargestPayloadDoesNotFit) {
    const uint8_t header[] = {0xFF, 0x5A, 3, 0, 0xF7, 0x0F};  // 4087
    EXPECT_FALSE(FrameView(header).payloadSizeFits());
    const uint8_t largest[] = {0xFF, 0x5A, 3, 0, 0xF6, 0x0F};  // 4086
    EXPECT_TRUE(FrameView(largest).payloadSizeFits());
}

TEST(FrameBuild, LaysOutTheHandWrittenFrame) {
    const uint8_t payload[] = {0x02, 0x01, 0x03};
    std::vector<uint8_t> frame(64, 0xEE);
    size_t size = 0;
    ASSERT_EQ(zuvEComFrameBuild(0x11, 0x10, payload, sizeof(payload), frame.data(), frame.size(), &size), ZUV_NO_ERROR);
    frame.resize(size);
    EXPECT_EQ(frame, kFrame);
}

TEST(FrameBuild, PayloadAlreadyInPlaceAndEmptyPayload) {
    std::vector<uint8_t> frame(12, 0);
    frame[6] = 0x02, frame[7] = 0x01, frame[8] = 0x03;
    size_t size = 0;
    ASSERT_EQ(zuvEComFrameBuild(0x11, 0x10, frame.data() + 6, 3, frame.data(), frame.size(), &size), ZUV_NO_ERROR);
    EXPECT_EQ(frame, kFrame);
    std::vector<uint8_t> empty(9, 0xEE);
    ASSERT_EQ(zuvEComFrameBuild(0x04, 0x10, nullptr, 0, empty.data(), empty.size(), &size), ZUV_NO_ERROR);
    const FrameView view(empty.data());
    EXPECT_EQ(view.frameSize(), 9u);
    EXPECT_TRUE(view.crcMatches());
    EXPECT_TRUE(view.endMatches());
}

}  // namespace
}  // namespace zuv::test
