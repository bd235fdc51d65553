// Every log kind from an encoded frame to its JSON lines: each element in
// place, floats widened from single precision, integers sign- or
// zero-extended as their field is, and the twin right after the main sample
// with the same time stamp.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "decoderFixture.h"

namespace zuv::test {
namespace {

struct GoldenCase {
    const char *name;
    const char *property;
    uint8_t msgId;
    ZuvBinaryLogData (*record)();
    std::vector<std::string> lines;  // with pInternalTimestamp true, at t = 2000000
};

ZuvBinaryLogData eventWithTwoOffsets() {
    return records::event(1000, 0x0B, 5, 7, 9, 11);
}
ZuvBinaryLogData eventWrapping() {
    return records::event(4294967290u, 0x1E, 10, 5, 65535, 6);
}
ZuvBinaryLogData eventWithoutOffsets() {
    return records::event(77, 0x01, 1, 2, 3, 4);
}
ZuvBinaryLogData rawBytes() {
    return records::raw({0x00, 0xFF, 0x33, 0x5A, 0x7F});
}
ZuvBinaryLogData rawOneByte() {
    return records::raw({0x33});
}

#define LINE(pin, type, data) "{\"t\":2000000,\"pin\":\"decoder." pin "\",\"type\":\"" type "\",\"data\":" data "}\n"

const GoldenCase kCases[] = {
    {"Status",
     "pStatus",
     1,
     records::status,
     {LINE("oStatus", "Integer64", "[4000000000,65535,2147483649,4294967295,32769,7,65534]")}},
    {"Utc",
     "pUtcTime",
     2,
     records::utc,
     {LINE("oUtcTime", "Integer64", "[2026,12,-3,23,59,60,999999999,4294967295,123456,32768]"),
      LINE("oUtcTimeInternalTimestamp", "Integer64", "[123456]")}},
    {"Imu",
     "pImuData",
     3,
     records::imu,
     {LINE("oImu", "Float64", "[0.10000000149011612,-2.5,9.75,0.25,-0.125,3,1.5,-1.5,0,0.5,0.75,-0.75,36.5,65535]"),
      LINE("oImuInternalTimestamp", "Integer64", "[4294967295]")}},
    {"Mag",
     "pMag",
     4,
     records::mag,
     {LINE("oMag", "Float64", "[1.25,-1.25,0.5,-9.75,0.125,2,1]"), LINE("oMagInternalTimestamp", "Integer64", "[10]")}},
    {"MagCalib",
     "pMagCalib",
     5,
     records::magCalib,
     {LINE("oMagCalib", "Integer64", "[0,17,34,51,68,85,102,119,136,153,170,187,204,221,238,255,65535,3000000000]")}},
    {"EkfEuler",
     "pEkfEuler",
     6,
     records::ekfEuler,
     {LINE("oEkfEuler", "Float64", "[0.5,-0.25,3.125,0.0625,0.125,0.25,4026531844]"),
      LINE("oEkfEulerInternalTimestamp", "Integer64", "[20]")}},
    {"EkfQuat",
     "pEkfQuat",
     7,
     records::ekfQuat,
     {LINE("oEkfQuat", "Float64", "[1,-0.5,0.25,-0.125,0.5,1.5,2.5,4]"),
      LINE("oEkfQuatInternalTimestamp", "Integer64", "[30]")}},
    {"EkfNav",
     "pEkfNav",
     8,
     records::ekfNav,
     {LINE("oEkfNav", "Float64",
           "[1.5,-2.5,0.25,0.125,0.25,0.5,48.8566123456789,-2.35221234567891,35.123456789,47.5,1,2,4,2147483648]"),
      LINE("oEkfNavInternalTimestamp", "Integer64", "[40]")}},
    {"Gps1Vel",
     "pGps1Vel",
     13,
     records::gpsVel,
     {LINE("oGps1Vel", "Float64", "[0.5,-0.5,0.125,0.25,0.25,0.5,359.5,0.75,4294967295,345600000]"),
      LINE("oGps1VelInternalTimestamp", "Integer64", "[50]")}},
    {"Gps1Pos",
     "pGps1Pos",
     14,
     records::gpsPos,
     {LINE("oGps1Pos", "Float64", "[-33.8688,151.2093,58.25,0.5,0.75,1.25,22.5,2147483649,1000,200,65535,1234]"),
      LINE("oGps1PosInternalTimestamp", "Integer64", "[60]")}},
    {"Gps1Hdt",
     "pGps1Hdt",
     15,
     records::gpsHdt,
     {LINE("oGps1Hdt", "Float64", "[271.25,0.5,-3.5,0.25,1.875,65535,4294967295]"),
      LINE("oGps1HdtInternalTimestamp", "Integer64", "[70]")}},
    {"Gps2Vel",
     "pGps2Vel",
     16,
     records::gpsVel,
     {LINE("oGps2Vel", "Float64", "[0.5,-0.5,0.125,0.25,0.25,0.5,359.5,0.75,4294967295,345600000]"),
      LINE("oGps2VelInternalTimestamp", "Integer64", "[50]")}},
    {"Gps2Pos",
     "pGps2Pos",
     17,
     records::gpsPos,
     {LINE("oGps2Pos", "Float64", "[-33.8688,151.2093,58.25,0.5,0.75,1.25,22.5,2147483649,1000,200,65535,1234]"),
      LINE("oGps2PosInternalTimestamp", "Integer64", "[60]")}},
    {"Gps2Hdt",
     "pGps2Hdt",
     18,
     records::gpsHdt,
     {LINE("oGps2Hdt", "Float64", "[271.25,0.5,-3.5,0.25,1.875,65535,4294967295]"),
      LINE("oGps2HdtInternalTimestamp", "Integer64", "[70]")}},
    {"OdoVel",
     "pOdoVel",
     19,
     records::odometer,
     {LINE("oOdoVel", "Float64", "[-12.5,65535]"), LINE("oOdoVelInternalTimestamp", "Integer64", "[80]")}},
    {"EventA", "pEventA", 24, eventWithTwoOffsets, {LINE("oEventMarkerA", "Integer64", "[1000,1005,1009]")}},
    {"EventB", "pEventB", 25, eventWrapping, {LINE("oEventMarkerB", "Integer64", "[4294967290,4,4294967295,65529,0]")}},
    {"EventC", "pEventC", 26, eventWithoutOffsets, {LINE("oEventMarkerC", "Integer64", "[77]")}},
    {"EventD", "pEventD", 27, eventWithTwoOffsets, {LINE("oEventMarkerD", "Integer64", "[1000,1005,1009]")}},
    {"EventE", "pEventE", 28, eventWithTwoOffsets, {LINE("oEventMarkerE", "Integer64", "[1000,1005,1009]")}},
    {"DvlBottomTrack",
     "pDvlBottomTrack",
     29,
     records::dvl,
     {LINE("oDvlBottomTrack", "Float64", "[0.5,-0.5,0.25,1,2,3,65535]"),
      LINE("oDvlBottomTrackInternalTimestamp", "Integer64", "[90]")}},
    {"DvlWaterTrack",
     "pDvlWaterTrack",
     30,
     records::dvl,
     {LINE("oDvlWaterTrack", "Float64", "[0.5,-0.5,0.25,1,2,3,65535]"),
      LINE("oDvlWaterTrackInternalTimestamp", "Integer64", "[90]")}},
    {"Gps1Raw", "pGps1Raw", 31, rawBytes, {LINE("oGps1Raw", "Stream8", "[0,255,51,90,127]")}},
    {"AirData",
     "pAirData",
     36,
     records::airData,
     {LINE("oPressure", "Float64", "[101325,120.5,-0.25,55.5,-5.75,65535]"),
      LINE("oPressureInternalTimestamp", "Integer64", "[100]")}},
    {"Usbl",
     "pUsbl",
     37,
     records::usbl,
     {LINE("oUsbl", "Float64", "[43.2965,5.3698,120.5,0.5,0.25,1.5,65535]"),
      LINE("oUsblInternalTimestamp", "Integer64", "[110]")}},
    {"Gps2Raw", "pGps2Raw", 38, rawOneByte, {LINE("oGps2Raw", "Stream8", "[51]")}},
};

#undef LINE

void PrintTo(const GoldenCase &c, std::ostream *os) {
    *os << c.name;
}

class GoldenLines : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenLines, MainSampleThenTwinWithTheSampleTimestamp) {
    const GoldenCase &c = GetParam();
    DecoderRun run;
    run.enable(c.property).start();
    run.decode(2000000, logFrame(c.msgId, c.record()));
    EXPECT_EQ(run.takeLines(), c.lines);
    EXPECT_TRUE(run.decoder.Reports().empty());
}

TEST_P(GoldenLines, NoTwinWithoutInternalTimestamp) {
    const GoldenCase &c = GetParam();
    DecoderRun run;
    run.set("pInternalTimestamp", 0).enable(c.property).start();
    run.decode(2000000, logFrame(c.msgId, c.record(), 1));  // class 1 carries the same logs
    EXPECT_EQ(run.takeLines(), std::vector<std::string>{c.lines.front()});
}

INSTANTIATE_TEST_SUITE_P(EveryKind, GoldenLines, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<GoldenCase> &param) { return param.param.name; });

TEST(GoldenLines, UtcNanosecondsAreSignExtended) {
    ZuvBinaryLogData log = records::utc();
    log.utcData.nanoSecond = -1;
    log.utcData.month = -128;
    DecoderRun run;
    run.enable("pUtcTime").start();
    run.decode(5, logFrame(2, log));
    ASSERT_EQ(run.decoder.Samples().size(), 2u);
    EXPECT_EQ(run.decoder.Samples()[0].Integer64(1), -128);
    EXPECT_EQ(run.decoder.Samples()[0].Integer64(6), -1);
}

}  // namespace
}  // namespace zuv::test
