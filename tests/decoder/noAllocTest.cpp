// Decoding runs once per frame on the decoder's thread: from the sample to the
// published outputs it must not touch the heap, whatever the options.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

#include "decoderFixture.h"
#include "zuvAllocationCounter.h"

namespace zuv::test {
namespace {

const char *const kEveryKind[] = {"pStatus",  "pUtcTime", "pImuData", "pMag",     "pMagCalib",       "pEkfEuler",
                                  "pEkfQuat", "pEkfNav",  "pGps1Vel", "pGps1Pos", "pGps1Hdt",        "pGps1Raw",
                                  "pGps2Vel", "pGps2Pos", "pGps2Hdt", "pGps2Raw", "pOdoVel",         "pEventA",
                                  "pEventB",  "pEventC",  "pEventD",  "pEventE",  "pDvlBottomTrack", "pDvlWaterTrack",
                                  "pAirData", "pUsbl"};

// Every record with a layout starts with its ts: one device time for the whole sample.
ZuvBinaryLogData at(ZuvBinaryLogData log, uint32_t ts) {
    std::memcpy(&log, &ts, sizeof(ts));
    return log;
}

// One sample with a frame of every kind and a few ids without a writer.
FrameBytes everyKindSample(uint32_t ts) {
    const auto T = [ts](ZuvBinaryLogData log) { return at(log, ts); };
    return concat({logFrame(1, T(records::status())),
                   logFrame(2, T(records::utc())),
                   logFrame(3, T(records::imu())),
                   logFrame(4, T(records::mag())),
                   logFrame(5, T(records::magCalib())),
                   logFrame(6, T(records::ekfEuler())),
                   logFrame(7, T(records::ekfQuat())),
                   logFrame(8, T(records::ekfNav())),
                   logFrame(9, T(records::shipMotion())),
                   logFrame(13, T(records::gpsVel())),
                   logFrame(14, T(records::gpsPos())),
                   logFrame(15, T(records::gpsHdt())),
                   logFrame(16, T(records::gpsVel())),
                   logFrame(17, T(records::gpsPos())),
                   logFrame(18, T(records::gpsHdt())),
                   logFrame(19, T(records::odometer())),
                   logFrame(24, T(records::event(1, 0x1E, 1, 2, 3, 4))),
                   logFrame(25, T(records::event(1, 0x02, 1, 2, 3, 4))),
                   logFrame(26, T(records::event(1, 0, 0, 0, 0, 0))),
                   logFrame(27, T(records::event(1, 0x10, 1, 2, 3, 4))),
                   logFrame(28, T(records::event(1, 4, 1, 2, 3, 4))),
                   logFrame(29, T(records::dvl())),
                   logFrame(30, T(records::dvl())),
                   logFrame(31, records::raw({1, 2, 3})),
                   logFrame(36, T(records::airData())),
                   logFrame(37, T(records::usbl())),
                   logFrame(38, records::raw({4, 5})),
                   buildFrame(20, 1, std::vector<uint8_t>{1, 2})});
}

struct Options {
    const char *name;
    bool framerates;
    bool downSampling;
    bool twins;
    bool deviceClock = false;
};

void PrintTo(const Options &options, std::ostream *os) {
    *os << options.name;
}

class NoAllocation : public ::testing::TestWithParam<Options> {};

TEST_P(NoAllocation, PerFrameFromSampleToOutputs) {
    const Options options = GetParam();
    DecoderRun run;
    run.decoder.SetSink(nullptr);
    run.decoder.KeepSamples(false);
    for (const char *property : kEveryKind) run.enable(property);
    run.set("pAddOriginalFramerate", options.framerates).set("pInternalTimestamp", options.twins);
    run.set("pDownSampling", options.downSampling);
    if (options.downSampling) run.set("pNewFramerate", 50);
    run.set("pDeviceClockTimestamps", options.deviceClock);
    run.start(0);
    // The device clock stands still in the repeated sample: so does the arrival, or that is a clock jump.
    run.decoder.PushForever(0, options.deviceClock ? 0 : 10000, everyKindSample(777));
    ASSERT_EQ(run.decoder.Core(), MAPS_GLUE_RETURNED);  // first sample outside the window
    long allocations = 0;
    {
        AllocationWindow window;
        for (int i = 0; i < 2000; ++i) run.decoder.Core();
        allocations = window.count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_TRUE(run.decoder.Reports().empty());
    // Every kind written each time, twins too when asked: nothing silently skipped.
    // 17 kinds have a twin; down-sampled, every second sample gets through.
    const uint64_t perSample = options.twins ? 26 + 17 : 26;
    const uint64_t samples = options.downSampling ? 1000 : 2001;
    EXPECT_EQ(run.decoder.Published(), perSample * samples);
}

INSTANTIATE_TEST_SUITE_P(Decoder, NoAllocation,
                         ::testing::Values(Options{"Plain", false, false, false}, Options{"Twins", false, false, true},
                                           Options{"Everything", true, true, true},
                                           Options{"DeviceClock", true, false, true, true}),
                         [](const ::testing::TestParamInfo<Options> &param) { return param.param.name; });

TEST(NoAllocationCounter, SeesAllocations) {
    AllocationWindow window;
    delete new int(1);
    EXPECT_GE(window.count(), 1);
}

}  // namespace
}  // namespace zuv::test
