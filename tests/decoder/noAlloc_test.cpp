// Decoding runs once per frame on the decoder's thread: from the sample to the
// published outputs it must not touch the heap, whatever the options.
#include <gtest/gtest.h>

#include <ostream>

#include "decoderFixture.h"
#include "zuvAllocationCounter.h"

namespace zuv::test {
namespace {

const char *const kEveryKind[] = {"pStatus",  "pUtcTime", "pImuData", "pMag",     "pMagCalib", "pEkfEuler",
                                  "pEkfQuat", "pEkfNav",  "pGps1Vel", "pGps1Pos", "pGps1Hdt",  "pGps1Raw",
                                  "pGps2Vel", "pGps2Pos", "pGps2Hdt", "pGps2Raw", "pOdoVel",   "pEventA",
                                  "pEventB",  "pEventC",  "pEventD",  "pEventE",  "pDvlBottomTrack",
                                  "pDvlWaterTrack", "pAirData", "pUsbl"};

// One sample with a frame of every kind and a few ids without a writer.
FrameBytes everyKindSample() {
    return concat({logFrame(1, records::status()), logFrame(2, records::utc()), logFrame(3, records::imu()),
                   logFrame(4, records::mag()), logFrame(5, records::magCalib()), logFrame(6, records::ekfEuler()),
                   logFrame(7, records::ekfQuat()), logFrame(8, records::ekfNav()),
                   logFrame(9, records::shipMotion()), logFrame(13, records::gpsVel()),
                   logFrame(14, records::gpsPos()), logFrame(15, records::gpsHdt()), logFrame(16, records::gpsVel()),
                   logFrame(17, records::gpsPos()), logFrame(18, records::gpsHdt()),
                   logFrame(19, records::odometer()), logFrame(24, records::event(1, 0x1E, 1, 2, 3, 4)),
                   logFrame(25, records::event(1, 0x02, 1, 2, 3, 4)), logFrame(26, records::event(1, 0, 0, 0, 0, 0)),
                   logFrame(27, records::event(1, 0x10, 1, 2, 3, 4)), logFrame(28, records::event(1, 4, 1, 2, 3, 4)),
                   logFrame(29, records::dvl()), logFrame(30, records::dvl()), logFrame(31, records::raw({1, 2, 3})),
                   logFrame(36, records::airData()), logFrame(37, records::usbl()),
                   logFrame(38, records::raw({4, 5})), buildFrame(20, 1, std::vector<uint8_t>{1, 2})});
}

struct Options {
    const char *name;
    bool framerates;
    bool downSampling;
    bool twins;
};

void PrintTo(const Options &options, std::ostream *os) { *os << options.name; }

class NoAllocation : public ::testing::TestWithParam<Options> {};

TEST_P(NoAllocation, PerFrameFromSampleToOutputs) {
    const Options options = GetParam();
    DecoderRun run;
    run.harness.setPublishHook(nullptr);
    run.harness.keepSamples(false);
    for (const char *property : kEveryKind) run.enable(property);
    run.set("pAddOriginalFramerate", options.framerates).set("pInternalTimestamp", options.twins);
    run.set("pDownSampling", options.downSampling);
    if (options.downSampling) run.set("pNewFramerate", 50);
    run.start(0);
    run.harness.feedForever(0, 10000, everyKindSample());
    ASSERT_EQ(run.harness.coreOnce(), MAPS_GLUE_RETURNED);  // first sample outside the window
    long allocations = 0;
    {
        AllocationWindow window;
        for (int i = 0; i < 2000; ++i) run.harness.coreOnce();
        allocations = window.count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_TRUE(run.harness.reports().empty());
    // Every kind written each time, twins too when asked: nothing silently skipped.
    // 17 kinds have a twin; down-sampled, every second sample gets through.
    const uint64_t perSample = options.twins ? 26 + 17 : 26;
    const uint64_t samples = options.downSampling ? 1000 : 2001;
    EXPECT_EQ(run.harness.published(), perSample * samples);
}

INSTANTIATE_TEST_SUITE_P(Decoder, NoAllocation,
                         ::testing::Values(Options{"Plain", false, false, false}, Options{"Twins", false, false, true},
                                           Options{"Everything", true, true, true}),
                         [](const ::testing::TestParamInfo<Options> &param) { return param.param.name; });

TEST(NoAllocationCounter, SeesAllocations) {
    AllocationWindow window;
    delete new int(1);
    EXPECT_GE(window.count(), 1);
}

}  // namespace
}  // namespace zuv::test
