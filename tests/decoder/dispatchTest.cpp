// Dispatch per message id, measured framerates, down-sampling, and the
// statistics' life from one start to the next.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "decoderFixture.h"

namespace zuv::test {
namespace {

FrameBytes imuFrame() {
    return logFrame(3, records::imu());
}
FrameBytes statusFrame() {
    return logFrame(1, records::status());
}

std::vector<std::string> outputsOf(const std::vector<StepSample> &samples) {
    std::vector<std::string> names;
    for (const auto &sample : samples) names.push_back(sample.output);
    return names;
}

TEST(Dispatch, TwoKindsInOneSampleShareItsTimestamp) {
    DecoderRun run;
    run.enable("pStatus").enable("pImuData").start();
    run.decode(777, concat({statusFrame(), imuFrame()}));
    const auto &samples = run.decoder.Samples();
    EXPECT_EQ(outputsOf(samples), (std::vector<std::string>{"oStatus", "oImu", "oImuInternalTimestamp"}));
    for (const auto &sample : samples) EXPECT_EQ(sample.timestamp, 777);
}

TEST(Dispatch, DisabledKindWritesNothingAndSaysNothing) {
    DecoderRun run;
    run.enable("pStatus").start();
    run.decode(1, imuFrame());
    EXPECT_TRUE(run.decoder.Samples().empty());
    EXPECT_TRUE(run.decoder.Reports().empty());
}

TEST(Dispatch, SecondReceiverAndRawRouting) {
    DecoderRun run;
    run.enable("pGps2Pos").enable("pGps1Raw").set("pAddOriginalFramerate", 1).start();
    run.decode(1, logFrame(17, records::gpsPos()));
    run.decode(1500000, concat({logFrame(31, records::raw({1, 2, 3})), logFrame(17, records::gpsPos())}));
    const auto &samples = run.decoder.Samples();
    EXPECT_EQ(outputsOf(samples), (std::vector<std::string>{"oGps2Pos", "oGps2PosInternalTimestamp", "oGps1Raw",
                                                            "oGps2Pos", "oGps2PosInternalTimestamp"}));
    // The window closed on the raw frame: the raw sample still carries only its bytes.
    EXPECT_EQ(samples[2].vectorSize, 3);
    EXPECT_EQ(samples[3].vectorSize, 13);
    EXPECT_EQ(samples[3].Float64(12), 1.0);
}

TEST(Dispatch, IdsWithoutAWriterWriteNothing) {
    static const char *const kAll[] = {
        "pStatus",  "pUtcTime",        "pImuData",       "pMag",     "pMagCalib", "pEkfEuler", "pEkfQuat",
        "pEkfNav",  "pGps1Vel",        "pGps1Pos",       "pGps1Hdt", "pGps1Raw",  "pGps2Vel",  "pGps2Pos",
        "pGps2Hdt", "pGps2Raw",        "pOdoVel",        "pEventA",  "pEventB",   "pEventC",   "pEventD",
        "pEventE",  "pDvlBottomTrack", "pDvlWaterTrack", "pAirData", "pUsbl"};
    DecoderRun run;
    for (const char *property : kAll) run.enable(property);
    run.start();
    run.decode(1, logFrame(9, records::shipMotion()));
    for (uint8_t id : {0, 10, 11, 12, 20, 21, 22, 23, 32, 33, 34, 35}) {
        run.decode(2, buildFrame(id, 0, std::vector<uint8_t>{1, 2, 3}));
    }
    EXPECT_TRUE(run.decoder.Samples().empty());
    EXPECT_TRUE(run.decoder.Reports().empty());
}

// Steady IMU frames every 10 ms from t = 10 ms, with Birth at 0.
class Framerates : public ::testing::Test {
protected:
    void feedImu(DecoderRun &run, int from, int to) {
        for (int k = from; k <= to; ++k) run.decode(10000LL * k, imuFrame());
    }
};

TEST_F(Framerates, AbsentUntilTheFirstWindowClosesThenTheLastWindowsCount) {
    DecoderRun run;
    run.set("pInternalTimestamp", 0).set("pAddOriginalFramerate", 1).enable("pImuData").start(0);
    feedImu(run, 1, 303);
    const auto &samples = run.decoder.Samples();
    ASSERT_EQ(samples.size(), 303u);
    for (int k = 1; k <= 100; ++k) ASSERT_EQ(samples[k - 1].vectorSize, 14) << "frame " << k;
    // t = 1 010 000 is the first stamp more than a second after Birth: it closes
    // the window it is counted in, so 101 frames.
    for (int k = 101; k <= 303; ++k) {
        ASSERT_EQ(samples[k - 1].vectorSize, 15) << "frame " << k;
        ASSERT_EQ(samples[k - 1].Float64(14), 101.0) << "frame " << k;
    }
}

TEST_F(Framerates, NeverAppendedWhenOff) {
    DecoderRun run;
    run.set("pInternalTimestamp", 0).enable("pImuData").start(0);
    feedImu(run, 1, 250);
    for (const auto &sample : run.decoder.Samples()) ASSERT_EQ(sample.vectorSize, 14);
}

TEST_F(Framerates, CountsDisabledAndSilentKindsAndDropsToZero) {
    DecoderRun run;
    run.set("pAddOriginalFramerate", 1).enable("pStatus").start(0);
    run.decode(500000, statusFrame());   // window 1: one status frame
    run.decode(1000000, imuFrame());     // exactly one second: window still open
    run.decode(1000001, imuFrame());     // closes window 1 (status 1, IMU 2)
    run.decode(1100000, statusFrame());  // published: 1
    run.decode(2200000, imuFrame());     // closes window 2 (status 1)
    run.decode(3300000, imuFrame());     // closes window 3 (status 0)
    run.decode(3400000, statusFrame());
    const auto &samples = run.decoder.Samples();
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(samples[0].vectorSize, 7);
    ASSERT_EQ(samples[1].vectorSize, 8);
    EXPECT_EQ(samples[1].Integer64(7), 1);
    ASSERT_EQ(samples[2].vectorSize, 8);
    EXPECT_EQ(samples[2].Integer64(7), 0);
}

TEST_F(Framerates, ResetAtEveryStart) {
    DecoderRun run;
    run.set("pInternalTimestamp", 0).set("pAddOriginalFramerate", 1).enable("pImuData").start(0);
    feedImu(run, 1, 150);
    ASSERT_EQ(run.decoder.Samples().back().vectorSize, 15);
    run.stop();
    run.decoder.TakeSamples();

    run.start(10000000);
    run.decode(10500000, imuFrame());
    run.decode(11000000, imuFrame());  // one second after the new Birth: window still open
    run.decode(11000001, imuFrame());
    const auto samples = run.decoder.TakeSamples();
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(samples[0].vectorSize, 14);
    EXPECT_EQ(samples[1].vectorSize, 14);
    ASSERT_EQ(samples[2].vectorSize, 15);
    EXPECT_EQ(samples[2].Float64(14), 3.0);
}

TEST(DownSampling, TwoPerSecondOnTenHertzWritesEveryFourthFrame) {
    DecoderRun run;
    run.set("pInternalTimestamp", 0).set("pDownSampling", 1).enable("pImuData").start(0);
    ASSERT_EQ(run.decoder.Get("pNewFramerate"), 2);
    for (int k = 1; k <= 20; ++k) run.decode(100000LL * k, imuFrame());
    std::vector<int64_t> written;
    for (const auto &sample : run.decoder.Samples()) written.push_back(sample.timestamp);
    EXPECT_EQ(written, (std::vector<int64_t>{400000, 800000, 1200000, 1600000, 2000000}));
}

TEST(DownSampling, SecondFrameOfAnIdInOneSampleIsDropped) {
    DecoderRun run;
    run.set("pInternalTimestamp", 0).set("pDownSampling", 1).enable("pImuData").enable("pStatus").start(0);
    run.decode(5000000, concat({imuFrame(), statusFrame(), imuFrame()}));
    EXPECT_EQ(outputsOf(run.decoder.Samples()), (std::vector<std::string>{"oImu", "oStatus"}));
}

struct PeriodCase {
    int64_t framerate;
    int64_t minPeriod;  // 0: every frame written
};

// The numeric case names alone would make ctest list the struct's bytes.
void PrintTo(const PeriodCase &c, std::ostream *os) {
    *os << "framerate" << c.framerate;
}

class MinimumPeriod : public ::testing::TestWithParam<PeriodCase> {};

TEST_P(MinimumPeriod, FirstFrameWrittenOncePeriodHasPassedSinceStart) {
    const PeriodCase c = GetParam();
    DecoderRun run;
    run.set("pInternalTimestamp", 0).set("pDownSampling", 1).set("pNewFramerate", c.framerate);
    run.enable("pImuData").start(1000);
    run.decode(1000 + c.minPeriod - 1, imuFrame());
    run.decode(1000 + c.minPeriod, imuFrame());
    run.decode(1000 + c.minPeriod, imuFrame());
    const size_t expected = c.minPeriod == 0 ? 3 : 1;
    ASSERT_EQ(run.decoder.Samples().size(), expected);
    EXPECT_EQ(run.decoder.Samples().back().timestamp, 1000 + c.minPeriod);
}

INSTANTIATE_TEST_SUITE_P(Framerates, MinimumPeriod,
                         ::testing::Values(PeriodCase{2, 375000}, PeriodCase{3, 250000}, PeriodCase{7, 107142},
                                           PeriodCase{750001, 0}, PeriodCase{0, 0}, PeriodCase{-4, 0}),
                         [](const ::testing::TestParamInfo<PeriodCase> &param) {
                             const int64_t n = param.param.framerate;
                             return n < 0 ? "minus" + std::to_string(-n) : std::to_string(n);
                         });

TEST(DownSampling, RestartsFromTheNewStartTime) {
    DecoderRun run;
    run.set("pInternalTimestamp", 0).set("pDownSampling", 1).enable("pImuData").start(0);
    run.decode(400000, imuFrame());
    run.stop();
    run.start(5000000);
    run.decode(5374999, imuFrame());
    run.decode(5375000, imuFrame());
    std::vector<int64_t> written;
    for (const auto &sample : run.decoder.Samples()) written.push_back(sample.timestamp);
    EXPECT_EQ(written, (std::vector<int64_t>{400000, 5375000}));
}

TEST(DownSampling, BackwardsJumpKeepsTheIdSilentUntilItCatchesUp) {
    DecoderRun run;
    run.set("pInternalTimestamp", 0).set("pDownSampling", 1).enable("pImuData").start(0);
    run.decode(2000000, imuFrame());
    run.decode(100000, imuFrame());
    run.decode(2374999, imuFrame());
    run.decode(2375000, imuFrame());
    std::vector<int64_t> written;
    for (const auto &sample : run.decoder.Samples()) written.push_back(sample.timestamp);
    EXPECT_EQ(written, (std::vector<int64_t>{2000000, 2375000}));
}

// Recordings can carry any time stamp; differences must not overflow.
TEST(DownSampling, ExtremeTimestampsDoNotOverflow) {
    DecoderRun run;
    run.set("pInternalTimestamp", 0).set("pDownSampling", 1).set("pAddOriginalFramerate", 1);
    run.enable("pImuData").start(0);
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    run.decode(400000, imuFrame());     // written
    run.decode(kMin + 10, imuFrame());  // far in the past: dropped, not wrapped into the future
    run.decode(kMax, imuFrame());       // written, and closes the window
    run.decode(kMin, imuFrame());       // dropped; the window stays open
    std::vector<int64_t> written;
    for (const auto &sample : run.decoder.Samples()) written.push_back(sample.timestamp);
    EXPECT_EQ(written, (std::vector<int64_t>{400000, kMax}));
    ASSERT_EQ(run.decoder.Samples().back().vectorSize, 15);
    EXPECT_EQ(run.decoder.Samples().back().Float64(14), 3.0);
}

}  // namespace
}  // namespace zuv::test
