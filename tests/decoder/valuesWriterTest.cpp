// The generic writer driven over records of this test's own, with a mix of
// field types no catalogue record has, and the catalogue records that are
// laid out by their values lists. The decoder's golden lines cover those
// records end to end; these cover what no current kind reaches.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ZuvWriteValues.h"
#include "decoderFixture.h"

namespace zuv::test {
namespace {

struct ProbeRecord {
    uint32_t timeStamp;
    uint16_t status;
    int8_t offset;
    float depth;
    double latitude;
    uint32_t counter;
};

// Deliberately not in field order.
struct ProbeValues {
    using Type = ProbeRecord;
    template <class O, class D>
    static constexpr void values(O &o, const D &d) {
        o("depth", d.depth), o("latitude", d.latitude), o("offset", d.offset), o("counter", d.counter),
            o("status", d.status);
    }
};

// Integers only, for an Integer64 output.
struct ProbeCounts {
    using Type = ProbeRecord;
    template <class O, class D>
    static constexpr void values(O &o, const D &d) {
        o("counter", d.counter), o("offset", d.offset), o("timeStamp", d.timeStamp);
    }
};

TEST(ValuesList, NamesInListOrderThenTheFramerate) {
    static_assert(catalogue::valueCountOf<ProbeValues>() == 5);
    const auto &names = catalogue::ValueNames<ProbeValues>::kNames;
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.end()),
              (std::vector<std::string>{"depth", "latitude", "offset", "counter", "status", "framerate"}));
}

class ValuesWriter : public ::testing::Test {
protected:
    void SetUp() override {
        run.decoder.AddOutput("oProbe", ElementType::Float64, 6);
        run.decoder.AddOutput("oProbeTs", ElementType::Integer64, 1);
        run.decoder.AddOutput("oCounts", ElementType::Integer64, 4);
        run.decoder.AddOutput("oCountsSmall", ElementType::Integer64, 3);
        run.decoder.Birth();
    }
    const std::vector<StepSample> &samples() { return run.decoder.Samples(); }
    MAPSComponent *component() { return run.decoder.Component(); }

    DecoderRun run;
    const MAPSInt64 t = 123456789012LL;
    const ProbeRecord probe{0xFFFFFFF0u, 0xFFFF, -3, 0.1f, 48.123456789012345, 0xFFFFFFFFu};
};

TEST_F(ValuesWriter, FloatValuesInListOrderThenFramerateThenTwin) {
    writers::WriteValuesOf<ProbeValues, double>(component(), probe, "oProbe", "oProbeTs", t, true, 12);
    ASSERT_EQ(samples().size(), 2u);
    const StepSample &main = samples()[0];
    EXPECT_EQ(main.output, "oProbe");
    EXPECT_EQ(main.timestamp, t);
    std::vector<double> values;
    for (int i = 0; i < main.vectorSize; ++i) values.push_back(main.Float64(i));
    // The float widened, not rounded to 0.1; the unsigned values as they are.
    EXPECT_EQ(values,
              (std::vector<double>{static_cast<double>(0.1f), 48.123456789012345, -3.0, 4294967295.0, 65535.0, 12.0}));
    const StepSample &twin = samples()[1];
    EXPECT_EQ(twin.output, "oProbeTs");
    EXPECT_EQ(twin.timestamp, t);
    ASSERT_EQ(twin.vectorSize, 1);
    EXPECT_EQ(twin.Integer64(0), 4294967280);  // the device clock, unsigned
}

// No twin where the kind has none; the framerate only from 0 up.
TEST_F(ValuesWriter, IntegerValuesKeepTheirSignAndWidth) {
    writers::WriteValuesOf<ProbeCounts, MAPSInt64>(component(), probe, "oCounts", "", t, true, 0);
    writers::WriteValuesOf<ProbeCounts, MAPSInt64>(component(), probe, "oCountsSmall", "", t, true, -1);
    EXPECT_EQ(run.takeLines(),
              (std::vector<std::string>{"{\"t\":123456789012,\"pin\":\"decoder.oCounts\",\"type\":\"Integer64\","
                                        "\"data\":[4294967295,-3,4294967280,0]}\n",
                                        "{\"t\":123456789012,\"pin\":\"decoder.oCountsSmall\",\"type\":\"Integer64\","
                                        "\"data\":[4294967295,-3,4294967280]}\n"}));
    writers::WriteValuesOf<ProbeValues, double>(component(), probe, "oProbe", "oProbeTs", t, false, -5);
    ASSERT_EQ(samples().size(), 3u);
    EXPECT_EQ(samples()[2].vectorSize, 5);
    // Four values for a three-element output are refused with a report.
    writers::WriteValuesOf<ProbeCounts, MAPSInt64>(component(), probe, "oCountsSmall", "", t, false, 0);
    ASSERT_EQ(run.decoder.Reports().size(), 1u);
    EXPECT_NE(run.decoder.Reports()[0].text.find("oCountsSmall"), std::string::npos);
}

}  // namespace
}  // namespace zuv::test
