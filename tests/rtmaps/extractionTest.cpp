#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "zuvExtractionHarness.h"
#include "zuvPlatform.h"

namespace zuv::test {
namespace {

Bytes operator+(Bytes a, const Bytes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes range(size_t n, uint8_t first = 0) {
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) {
        out[i] = static_cast<uint8_t>(first + i);
    }
    return out;
}

Bytes slice(const Bytes &bytes, size_t from, size_t to) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to));
}

// The extraction must never reach its bounded cursor's error log in operation.
int gLogCalls = 0;
void countLog(const char *, const char *, uint32_t, const char *, ZuvDebugLogType, ZuvErrorCode, const char *) {
    ++gLogCalls;
}

class Extraction : public ::testing::Test {
protected:
    void SetUp() override {
        gLogCalls = 0;
        zuvCommonLibSetLogCallback(countLog);
    }
    void TearDown() override {
        zuvCommonLibSetLogCallback(nullptr);
        EXPECT_EQ(gLogCalls, 0) << "the extraction logged";
    }
    MemoryLink link;
};

// --- golden bytes

TEST(FrameGolden, BuilderAndExtractionAgreeWithHandComputedBytes) {
    const Bytes imuLike = {0xFF, 0x5A, 0x03, 0x00, 0x03, 0x00, 0x01, 0x02, 0x03, 0x55, 0xEE, 0x33};
    const Bytes empty = {0xFF, 0x5A, 0x24, 0x01, 0x00, 0x00, 0x63, 0xA7, 0x33};
    EXPECT_EQ(makeFrame(0x03, 0x00, {1, 2, 3}).wire, imuLike);
    EXPECT_EQ(makeFrame(0x24, 0x01, {}).wire, empty);

    MemoryLink link;
    link.push(imuLike + empty);
    const Extracted first = receiveOne(link.protocol());
    EXPECT_EQ(first.result, ZUV_NO_ERROR);
    EXPECT_EQ(first.id, 0x03);
    EXPECT_EQ(first.msgClass, 0x00);
    EXPECT_EQ(first.crc, 0xEE55);
    EXPECT_EQ(first.payload, (Bytes{1, 2, 3}));
    const Extracted second = receiveOne(link.protocol());
    EXPECT_EQ(second.result, ZUV_NO_ERROR);
    EXPECT_EQ(second.id, 0x24);
    EXPECT_EQ(second.msgClass, 0x01);
    EXPECT_EQ(second.crc, 0xA763);
    EXPECT_TRUE(second.payload.empty());
}

// --- one stream, one call: what comes out and what stays held

struct OneCallCase {
    std::string name;
    std::function<Bytes()> stream;
    ZuvErrorCode result;
    std::function<Bytes(const Bytes &)> heldAfter;  // from the stream
};
void PrintTo(const OneCallCase &c, std::ostream *os) {
    *os << c.name;
}

class ExtractionOneCall : public Extraction, public ::testing::WithParamInterface<OneCallCase> {};

TEST_P(ExtractionOneCall, ResultAndHeldBytes) {
    const Bytes stream = GetParam().stream();
    link.push(stream);
    EXPECT_EQ(receiveOne(link.protocol()).result, GetParam().result);
    EXPECT_EQ(link.held(), GetParam().heldAfter(stream));
}

const Frame kFrame = makeFrame(0x08, 0x00, range(40, 0x10));
const Bytes kNothing{};

INSTANTIATE_TEST_SUITE_P(
    Streams, ExtractionOneCall,
    ::testing::Values(OneCallCase{"NoiseBeforeAFrameIsDiscarded",
                                  [] {
                                      return Bytes{0x00, 0x11} + kFrame.wire;
                                  },
                                  ZUV_NO_ERROR, [](const Bytes &) { return kNothing; }},
                      OneCallCase{"NoiseWithTrailingFFKeepsOnlyIt",
                                  [] {
                                      return range(30) + Bytes{0xFF, 0x12, 0xFF};
                                  },
                                  ZUV_NOT_READY, [](const Bytes &) { return Bytes{0xFF}; }},
                      OneCallCase{"NoiseWithoutTrailingFFIsDropped",
                                  [] {
                                      return Bytes{0xFF, 0xFF, 0x5B, 0x00, 0x5A};
                                  },
                                  ZUV_NOT_READY, [](const Bytes &) { return kNothing; }},
                      OneCallCase{"LoneFFIsKept", [] { return Bytes{0xFF}; }, ZUV_NOT_READY,
                                  [](const Bytes &) { return Bytes{0xFF}; }},
                      OneCallCase{"LoneOtherByteIsDropped", [] { return Bytes{0x5A}; }, ZUV_NOT_READY,
                                  [](const Bytes &) { return kNothing; }},
                      OneCallCase{"ShortHeaderWaits", [] { return Bytes{0x01, 0xFF, 0x5A, 1, 2, 3, 4, 5}; },
                                  ZUV_NOT_READY, [](const Bytes &s) { return slice(s, 1, s.size()); }},
                      OneCallCase{"IncompleteFrameWaits", [] { return slice(kFrame.wire, 0, kFrame.wire.size() - 1); },
                                  ZUV_NOT_READY, [](const Bytes &s) { return s; }},
                      OneCallCase{"LongestFrameShortOfOneByteWaits",
                                  [] {
                                      const Frame big = makeFrame(1, 0, Bytes(ZUV_ECOM_MAX_PAYLOAD_SIZE, 0x44));
                                      return slice(big.wire, 0, big.wire.size() - 1);
                                  },
                                  ZUV_NOT_READY, [](const Bytes &s) { return s; }},
                      // A length of 4087 costs only the sync pair: here the true frame starts right behind it
                      // (its id F7 and class 0F are what the false header reads as its length).
                      OneCallCase{"LengthAboveLimitDropsOnlyTheSyncPair",
                                  [] {
                                      return Bytes{0xFF, 0x5A} + makeFrame(0xF7, 0x0F, range(9)).wire;
                                  },
                                  ZUV_NO_ERROR, [](const Bytes &) { return kNothing; }},
                      OneCallCase{"LengthAboveLimitWithNothingBehindEmpties",
                                  [] { return Bytes{0xFF, 0x5A, 0x01, 0x02, 0xFF, 0xFF, 0x00, 0x00}; }, ZUV_NOT_READY,
                                  [](const Bytes &) { return kNothing; }},
                      OneCallCase{"BadCrcDropsTheWholeFrame",
                                  [] {
                                      Bytes bad = kFrame.wire;
                                      bad[bad.size() - 3] ^= 0x01;
                                      return bad + Bytes{0xAB, 0xCD};
                                  },
                                  ZUV_INVALID_CRC,
                                  [](const Bytes &) {
                                      return Bytes{0xAB, 0xCD};
                                  }},
                      OneCallCase{"TwoFramesKeepTheSecondAtTheStart",
                                  [] { return kFrame.wire + makeFrame(9, 1, range(3)).wire; }, ZUV_NO_ERROR,
                                  [](const Bytes &) { return makeFrame(9, 1, range(3)).wire; }}),
    [](const ::testing::TestParamInfo<OneCallCase> &p) { return p.param.name; });

// --- the cases that need more than one look

TEST_F(Extraction, TrailingFFCompletesASyncPairWithTheNextBytes) {
    link.push(Bytes{0x10, 0x20, 0xFF});
    link.push(slice(kFrame.wire, 1, kFrame.wire.size()));
    EXPECT_EQ(receiveOne(link.protocol()).result, ZUV_NOT_READY);
    EXPECT_EQ(link.held(), Bytes{0xFF});
    EXPECT_TRUE(receiveOne(link.protocol()).sameFrameAs(kFrame));
}

TEST_F(Extraction, ByteByByteWaitsUntilTheLastByte) {
    for (size_t i = 0; i < kFrame.wire.size(); ++i) {
        link.push(Bytes{kFrame.wire[i]});
    }
    for (size_t i = 0; i + 1 < kFrame.wire.size(); ++i) {
        ASSERT_EQ(receiveOne(link.protocol()).result, ZUV_NOT_READY) << "byte " << i;
    }
    EXPECT_TRUE(receiveOne(link.protocol()).sameFrameAs(kFrame));
    EXPECT_TRUE(link.held().empty());
}

TEST_F(Extraction, BadEndByteResynchronisesOntoAFrameHiddenInside) {
    const Frame hidden = makeFrame(0x21, 0x01, range(12, 0x80));
    const Bytes tail = {0x01, 0x02, 0x03};
    Bytes outer = makeFrame(0x05, 0x00, hidden.wire + tail).wire;
    outer.back() = 0x32;
    link.push(outer);

    EXPECT_TRUE(receiveOne(link.protocol()).sameFrameAs(hidden));
    // Behind the hidden frame: the outer frame's tail, CRC and bad end byte.
    EXPECT_EQ(link.held(), slice(outer, 6 + hidden.wire.size(), outer.size()));
    EXPECT_EQ(receiveOne(link.protocol()).result, ZUV_NOT_READY);
    EXPECT_TRUE(link.held().empty());
}

TEST_F(Extraction, BadCrcLosesAFrameHiddenInsideButNotTheNextOne) {
    const Frame hidden = makeFrame(0x21, 0x01, range(12, 0x80));
    Bytes outer = makeFrame(0x05, 0x00, hidden.wire).wire;
    outer[outer.size() - 2] ^= 0x40;
    const uint16_t storedCrc = static_cast<uint16_t>(outer[outer.size() - 3] | (outer[outer.size() - 2] << 8));
    link.push(outer + kFrame.wire);

    uint8_t id = 0, cls = 0xEE;
    uint16_t crc = 0;
    uint8_t payload[ZUV_ECOM_MAX_PAYLOAD_SIZE];
    size_t size = 77;
    EXPECT_EQ(zuv::test::receive(link.protocol(), &cls, &id, payload, &size, sizeof(payload), crc), ZUV_INVALID_CRC);
    EXPECT_EQ(id, 0x05);
    EXPECT_EQ(cls, 0x00);
    EXPECT_EQ(crc, storedCrc);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(link.held(), kFrame.wire);
    EXPECT_TRUE(receiveOne(link.protocol()).sameFrameAs(kFrame));
}

// A false header in noise whose end byte happens to be 0x33 swallows its whole
// claimed length, true frames included; with any other byte there, nothing is lost.
TEST_F(Extraction, FalseHeaderInNoiseSwallowsOnlyWhenItsEndByteFits) {
    const Frame victim = makeFrame(0x11, 0x00, range(20));
    const Frame next = makeFrame(0x12, 0x00, range(5));
    const Bytes falseHeader = {0xFF, 0x5A, 0x77, 0x00, 0x0A, 0x00};  // claims 10 bytes: ends 13 bytes into victim
    Bytes stream = falseHeader + victim.wire + next.wire;
    ASSERT_NE(stream[8 + 10], 0x33);
    {
        MemoryLink clean;
        clean.push(stream);
        EXPECT_TRUE(receiveOne(clean.protocol()).sameFrameAs(victim));
        EXPECT_TRUE(receiveOne(clean.protocol()).sameFrameAs(next));
    }
    Bytes unlucky = falseHeader + victim.wire + next.wire;
    unlucky[8 + 10] = 0x33;  // inside the victim's payload
    link.push(unlucky);
    EXPECT_EQ(receiveOne(link.protocol()).result, ZUV_INVALID_CRC);
    EXPECT_TRUE(receiveOne(link.protocol()).sameFrameAs(next));
}

TEST_F(Extraction, EmptyPayloadCopiesNothing) {
    link.push(makeFrame(0x30, 0x01, {}).wire);
    uint8_t payload[4] = {0xA1, 0xA2, 0xA3, 0xA4};
    size_t size = 99;
    uint8_t id = 0, cls = 0;
    uint16_t crc = 0;
    EXPECT_EQ(zuv::test::receive(link.protocol(), &cls, &id, payload, &size, sizeof(payload), crc), ZUV_NO_ERROR);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(id, 0x30);
    EXPECT_EQ(cls, 0x01);
    EXPECT_EQ(payload[0], 0xA1);

    link.push(makeFrame(0x31, 0x01, {}).wire);
    EXPECT_EQ(zuv::test::receive(link.protocol(), nullptr, nullptr, nullptr, nullptr, 0, crc), ZUV_NO_ERROR);
}

struct CapacityCase {
    size_t payloadSize;
    size_t maxSize;
    ZuvErrorCode result;
};
void PrintTo(const CapacityCase &c, std::ostream *os) {
    *os << "N " << c.payloadSize << ", maxSize " << c.maxSize;
}

class ExtractionCapacity : public Extraction, public ::testing::WithParamInterface<CapacityCase> {};

TEST_P(ExtractionCapacity, FrameLargerThanTheBufferIsDroppedWhole) {
    const Frame frame = makeFrame(0x40, 0x00, range(GetParam().payloadSize));
    link.push(frame.wire + kFrame.wire);
    std::vector<uint8_t> payload(GetParam().maxSize + 8, 0xEE);
    size_t size = 0;
    uint8_t id = 0;
    uint16_t crc = 0;
    EXPECT_EQ(zuv::test::receive(link.protocol(), nullptr, &id, payload.data(), &size, GetParam().maxSize, crc),
              GetParam().result);
    EXPECT_EQ(id, 0x40);
    EXPECT_EQ(crc, frame.crc);
    if (GetParam().result == ZUV_NO_ERROR) {
        EXPECT_EQ(size, GetParam().payloadSize);
    } else {
        EXPECT_EQ(size, 0u);
    }
    EXPECT_EQ(payload[GetParam().maxSize], 0xEE) << "wrote past maxSize";
    EXPECT_TRUE(receiveOne(link.protocol()).sameFrameAs(kFrame));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ExtractionCapacity,
                         ::testing::Values(CapacityCase{100, 50, ZUV_BUFFER_OVERFLOW},
                                           CapacityCase{51, 50, ZUV_BUFFER_OVERFLOW},
                                           CapacityCase{50, 50, ZUV_NO_ERROR},
                                           CapacityCase{1, 0, ZUV_BUFFER_OVERFLOW}));

TEST_F(Extraction, MissingPayloadBufferDropsTheFrame) {
    link.push(kFrame.wire + kFrame.wire + kFrame.wire);
    uint8_t payload[64];
    size_t size = 5;
    uint8_t id = 0;
    uint16_t crc = 0;
    EXPECT_EQ(zuv::test::receive(link.protocol(), nullptr, &id, nullptr, &size, 64, crc), ZUV_NULL_POINTER);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(id, kFrame.id);
    EXPECT_EQ(zuv::test::receive(link.protocol(), nullptr, nullptr, payload, nullptr, 64, crc), ZUV_NULL_POINTER);
    EXPECT_EQ(link.held(), kFrame.wire);
}

TEST_F(Extraction, NullProtocolIsRefusedAndTouchesNothing) {
    uint8_t id = 0x99, cls = 0x98;
    size_t size = 1234;
    uint16_t crc = 0x4321;
    uint8_t payload[8];
    EXPECT_EQ(zuv::test::receive(nullptr, &cls, &id, payload, &size, sizeof(payload), crc), ZUV_NULL_POINTER);
    EXPECT_EQ(size, 1234u);
    EXPECT_EQ(id, 0x99);
    EXPECT_EQ(cls, 0x98);
    EXPECT_EQ(crc, 0x4321);
}

TEST_F(Extraction, PayloadSizeIsClearedEvenWhenNothingIsReady) {
    size_t size = 1234;
    uint8_t payload[8];
    uint16_t crc = 0;
    EXPECT_EQ(zuv::test::receive(link.protocol(), nullptr, nullptr, payload, &size, sizeof(payload), crc),
              ZUV_NOT_READY);
    EXPECT_EQ(size, 0u);
}

TEST_F(Extraction, FullBufferIsProcessedWithoutReading) {
    const Bytes after = makeFrame(0x50, 0x00, range(10)).wire;
    link.push(after);
    link.hold(kFrame.wire + Bytes(ZUV_ECOM_MAX_BUFFER_SIZE - kFrame.wire.size(), 0x00));
    EXPECT_TRUE(receiveOne(link.protocol()).sameFrameAs(kFrame));
    EXPECT_EQ(link.pending(), after.size()) << "read although the buffer was full";

    link.hold(Bytes(ZUV_ECOM_MAX_BUFFER_SIZE, 0x5A));
    EXPECT_EQ(receiveOne(link.protocol()).result, ZUV_NOT_READY);
    EXPECT_TRUE(link.held().empty());
    EXPECT_EQ(link.pending(), after.size());
}

TEST_F(Extraction, FailingReadStillDeliversAFrameAlreadyHeld) {
    link.hold(kFrame.wire);
    const Frame later = makeFrame(0x51, 0x01, range(4));
    link.push(later.wire);
    zuvInterfaceMemoryFailReads(link.interface(), 2, ZUV_READ_ERROR);
    EXPECT_TRUE(receiveOne(link.protocol()).sameFrameAs(kFrame));
    EXPECT_EQ(receiveOne(link.protocol()).result, ZUV_NOT_READY);  // failed read, nothing held
    EXPECT_EQ(link.pending(), later.wire.size());
    EXPECT_TRUE(receiveOne(link.protocol()).sameFrameAs(later));
}

TEST_F(Extraction, NoInterfaceStillProcessesHeldBytes) {
    link.hold(kFrame.wire);
    link.protocol()->pLinkedInterface = nullptr;
    EXPECT_TRUE(receiveOne(link.protocol()).sameFrameAs(kFrame));
    EXPECT_EQ(receiveOne(link.protocol()).result, ZUV_NOT_READY);
}

// --- the read itself: one per call, for exactly the free room

struct ReadLog {
    std::vector<size_t> asked;
    size_t give = 0;  // bytes to claim per read (more than asked: a lying driver)
};
ReadLog gReads;

ZuvErrorCode loggingRead(ZuvInterface *, void *buffer, size_t *readBytes, size_t bytesToRead) {
    gReads.asked.push_back(bytesToRead);
    const size_t n = gReads.give;
    std::memset(buffer, 0x00, std::min(n, bytesToRead));
    *readBytes = n;
    return ZUV_NO_ERROR;
}

class ExtractionReadSize : public ::testing::TestWithParam<size_t> {};

TEST_P(ExtractionReadSize, AsksOnceForAllFreeRoom) {
    ZuvInterface source{};
    source.type = ZUV_IF_TYPE_CUSTOM;
    source.pReadFunc = loggingRead;
    ZuvEComProtocol protocol{};
    protocol.pLinkedInterface = &source;
    const size_t held = GetParam();
    std::memset(protocol.rxBuffer, 0x01, held);
    protocol.rxBufferSize = held;
    gReads = ReadLog{};
    zuv::test::receiveOne(&protocol);
    if (held == ZUV_ECOM_MAX_BUFFER_SIZE) {
        EXPECT_TRUE(gReads.asked.empty());
    } else {
        EXPECT_EQ(gReads.asked, std::vector<size_t>{ZUV_ECOM_MAX_BUFFER_SIZE - held});
    }
}

INSTANTIATE_TEST_SUITE_P(Held, ExtractionReadSize, ::testing::Values(0, 1, 7, 100, 4095, 4096));

TEST(ExtractionReadSize, DriverClaimingMoreThanAskedCannotOverfillTheBuffer) {
    ZuvInterface source{};
    source.type = ZUV_IF_TYPE_CUSTOM;
    source.pReadFunc = loggingRead;
    ZuvEComProtocol protocol{};
    protocol.pLinkedInterface = &source;
    const Frame frame = makeFrame(1, 0, range(100));
    std::memcpy(protocol.rxBuffer, frame.wire.data(), frame.wire.size());
    protocol.rxBufferSize = frame.wire.size();
    gReads = ReadLog{};
    gReads.give = 100000;
    EXPECT_TRUE(zuv::test::receiveOne(&protocol).sameFrameAs(frame));
    EXPECT_LE(protocol.rxBufferSize, ZUV_ECOM_MAX_BUFFER_SIZE);
}

}  // namespace
}  // namespace zuv::test
