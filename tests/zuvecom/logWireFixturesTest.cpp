// Every log layout against wire bytes written from the protocol's layout
// table, in both directions. Each payload is the byte sequence 1, 2, 3, ...;
// the table below gives each field's offset as the protocol documents it, so
// a field must hold exactly the bytes found at its offset (in memory order on
// this little-endian host), and encoding the parsed record must give the
// sequence back. A field-order or width slip in the codec fails here even
// when parse and encode slip alike.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "zuvEComBinaryLogs.h"

namespace zuv::test {
namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "fields are compared in memory order");

using Log = ZuvBinaryLogData;

struct Field {
    const char *name;
    size_t offset;  // from the protocol's layout table
    size_t bytes;   // the whole field, arrays included
    const void *(*member)(const Log &);
};

struct Layout {
    const char *name;
    uint8_t msgId;
    size_t size;
    std::vector<Field> fields;
};

void PrintTo(const Layout &layout, std::ostream *os) {
    *os << layout.name;
}

// One row per layout, one field per entry of the protocol's table.
// clang-format off
#define ZUV_FIELD(record, member, offset, bytes) \
    Field { #member, offset, bytes, [](const Log &l) -> const void * { return &l.record.member; } }

const std::vector<Layout> kLayouts = {
    {"Status", 1, 26,
     {ZUV_FIELD(statusData, timeStamp, 0, 4), ZUV_FIELD(statusData, generalStatus, 4, 2),
      ZUV_FIELD(statusData, clockStatus, 6, 2), ZUV_FIELD(statusData, comStatus, 8, 4),
      ZUV_FIELD(statusData, aidingStatus, 12, 4), ZUV_FIELD(statusData, reserved2, 16, 4),
      ZUV_FIELD(statusData, reserved3, 20, 2), ZUV_FIELD(statusData, upTime, 22, 4)}},
    {"UtcTime", 2, 21,
     {ZUV_FIELD(utcData, timeStamp, 0, 4), ZUV_FIELD(utcData, status, 4, 2), ZUV_FIELD(utcData, year, 6, 2),
      ZUV_FIELD(utcData, month, 8, 1), ZUV_FIELD(utcData, day, 9, 1), ZUV_FIELD(utcData, hour, 10, 1),
      ZUV_FIELD(utcData, minute, 11, 1), ZUV_FIELD(utcData, second, 12, 1), ZUV_FIELD(utcData, nanoSecond, 13, 4),
      ZUV_FIELD(utcData, gpsTimeOfWeek, 17, 4)}},
    {"Imu", 3, 58,
     {ZUV_FIELD(imuData, timeStamp, 0, 4), ZUV_FIELD(imuData, status, 4, 2), ZUV_FIELD(imuData, accelerometers, 6, 12),
      ZUV_FIELD(imuData, gyroscopes, 18, 12), ZUV_FIELD(imuData, temperature, 30, 4),
      ZUV_FIELD(imuData, deltaVelocity, 34, 12), ZUV_FIELD(imuData, deltaAngle, 46, 12)}},
    {"Mag", 4, 30,
     {ZUV_FIELD(magData, timeStamp, 0, 4), ZUV_FIELD(magData, status, 4, 2), ZUV_FIELD(magData, magnetometers, 6, 12),
      ZUV_FIELD(magData, accelerometers, 18, 12)}},
    {"MagCalib", 5, 22,
     {ZUV_FIELD(magCalibData, timeStamp, 0, 4), ZUV_FIELD(magCalibData, reserved, 4, 2),
      ZUV_FIELD(magCalibData, magData, 6, 16)}},
    {"EkfEuler", 6, 32,
     {ZUV_FIELD(ekfEulerData, timeStamp, 0, 4), ZUV_FIELD(ekfEulerData, euler, 4, 12),
      ZUV_FIELD(ekfEulerData, eulerStdDev, 16, 12), ZUV_FIELD(ekfEulerData, solutionStatus, 28, 4)}},
    {"EkfQuat", 7, 36,
     {ZUV_FIELD(ekfQuatData, timeStamp, 0, 4), ZUV_FIELD(ekfQuatData, quaternion, 4, 16),
      ZUV_FIELD(ekfQuatData, eulerStdDev, 20, 12), ZUV_FIELD(ekfQuatData, solutionStatus, 32, 4)}},
    {"EkfNav", 8, 72,
     {ZUV_FIELD(ekfNavData, timeStamp, 0, 4), ZUV_FIELD(ekfNavData, velocity, 4, 12),
      ZUV_FIELD(ekfNavData, velocityStdDev, 16, 12), ZUV_FIELD(ekfNavData, latitude, 28, 8),
      ZUV_FIELD(ekfNavData, longitude, 36, 8), ZUV_FIELD(ekfNavData, altitude, 44, 8),
      ZUV_FIELD(ekfNavData, undulation, 52, 4), ZUV_FIELD(ekfNavData, positionStdDev, 56, 12),
      ZUV_FIELD(ekfNavData, solutionStatus, 68, 4)}},
    {"ShipMotion", 9, 46,
     {ZUV_FIELD(shipMotionData, timeStamp, 0, 4), ZUV_FIELD(shipMotionData, status, 4, 2),
      ZUV_FIELD(shipMotionData, mainHeavePeriod, 6, 4), ZUV_FIELD(shipMotionData, shipMotion, 10, 12),
      ZUV_FIELD(shipMotionData, shipAccel, 22, 12), ZUV_FIELD(shipMotionData, shipVel, 34, 12)}},
    {"GpsVel", 13, 44,
     {ZUV_FIELD(gpsVelData, timeStamp, 0, 4), ZUV_FIELD(gpsVelData, status, 4, 4),
      ZUV_FIELD(gpsVelData, timeOfWeek, 8, 4), ZUV_FIELD(gpsVelData, velocity, 12, 12),
      ZUV_FIELD(gpsVelData, velocityAcc, 24, 12), ZUV_FIELD(gpsVelData, course, 36, 4),
      ZUV_FIELD(gpsVelData, courseAcc, 40, 4)}},
    {"GpsPos", 17, 57,
     {ZUV_FIELD(gpsPosData, timeStamp, 0, 4), ZUV_FIELD(gpsPosData, status, 4, 4),
      ZUV_FIELD(gpsPosData, timeOfWeek, 8, 4), ZUV_FIELD(gpsPosData, latitude, 12, 8),
      ZUV_FIELD(gpsPosData, longitude, 20, 8), ZUV_FIELD(gpsPosData, altitude, 28, 8),
      ZUV_FIELD(gpsPosData, undulation, 36, 4), ZUV_FIELD(gpsPosData, latitudeAccuracy, 40, 4),
      ZUV_FIELD(gpsPosData, longitudeAccuracy, 44, 4), ZUV_FIELD(gpsPosData, altitudeAccuracy, 48, 4),
      ZUV_FIELD(gpsPosData, numSvUsed, 52, 1), ZUV_FIELD(gpsPosData, baseStationId, 53, 2),
      ZUV_FIELD(gpsPosData, differentialAge, 55, 2)}},
    {"GpsHdt", 15, 30,
     {ZUV_FIELD(gpsHdtData, timeStamp, 0, 4), ZUV_FIELD(gpsHdtData, status, 4, 2),
      ZUV_FIELD(gpsHdtData, timeOfWeek, 6, 4), ZUV_FIELD(gpsHdtData, heading, 10, 4),
      ZUV_FIELD(gpsHdtData, headingAccuracy, 14, 4), ZUV_FIELD(gpsHdtData, pitch, 18, 4),
      ZUV_FIELD(gpsHdtData, pitchAccuracy, 22, 4), ZUV_FIELD(gpsHdtData, baseline, 26, 4)}},
    {"Odometer", 19, 10,
     {ZUV_FIELD(odometerData, timeStamp, 0, 4), ZUV_FIELD(odometerData, status, 4, 2),
      ZUV_FIELD(odometerData, velocity, 6, 4)}},
    {"EventD", 27, 14,
     {ZUV_FIELD(eventMarker, timeStamp, 0, 4), ZUV_FIELD(eventMarker, status, 4, 2),
      ZUV_FIELD(eventMarker, timeOffset0, 6, 2), ZUV_FIELD(eventMarker, timeOffset1, 8, 2),
      ZUV_FIELD(eventMarker, timeOffset2, 10, 2), ZUV_FIELD(eventMarker, timeOffset3, 12, 2)}},
    {"DvlWaterTrack", 30, 30,
     {ZUV_FIELD(dvlData, timeStamp, 0, 4), ZUV_FIELD(dvlData, status, 4, 2), ZUV_FIELD(dvlData, velocity, 6, 12),
      ZUV_FIELD(dvlData, velocityQuality, 18, 12)}},
    {"AirData", 36, 26,
     {ZUV_FIELD(airData, timeStamp, 0, 4), ZUV_FIELD(airData, status, 4, 2), ZUV_FIELD(airData, pressureAbs, 6, 4),
      ZUV_FIELD(airData, altitude, 10, 4), ZUV_FIELD(airData, pressureDiff, 14, 4),
      ZUV_FIELD(airData, trueAirspeed, 18, 4), ZUV_FIELD(airData, airTemperature, 22, 4)}},
    {"Usbl", 37, 38,
     {ZUV_FIELD(usblData, timeStamp, 0, 4), ZUV_FIELD(usblData, status, 4, 2), ZUV_FIELD(usblData, latitude, 6, 8),
      ZUV_FIELD(usblData, longitude, 14, 8), ZUV_FIELD(usblData, depth, 22, 4),
      ZUV_FIELD(usblData, latitudeAccuracy, 26, 4), ZUV_FIELD(usblData, longitudeAccuracy, 30, 4),
      ZUV_FIELD(usblData, depthAccuracy, 34, 4)}},
};

#undef ZUV_FIELD
// clang-format on

std::vector<uint8_t> counting(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i + 1);
    return bytes;
}

class LogWire : public ::testing::TestWithParam<Layout> {};

TEST_P(LogWire, FieldsSitAtTheirDocumentedOffsetsBothWays) {
    const Layout &layout = GetParam();
    const std::vector<uint8_t> wire = counting(layout.size);
    size_t covered = 0;
    for (const Field &field : layout.fields) covered += field.bytes;
    ASSERT_EQ(covered, layout.size) << "the fixture lists every byte of the layout once";

    for (const ZuvEComClass msgClass : {ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_CLASS_LOG_ECOM_1}) {
        Log log;
        std::memset(&log, 0xEE, sizeof(log));
        ASSERT_EQ(zuvEComBinaryLogParse(msgClass, layout.msgId, wire.data(), wire.size(), &log), ZUV_NO_ERROR);
        for (const Field &field : layout.fields) {
            EXPECT_EQ(std::memcmp(field.member(log), wire.data() + field.offset, field.bytes), 0)
                << layout.name << "." << field.name << " at offset " << field.offset;
        }
        std::vector<uint8_t> encoded(layout.size + 8, 0xEE);
        size_t size = 0;
        ASSERT_EQ(zuvEComBinaryLogEncode(msgClass, layout.msgId, &log, encoded.data(), encoded.size(), &size),
                  ZUV_NO_ERROR);
        encoded.resize(size);
        EXPECT_EQ(encoded, wire) << layout.name;
    }
    EXPECT_EQ(zuvEComBinaryLogLayoutSize(layout.msgId), layout.size);
}

TEST_P(LogWire, OneByteShortIsRefusedAndTrailingBytesAreIgnored) {
    const Layout &layout = GetParam();
    std::vector<uint8_t> wire = counting(layout.size + 3);
    Log log;
    EXPECT_EQ(zuvEComBinaryLogParse(ZUV_ECOM_CLASS_LOG_ECOM_0, layout.msgId, wire.data(), layout.size - 1, &log),
              ZUV_INVALID_FRAME);
    ASSERT_EQ(zuvEComBinaryLogParse(ZUV_ECOM_CLASS_LOG_ECOM_0, layout.msgId, wire.data(), wire.size(), &log),
              ZUV_NO_ERROR);
    const Field &last = layout.fields.back();
    EXPECT_EQ(std::memcmp(last.member(log), wire.data() + last.offset, last.bytes), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, LogWire, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<Layout> &param) { return param.param.name; });

// The kinds sharing a layout: every id of a group takes and gives the same bytes.
TEST(LogWire, SharedLayoutsAnswerForEveryOneOfTheirIds) {
    const std::vector<std::vector<uint8_t>> groups = {{13, 16}, {14, 17}, {15, 18}, {24, 25, 26, 27, 28}, {29, 30}};
    for (const std::vector<uint8_t> &ids : groups) {
        const size_t size = zuvEComBinaryLogLayoutSize(ids.front());
        ASSERT_GT(size, 0u);
        const std::vector<uint8_t> wire = counting(size);
        for (const uint8_t id : ids) {
            EXPECT_EQ(zuvEComBinaryLogLayoutSize(id), size) << int(id);
            Log log;
            ASSERT_EQ(zuvEComBinaryLogParse(ZUV_ECOM_CLASS_LOG_ECOM_1, id, wire.data(), size, &log), ZUV_NO_ERROR);
            std::vector<uint8_t> encoded(size);
            size_t written = 0;
            ASSERT_EQ(zuvEComBinaryLogEncode(ZUV_ECOM_CLASS_LOG_ECOM_1, id, &log, encoded.data(), size, &written),
                      ZUV_NO_ERROR);
            EXPECT_EQ(encoded, wire) << int(id);
        }
    }
}

}  // namespace
}  // namespace zuv::test
