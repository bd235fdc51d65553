// Message ids above 48 against the decoder's 49-entry statistics. Our library
// refuses ids above 38; a newer one may not, so this executable stands in a
// parser that accepts every id (for the package objects linked here only).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "decoderFixture.h"

extern "C" ZuvErrorCode zuvEComBinaryLogParse(ZuvEComClass msgClass, uint8_t msgId, const void *pPayload,
                                              size_t payloadSize, ZuvBinaryLogData *pOutputData) {
    using Parse = ZuvErrorCode (*)(ZuvEComClass, uint8_t, const void *, size_t, ZuvBinaryLogData *);
    static const auto library = reinterpret_cast<Parse>(dlsym(RTLD_NEXT, "zuvEComBinaryLogParse"));
    if (msgId <= 38) return library(msgClass, msgId, pPayload, payloadSize, pOutputData);
    std::memcpy(pOutputData->opaqueData.rawBuffer, pPayload, payloadSize);
    pOutputData->opaqueData.bufferSize = static_cast<uint32_t>(payloadSize);
    return ZUV_NO_ERROR;
}

namespace zuv::test {
namespace {

FrameBytes unknownFrame(int id) {
    return buildFrame(static_cast<uint8_t>(id), 0, std::vector<uint8_t>{1, 2, 3, 4});
}

TEST(FutureIds, AreNotCountedIntoOtherIdsFramerates) {
    DecoderRun run;
    run.set("pAddOriginalFramerate", 1).enable("pStatus").start(0);
    for (int id = 39; id <= 255; ++id) run.decode(1000, unknownFrame(id));
    run.decode(2000, logFrame(1, records::status()));
    ASSERT_EQ(run.decoder.Samples().size(), 1u);
    EXPECT_EQ(run.decoder.Samples()[0].vectorSize, 7);  // no framerate yet
    EXPECT_TRUE(run.decoder.Reports().empty());
}

TEST(FutureIds, LeaveDownSamplingAndTheRestOfTheDecoderIntact) {
    DecoderRun run;
    run.set("pInternalTimestamp", 0).set("pDownSampling", 1).set("pAddOriginalFramerate", 1);
    run.enable("pImuData").enable("pStatus").start(0);
    for (int round = 1; round <= 3; ++round) {
        for (int id = 49; id <= 255; ++id) run.decode(round * 1000000LL, unknownFrame(id));
    }
    run.decode(3500000, concat({logFrame(3, records::imu()), logFrame(1, records::status())}));
    const auto &samples = run.decoder.Samples();
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].output, "oImu");
    EXPECT_EQ(samples[0].vectorSize, 15);
    EXPECT_EQ(samples[0].Float64(14), 1.0);  // they closed no window: the IMU frame closed the first
    EXPECT_EQ(samples[1].output, "oStatus");
}

}  // namespace
}  // namespace zuv::test
