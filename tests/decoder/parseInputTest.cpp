// Frame checks: their order, their limits, their exact messages, and what a
// rejected frame costs the rest of its sample.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "decoderFixture.h"

namespace zuv::test {
namespace {

FrameBytes imuFrame() {
    return logFrame(3, records::imu());
}

// A frame whose header claims `length` payload bytes, with `available` bytes after the header.
FrameBytes frameClaiming(int length, size_t available) {
    FrameBytes frame = {0xFF, 0x5A, 31, 0, static_cast<uint8_t>(length & 0xFF), static_cast<uint8_t>(length >> 8)};
    frame.resize(6 + available, 0x33);
    return frame;
}

FrameBytes withByte(FrameBytes frame, size_t index, uint8_t value) {
    frame[index] = value;
    return frame;
}

FrameBytes crcSwapped() {
    FrameBytes frame = imuFrame();
    const size_t crc = frame.size() - 3;
    std::swap(frame[crc], frame[crc + 1]);
    return frame;
}

FrameBytes endAndCrcWrong() {
    FrameBytes frame = imuFrame();
    frame[frame.size() - 1] = 0x34;
    frame[frame.size() - 3] ^= 0x01;
    return frame;
}

FrameBytes prefixed(uint8_t stray, FrameBytes frame) {
    frame.insert(frame.begin(), stray);
    return frame;
}

FrameBytes truncated(FrameBytes frame, size_t by) {
    frame.resize(frame.size() - by);
    return frame;
}

FrameBytes followedBy(FrameBytes frame, size_t strayCount) {
    frame.insert(frame.end(), strayCount, 0xFF);
    return frame;
}

FrameBytes payloadOf(uint8_t id, size_t size) {
    return buildFrame(id, 0, std::vector<uint8_t>(size, 0x5A));
}

struct ParseCase {
    const char *name;
    FrameBytes sample;
    std::vector<std::string> reports;
    size_t written;  // oImu samples (no twin) or raw samples
};

void PrintTo(const ParseCase &c, std::ostream *os) {
    *os << c.name;
}

const char *const kTooSmall = "Input data size too small.";
const char *const kNoSync1 = "Sync. word 0xFF not found.";
const char *const kNoSync2 = "Sync. word 0x5A not found.";
const char *const kBadLength = "Length of Data section is not correct.";
const char *const kShort = "Input data size doesn't match with length of Data section.";
const char *const kNoEnd = "End of frame 0x33 not found.";
const char *const kBadCrc = "CRC not correct.";
const char *const kNotParsed = "Binary data can't be parsed.";

std::vector<ParseCase> parseCases() {
    return {
        {"EmptySample", {}, {kTooSmall}, 0},
        {"EightBytes", FrameBytes(8, 0xFF), {kTooSmall}, 0},
        {"FrameThenOneStrayByte", followedBy(imuFrame(), 1), {kTooSmall}, 1},
        {"FrameThenEightStrayBytes", followedBy(imuFrame(), 8), {kTooSmall}, 1},
        {"EmptyPayload", buildFrame(3, 0, {}), {kBadLength}, 0},
        {"PayloadOf4087", frameClaiming(4087, 4090), {kBadLength}, 0},
        {"PayloadOf4086InExactly4095Bytes", payloadOf(31, 4086), {}, 1},
        {"OneByteShort", truncated(imuFrame(), 1), {kShort}, 0},
        {"ClassTwoDroppedSilently", buildFrame(3, 2, imuFrame().data() + 6, 58), {}, 0},
        {"CommandClassDroppedSilently", buildFrame(3, 0x10, imuFrame().data() + 6, 58), {}, 0},
        {"EndByteCheckedBeforeCrc", endAndCrcWrong(), {kNoEnd}, 0},
        {"CrcBytesSwapped", crcSwapped(), {kBadCrc}, 0},
        {"StrayByteBeforeFrame", prefixed(0x00, imuFrame()), {kNoSync1}, 0},
        {"StrayFFBeforeFrame", prefixed(0xFF, imuFrame()), {kNoSync2}, 0},
        {"SecondSyncByteWrong", withByte(imuFrame(), 1, 0x5B), {kNoSync2}, 0},
        {"TwoFramesBackToBack", concat({imuFrame(), imuFrame()}), {}, 2},
        {"RejectedFrameDropsTheRest", concat({crcSwapped(), imuFrame()}), {kBadCrc}, 0},
        {"GoodThenBadThenGood", concat({imuFrame(), crcSwapped(), imuFrame()}), {kBadCrc}, 1},
        {"PayloadShorterThanItsLayout", payloadOf(3, 57), {kNotParsed}, 0},
        {"IdAboveTheLibrarysLogs", payloadOf(40, 16), {kNotParsed}, 0},
    };
}

class ParseInput : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseInput, ReportsAndWrites) {
    const ParseCase &c = GetParam();
    DecoderRun run;
    run.set("pInternalTimestamp", 0).enable("pImuData").enable("pGps1Raw").start();
    run.decode(42, c.sample);
    EXPECT_EQ(run.reportTexts(), c.reports);
    for (const auto &report : run.decoder.Reports()) EXPECT_EQ(report.level, 2);
    EXPECT_EQ(run.decoder.Samples().size(), c.written);
}

TEST_P(ParseInput, QuietWithoutVerboseButChecksTheSame) {
    const ParseCase &c = GetParam();
    DecoderRun run;
    run.set("pVerbose", 0).set("pInternalTimestamp", 0).enable("pImuData").enable("pGps1Raw").start();
    run.decode(42, c.sample);
    EXPECT_TRUE(run.decoder.Reports().empty());
    EXPECT_EQ(run.decoder.Samples().size(), c.written);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseInput, ::testing::ValuesIn(parseCases()),
                         [](const ::testing::TestParamInfo<ParseCase> &param) { return param.param.name; });

TEST(ParseInputSamples, LargestRawPayloadArrivesWhole) {
    DecoderRun run;
    run.enable("pGps1Raw").start();
    FrameBytes payload(4086);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 7);
    run.decode(9, buildFrame(31, 1, payload));
    ASSERT_EQ(run.decoder.Samples().size(), 1u);
    EXPECT_EQ(run.decoder.Samples()[0].bytes, payload);
}

TEST(ParseInputSamples, NextSampleDecodedFromItsFirstByteAfterARejection) {
    DecoderRun run;
    run.set("pInternalTimestamp", 0).enable("pImuData").start();
    run.decode(1, prefixed(0x00, imuFrame()));
    run.decode(2, imuFrame());
    EXPECT_EQ(run.reportTexts(), std::vector<std::string>{kNoSync1});
    ASSERT_EQ(run.decoder.Samples().size(), 1u);
    EXPECT_EQ(run.decoder.Samples()[0].timestamp, 2);
}

}  // namespace
}  // namespace zuv::test
