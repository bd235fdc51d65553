#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <vector>

#include "zuvEComBinaryLogs.h"

namespace zuv::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes encode(uint8_t msgId, const ZuvBinaryLogData &log) {
    Bytes out(4096);
    size_t size = 0;
    EXPECT_EQ(zuvEComBinaryLogEncode(ZUV_ECOM_CLASS_LOG_ECOM_0, msgId, &log, out.data(), out.size(), &size),
              ZUV_NO_ERROR);
    out.resize(size);
    return out;
}

ZuvBinaryLogData parse(uint8_t msgId, const Bytes &payload) {
    ZuvBinaryLogData log{};
    EXPECT_EQ(zuvEComBinaryLogParse(ZUV_ECOM_CLASS_LOG_ECOM_0, msgId, payload.data(), payload.size(), &log),
              ZUV_NO_ERROR);
    return log;
}

// Bytes below 0x80 never make a NaN or an infinity, so floats survive a round trip bit for bit.
Bytes pattern(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>((i * 37 + seed * 11 + 5) & 0x7F);
    }
    return bytes;
}

const Bytes kImuGolden = {
    0x01, 0x02, 0x03, 0x04, 0x05, 0x06,                                      // ts, status
    0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x3F,  // accelerometers 1, -2, 0.5
    0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0xBF,  // gyroscopes 0.25, 0, -1
    0x00, 0x00, 0xC8, 0x41,                                                  // temperature 25
    0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x80, 0x40, 0x00, 0x00, 0x00, 0x41,  // delta velocity 2, 4, 8
    0x00, 0x00, 0x40, 0x40, 0x00, 0x00, 0x80, 0x41, 0x00, 0x00, 0x00, 0xBF,  // delta angle 3, 16, -0.5
};

const Bytes kNavGolden = {
    0x0D, 0x0C, 0x0B, 0x0A,                                                  // ts
    0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x80, 0xBF,  // velocity 1, 2, -1
    0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x80, 0x40,  // std dev 0.5, 0.25, 4
    0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x48, 0x40,                          // latitude 48.5
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0,                          // longitude -2
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x59, 0x40,                          // altitude 100
    0x00, 0x00, 0x40, 0x40,                                                  // undulation 3
    0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x80, 0x40,  // position std dev 1, 2, 4
    0x94, 0x00, 0x00, 0x00,                                                  // solution status
};

const Bytes kGpsPosGolden = {
    0x44, 0x33, 0x22, 0x11, 0x00, 0x10, 0x00, 0x00, 0x40, 0xE2, 0x01, 0x00,  // ts, status, time of week 123456
    0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x48, 0x40,                          // latitude 48.5
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0,                          // longitude -2
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x59, 0x40,                          // altitude 100
    0x00, 0x00, 0x00, 0x3F,                                                  // undulation 0.5
    0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x80, 0x40,  // accuracies 1, 2, 4
    0x0C, 0x02, 0x01, 0xFF, 0xFF,                                            // 12 SVs, station 0x0102, age 65535
};

const Bytes kEventGolden = {0xE8, 0x03, 0x00, 0x00, 0x0A, 0x00, 0x05, 0x00, 0x07, 0x00, 0x09, 0x00, 0x0B, 0x00};

TEST(LogGolden, Imu) {
    ZuvBinaryLogData log{};
    log.imuData = ZuvLogImuData{0x04030201, 0x0605, {1, -2, 0.5f}, {0.25f, 0, -1}, 25, {2, 4, 8}, {3, 16, -0.5f}};
    EXPECT_EQ(encode(ZUV_ECOM_LOG_IMU_DATA, log), kImuGolden);
    const ZuvLogImuData parsed = parse(ZUV_ECOM_LOG_IMU_DATA, kImuGolden).imuData;
    EXPECT_EQ(parsed.timeStamp, 0x04030201u);
    EXPECT_EQ(parsed.status, 0x0605);
    EXPECT_EQ(parsed.accelerometers[1], -2.0f);
    EXPECT_EQ(parsed.gyroscopes[2], -1.0f);
    EXPECT_EQ(parsed.temperature, 25.0f);
    EXPECT_EQ(parsed.deltaVelocity[2], 8.0f);
    EXPECT_EQ(parsed.deltaAngle[0], 3.0f);
    EXPECT_EQ(parsed.deltaAngle[2], -0.5f);
}

TEST(LogGolden, Navigation) {
    ZuvBinaryLogData log{};
    log.ekfNavData = ZuvLogEkfNavData{0x0A0B0C0D, {1, 2, -1}, {0.5f, 0.25f, 4}, 48.5, -2.0, 100.0, 3, {1, 2, 4}, 0x94};
    EXPECT_EQ(encode(ZUV_ECOM_LOG_EKF_NAV, log), kNavGolden);
    const ZuvLogEkfNavData parsed = parse(ZUV_ECOM_LOG_EKF_NAV, kNavGolden).ekfNavData;
    EXPECT_EQ(parsed.latitude, 48.5);
    EXPECT_EQ(parsed.longitude, -2.0);
    EXPECT_EQ(parsed.altitude, 100.0);
    EXPECT_EQ(parsed.undulation, 3.0f);
    EXPECT_EQ(parsed.positionStdDev[2], 4.0f);
    EXPECT_EQ(parsed.solutionStatus, 0x94u);
}

TEST(LogGolden, GnssPositionOfBothReceivers) {
    ZuvBinaryLogData log{};
    log.gpsPosData = ZuvLogGpsPos{0x11223344, 0x1000, 123456, 48.5, -2.0, 100.0, 0.5f, 1, 2, 4, 12, 0x0102, 0xFFFF};
    for (uint8_t id : {ZUV_ECOM_LOG_GPS1_POS, ZUV_ECOM_LOG_GPS2_POS}) {
        EXPECT_EQ(encode(id, log), kGpsPosGolden);
        const ZuvLogGpsPos parsed = parse(id, kGpsPosGolden).gpsPosData;
        EXPECT_EQ(parsed.timeOfWeek, 123456u);
        EXPECT_EQ(parsed.numSvUsed, 12);
        EXPECT_EQ(parsed.baseStationId, 0x0102);
        EXPECT_EQ(parsed.differentialAge, 0xFFFF);
        EXPECT_EQ(parsed.altitudeAccuracy, 4.0f);
    }
}

TEST(LogGolden, EventMarkersAToE) {
    ZuvBinaryLogData log{};
    log.eventMarker = ZuvLogEvent{1000, 0x0A, 5, 7, 9, 11};
    for (uint8_t id = ZUV_ECOM_LOG_EVENT_A; id <= ZUV_ECOM_LOG_EVENT_E; ++id) {
        EXPECT_EQ(encode(id, log), kEventGolden);
        const ZuvLogEvent parsed = parse(id, kEventGolden).eventMarker;
        EXPECT_EQ(parsed.timeStamp, 1000u);
        EXPECT_EQ(parsed.status, 0x0A);
        EXPECT_EQ(parsed.timeOffset0, 5);
        EXPECT_EQ(parsed.timeOffset3, 11);
    }
}

TEST(LogGolden, UtcSignedFieldsKeepTheirSign) {
    Bytes payload(21, 0);
    payload[8] = 12;                                                                 // month
    payload[12] = 0xFF;                                                              // second -1
    payload[13] = 0xFF, payload[14] = 0xC9, payload[15] = 0x9A, payload[16] = 0x3B;  // 999999999
    const ZuvLogUtcData utc = parse(ZUV_ECOM_LOG_UTC_TIME, payload).utcData;
    EXPECT_EQ(utc.month, 12);
    EXPECT_EQ(utc.second, -1);
    EXPECT_EQ(utc.nanoSecond, 999999999);
    payload[16] = 0xFF;
    EXPECT_LT(parse(ZUV_ECOM_LOG_UTC_TIME, payload).utcData.nanoSecond, 0);
}

TEST(LogGolden, StatusWordsInOrder) {
    Bytes payload(26);
    for (size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<uint8_t>(i + 1);
    }
    const ZuvLogStatusData status = parse(ZUV_ECOM_LOG_STATUS, payload).statusData;
    EXPECT_EQ(status.timeStamp, 0x04030201u);
    EXPECT_EQ(status.generalStatus, 0x0605);
    EXPECT_EQ(status.clockStatus, 0x0807);
    EXPECT_EQ(status.comStatus, 0x0C0B0A09u);
    EXPECT_EQ(status.aidingStatus, 0x100F0E0Du);
    EXPECT_EQ(status.reserved2, 0x14131211u);
    EXPECT_EQ(status.reserved3, 0x1615);
    EXPECT_EQ(status.upTime, 0x1A191817u);
}

// The sizes every layout must have on the wire.
struct LayoutCase {
    uint8_t msgId;
    size_t size;
};

void PrintTo(const LayoutCase &c, std::ostream *os) {
    *os << "id " << int(c.msgId) << ", " << c.size << " bytes";
}

const LayoutCase kLayouts[] = {
    {1, 26},  {2, 21},  {3, 58},  {4, 30},  {5, 22},  {6, 32},  {7, 36},  {8, 72},  {9, 46},
    {13, 44}, {14, 57}, {15, 30}, {16, 44}, {17, 57}, {18, 30}, {19, 10}, {24, 14}, {25, 14},
    {26, 14}, {27, 14}, {28, 14}, {29, 30}, {30, 30}, {36, 26}, {37, 38},
};

class FixedLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(FixedLayout, RoundTripsAndChecksItsSize) {
    const LayoutCase c = GetParam();
    EXPECT_EQ(zuvEComBinaryLogLayoutSize(c.msgId), c.size);
    EXPECT_FALSE(zuvEComBinaryLogIsRaw(c.msgId));
    const Bytes payload = pattern(c.size, c.msgId);
    for (ZuvEComClass msgClass : {ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_CLASS_LOG_ECOM_1}) {
        ZuvBinaryLogData log{};
        ASSERT_EQ(zuvEComBinaryLogParse(msgClass, c.msgId, payload.data(), payload.size(), &log), ZUV_NO_ERROR);
        Bytes out(c.size);
        size_t size = 0;
        ASSERT_EQ(zuvEComBinaryLogEncode(msgClass, c.msgId, &log, out.data(), out.size(), &size), ZUV_NO_ERROR);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(out, payload);
        // One byte short of the capacity.
        EXPECT_EQ(zuvEComBinaryLogEncode(msgClass, c.msgId, &log, out.data(), c.size - 1, &size), ZUV_BUFFER_OVERFLOW);
    }
}

TEST_P(FixedLayout, OneByteShortIsInvalidAndLeavesTheRecord) {
    const LayoutCase c = GetParam();
    const Bytes payload = pattern(c.size - 1, c.msgId);
    ZuvBinaryLogData log;
    std::memset(&log, 0xA5, sizeof(log));
    EXPECT_EQ(zuvEComBinaryLogParse(ZUV_ECOM_CLASS_LOG_ECOM_0, c.msgId, payload.data(), payload.size(), &log),
              ZUV_INVALID_FRAME);
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(&log);
    for (size_t i = 0; i < sizeof(log); ++i) {
        ASSERT_EQ(bytes[i], 0xA5) << "byte " << i;
    }
    EXPECT_EQ(zuvEComBinaryLogParse(ZUV_ECOM_CLASS_LOG_ECOM_0, c.msgId, nullptr, 0, &log), ZUV_INVALID_FRAME);
}

TEST_P(FixedLayout, BytesBeyondTheLayoutAreIgnored) {
    const LayoutCase c = GetParam();
    Bytes longer = pattern(c.size, c.msgId);
    const ZuvBinaryLogData exact = parse(c.msgId, longer);
    longer.insert(longer.end(), {0x7E, 0x7E, 0x7E, 0x7E, 0x7E});
    const ZuvBinaryLogData extended = parse(c.msgId, longer);
    EXPECT_EQ(encode(c.msgId, extended), encode(c.msgId, exact));
}

TEST_P(FixedLayout, TimeStampIsTheFirstFourPayloadBytes) {
    const LayoutCase c = GetParam();
    const Bytes payload = pattern(c.size, c.msgId);
    const ZuvBinaryLogData log = parse(c.msgId, payload);
    uint32_t ts = 0;
    ASSERT_EQ(zuvEComBinaryLogTimeStamp(c.msgId, &log, &ts), 1);
    EXPECT_EQ(
        ts, uint32_t(payload[0]) | uint32_t(payload[1]) << 8 | uint32_t(payload[2]) << 16 | uint32_t(payload[3]) << 24);
    EXPECT_EQ(zuvEComBinaryLogTimeStamp(c.msgId, nullptr, &ts), 0);
    EXPECT_EQ(zuvEComBinaryLogTimeStamp(c.msgId, &log, nullptr), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, FixedLayout, ::testing::ValuesIn(kLayouts),
                         [](const auto &testInfo) { return "id" + std::to_string(testInfo.param.msgId); });

TEST(RawLogs, GnssRawAndOpaqueIdsKeepTheirBytes) {
    const uint8_t rawIds[] = {0, 10, 11, 12, 20, 21, 22, 23, 31, 32, 33, 34, 35, 38};
    for (uint8_t id : rawIds) {
        SCOPED_TRACE(static_cast<int>(id));
        EXPECT_TRUE(zuvEComBinaryLogIsRaw(id));
        uint32_t ts = 0xDEADBEEF;
        const ZuvBinaryLogData four = parse(id, pattern(4, id));
        EXPECT_EQ(zuvEComBinaryLogTimeStamp(id, &four, &ts), 0);  // raw bytes carry no ts
        EXPECT_EQ(ts, 0xDEADBEEF);
        for (size_t size : {size_t{0}, size_t{1}, size_t{100}, size_t{4086}}) {
            const Bytes payload = pattern(size, id);
            const ZuvBinaryLogData log = parse(id, payload);
            ASSERT_EQ(log.opaqueData.bufferSize, size);
            EXPECT_EQ(Bytes(log.gpsRawData.rawBuffer, log.gpsRawData.rawBuffer + size), payload);
            EXPECT_EQ(encode(id, log), payload);
        }
    }
}

TEST(RawLogs, SizesBeyondAFrameAreRefused) {
    ZuvBinaryLogData log{};
    const Bytes big(4087, 1);
    EXPECT_EQ(zuvEComBinaryLogParse(ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_GPS1_RAW, big.data(), big.size(), &log),
              ZUV_BUFFER_OVERFLOW);
    log.gpsRawData.bufferSize = 4087;
    Bytes out(8192);
    size_t size = 0;
    EXPECT_EQ(
        zuvEComBinaryLogEncode(ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_GPS1_RAW, &log, out.data(), out.size(), &size),
        ZUV_INVALID_PARAMETER);
    log.gpsRawData.bufferSize = 0xFFFFFFFFu;
    EXPECT_EQ(
        zuvEComBinaryLogEncode(ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_GPS1_RAW, &log, out.data(), out.size(), &size),
        ZUV_INVALID_PARAMETER);
    log.gpsRawData.bufferSize = 10;
    EXPECT_EQ(zuvEComBinaryLogEncode(ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_GPS1_RAW, &log, out.data(), 9, &size),
              ZUV_BUFFER_OVERFLOW);
}

TEST(LogRejection, UnknownIdsAndClassesAreErrors) {
    const Bytes payload = pattern(100, 1);
    ZuvBinaryLogData log{};
    size_t size = 0;
    Bytes out(4096);
    for (uint8_t id : {uint8_t{39}, uint8_t{40}, uint8_t{255}}) {
        EXPECT_EQ(zuvEComBinaryLogParse(ZUV_ECOM_CLASS_LOG_ECOM_0, id, payload.data(), payload.size(), &log),
                  ZUV_ERROR);
        EXPECT_EQ(zuvEComBinaryLogEncode(ZUV_ECOM_CLASS_LOG_ECOM_0, id, &log, out.data(), out.size(), &size),
                  ZUV_ERROR);
        EXPECT_FALSE(zuvEComBinaryLogIsKnown(id));
    }
    for (int msgClass : {2, 0x10, 0x1F, 0x20, 0xFF}) {
        EXPECT_EQ(zuvEComBinaryLogParse(static_cast<ZuvEComClass>(msgClass), ZUV_ECOM_LOG_STATUS, payload.data(),
                                        payload.size(), &log),
                  ZUV_ERROR);
    }
    EXPECT_EQ(zuvEComBinaryLogParse(ZUV_ECOM_CLASS_LOG_ECOM_0, 1, payload.data(), payload.size(), nullptr),
              ZUV_NULL_POINTER);
    EXPECT_EQ(zuvEComBinaryLogParse(ZUV_ECOM_CLASS_LOG_ECOM_0, 1, nullptr, 26, &log), ZUV_NULL_POINTER);
}

}  // namespace
}  // namespace zuv::test
