// The writers called directly, for what the decoder's frames cannot reach:
// the ship-motion writer, records no frame can carry, outputs smaller than a
// sample (refused with a report), and a component that is not running.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ZUV_WriteOutput.h"
#include "decoderFixture.h"

namespace zuv::test {
namespace {

class Writers : public ::testing::Test {
protected:
    void SetUp() override {
        run.decoder.AddOutput("oShip", ElementType::Float64, 12);
        run.decoder.AddOutput("oShipTs", ElementType::Integer64, 1);
        run.decoder.AddOutput("oRaw", ElementType::Stream8, 4086);
        run.decoder.AddOutput("oEvents", ElementType::Integer64, 6);
        run.decoder.AddOutput("oImu", ElementType::Float64, 15);
        run.decoder.AddOutput("oImuInternalTimestamp", ElementType::Integer64, 1);
        run.decoder.Birth();
    }
    const std::vector<StepSample> &samples() { return run.decoder.Samples(); }
    MAPSComponent *component() { return run.decoder.Component(); }

    DecoderRun run;
    const MAPSInt64 t = 123456789012LL;
};

TEST_F(Writers, ShipMotionOnTheCallersOutputsWithItsTwin) {
    const ZuvBinaryLogData log = records::shipMotion();
    WriteShipMotion(component(), log.shipMotionData, "oShip", "oShipTs", t, true, 12);
    EXPECT_EQ(run.takeLines(),
              (std::vector<std::string>{
                  "{\"t\":123456789012,\"pin\":\"decoder.oShip\",\"type\":\"Float64\",\"data\":"
                  "[0.5,-0.5,1.5,0.25,-0.25,0.75,2.5,-2.5,0.125,8.5,65535,12]}\n",
                  "{\"t\":123456789012,\"pin\":\"decoder.oShipTs\",\"type\":\"Integer64\",\"data\":[140]}\n"}));
}

TEST_F(Writers, AppendedValueOnlyFromZeroUp) {
    const ZuvBinaryLogData log = records::imu();
    for (MAPSInt32 appended : {-1, 0, 200, -2147483647 - 1, 2147483647}) {
        WriteImuData(component(), log.imuData, t, false, appended);
    }
    ASSERT_EQ(samples().size(), 5u);
    EXPECT_EQ(samples()[0].vectorSize, 14);
    ASSERT_EQ(samples()[1].vectorSize, 15);
    EXPECT_EQ(samples()[1].Float64(14), 0.0);
    ASSERT_EQ(samples()[2].vectorSize, 15);
    EXPECT_EQ(samples()[2].Float64(14), 200.0);
    EXPECT_EQ(samples()[3].vectorSize, 14);
    EXPECT_EQ(samples()[4].Float64(14), 2147483647.0);
}

TEST_F(Writers, EmptyRawRecordStillWrittenAndStamped) {
    WriteGPSRaw(component(), records::raw({}).gpsRawData, "oRaw", t);
    ASSERT_EQ(samples().size(), 1u);
    EXPECT_EQ(samples()[0].vectorSize, 0);
    EXPECT_EQ(samples()[0].timestamp, t);
}

// A sample that does not fit is refused whole, with one report naming the pin, as the copy operations do.
TEST_F(Writers, SampleTooLargeForItsOutputRefusedWithOneReport) {
    run.decoder.AddOutput("oSmallRaw", ElementType::Stream8, 2);
    run.decoder.AddOutput("oTiny", ElementType::Integer64, 2);
    ZuvBinaryLogData log = records::raw({7});
    log.gpsRawData.bufferSize = 0xFFFFFFFFu;  // the record's whole buffer, 4096, exceeds the 4086 of oRaw
    WriteGPSRaw(component(), log.gpsRawData, "oRaw", t);
    log.gpsRawData.bufferSize = 3;
    WriteGPSRaw(component(), log.gpsRawData, "oSmallRaw", t);
    WriteEvent(component(), records::event(1000, 0x1E, 1, 2, 3, 4).eventMarker, "oTiny", t, 9);
    EXPECT_TRUE(samples().empty());
    const auto &reports = run.decoder.Reports();
    ASSERT_EQ(reports.size(), 3u);
    const char *pins[] = {"oRaw", "oSmallRaw", "oTiny"};
    const char *counts[] = {"4096", "3", "6"};
    for (size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].level, 2);
        EXPECT_EQ(reports[i].text.rfind("Cannot write ", 0), 0u) << reports[i].text;
        EXPECT_NE(reports[i].text.find(std::string(counts[i]) + " elements on pin "), std::string::npos)
            << reports[i].text;
        EXPECT_NE(reports[i].text.find(pins[i]), std::string::npos) << reports[i].text;
    }
}

TEST_F(Writers, LargestRawPayloadWrittenWhole) {
    ZuvBinaryLogData log = records::raw({7});
    log.gpsRawData.bufferSize = 4086;
    log.gpsRawData.rawBuffer[4085] = 9;
    WriteGPSRaw(component(), log.gpsRawData, "oRaw", t);
    ASSERT_EQ(samples().size(), 1u);
    EXPECT_EQ(samples()[0].vectorSize, 4086);
    EXPECT_EQ(samples()[0].bytes[0], 7);
    EXPECT_EQ(samples()[0].bytes[4085], 9);
    EXPECT_TRUE(run.decoder.Reports().empty());
}

TEST_F(Writers, EventsWithEveryOffsetAndTheAppendedValue) {
    WriteEvent(component(), records::event(100, 0x1F, 1, 2, 3, 4).eventMarker, "oEvents", t, 0);
    WriteEvent(component(), records::event(100, 0x10, 1, 2, 3, 4).eventMarker, "oEvents", t, 5);
    ASSERT_EQ(samples().size(), 2u);
    ASSERT_EQ(samples()[0].vectorSize, 6);
    EXPECT_EQ(samples()[0].Integer64(4), 104);
    EXPECT_EQ(samples()[0].Integer64(5), 0);
    ASSERT_EQ(samples()[1].vectorSize, 3);
    EXPECT_EQ(samples()[1].Integer64(1), 104);
    EXPECT_EQ(samples()[1].Integer64(2), 5);
}

TEST_F(Writers, NothingWhileTheComponentIsNotRunning) {
    run.decoder.Death();
    WriteImuData(component(), records::imu().imuData, t, true, 3);
    WriteGPSRaw(component(), records::raw({1}).gpsRawData, "oRaw", t);
    EXPECT_TRUE(samples().empty());
}

TEST(DecoderAction, LifeCheckingOnlyReportsThatTheDecoderHasNoAliveProperty) {
    DecoderRun run;
    ASSERT_EQ(run.decoder.Action(0), MAPS_GLUE_RETURNED);
    ASSERT_EQ(run.decoder.Reports().size(), 1u);
    EXPECT_NE(run.decoder.Reports()[0].text.find("pAlive"), std::string::npos);
    EXPECT_FALSE(run.decoder.HasProperty("pAlive"));
}

}  // namespace
}  // namespace zuv::test
