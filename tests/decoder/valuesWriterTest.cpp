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

std::vector<std::string> names(const char *const *columns, int count) {
    return std::vector<std::string>(columns, columns + count);
}

TEST(ValuesList, NamesInListOrderThenTheFramerate) {
    static_assert(catalogue::valueCountOf<ProbeValues>() == 5);
    const auto &probe = catalogue::ValueNames<ProbeValues>::kNames;
    EXPECT_EQ(names(probe.data(), static_cast<int>(probe.size())),
              (std::vector<std::string>{"depth", "latitude", "offset", "counter", "status", "framerate"}));
    // The records on values lists keep their documented columns.
    const catalogue::Layout &odo = catalogue::layoutOf(catalogue::Record::Odometer);
    EXPECT_EQ(odo.element, catalogue::Element::Float64);
    EXPECT_EQ(names(odo.columns, odo.elementCount), (std::vector<std::string>{"velocity", "status", "framerate"}));
    const catalogue::Layout &status = catalogue::layoutOf(catalogue::Record::Status);
    EXPECT_EQ(status.element, catalogue::Element::Integer64);
    EXPECT_EQ(names(status.columns, status.elementCount),
              (std::vector<std::string>{"timeStamp", "generalStatus", "comStatus", "aidingStatus", "clockStatus",
                                        "reserved2", "reserved3", "framerate"}));
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
    ASSERT_EQ(main.vectorSize, 6);
    EXPECT_EQ(main.Float64(0), static_cast<double>(0.1f));  // widened, not rounded to 0.1
    EXPECT_EQ(main.Float64(1), 48.123456789012345);
    EXPECT_EQ(main.Float64(2), -3.0);
    EXPECT_EQ(main.Float64(3), 4294967295.0);
    EXPECT_EQ(main.Float64(4), 65535.0);
    EXPECT_EQ(main.Float64(5), 12.0);
    const StepSample &twin = samples()[1];
    EXPECT_EQ(twin.output, "oProbeTs");
    EXPECT_EQ(twin.timestamp, t);
    ASSERT_EQ(twin.vectorSize, 1);
    EXPECT_EQ(twin.Integer64(0), 4294967280);  // the device clock, unsigned
}

TEST_F(ValuesWriter, IntegerValuesKeepTheirSignAndWidth) {
    writers::WriteValuesOf<ProbeCounts, MAPSInt64>(component(), probe, "oCounts", "", t, true, 0);
    ASSERT_EQ(samples().size(), 1u);  // no twin: the kind has none
    ASSERT_EQ(samples()[0].vectorSize, 4);
    EXPECT_EQ(samples()[0].Integer64(0), 4294967295);
    EXPECT_EQ(samples()[0].Integer64(1), -3);
    EXPECT_EQ(samples()[0].Integer64(2), 4294967280);
    EXPECT_EQ(samples()[0].Integer64(3), 0);
    EXPECT_EQ(run.takeLines(),
              (std::vector<std::string>{"{\"t\":123456789012,\"pin\":\"decoder.oCounts\",\"type\":\"Integer64\","
                                        "\"data\":[4294967295,-3,4294967280,0]}\n"}));
}

// The sample is the list's values plus the framerate only when it is asked for.
TEST_F(ValuesWriter, FramerateOnlyFromZeroUpAndTwinOnlyWhenAsked) {
    writers::WriteValuesOf<ProbeCounts, MAPSInt64>(component(), probe, "oCountsSmall", "", t, false, -1);
    writers::WriteValuesOf<ProbeCounts, MAPSInt64>(component(), probe, "oCountsSmall", "", t, false, 0);
    writers::WriteValuesOf<ProbeValues, double>(component(), probe, "oProbe", "oProbeTs", t, false, -5);
    ASSERT_EQ(samples().size(), 2u);
    EXPECT_EQ(samples()[0].output, "oCountsSmall");
    EXPECT_EQ(samples()[0].vectorSize, 3);
    EXPECT_EQ(samples()[1].output, "oProbe");
    EXPECT_EQ(samples()[1].vectorSize, 5);
    // Four values cannot go on a three-element output: refused with a report.
    ASSERT_EQ(run.decoder.Reports().size(), 1u);
    EXPECT_NE(run.decoder.Reports()[0].text.find("oCountsSmall"), std::string::npos);
}

}  // namespace
}  // namespace zuv::test
