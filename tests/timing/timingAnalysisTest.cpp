// What `zuv timing` computes, on streams whose gaps and jumps are known.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "timingAnalysis.h"

namespace zuv::test {
using namespace zuv::tool;
namespace {

const KindTiming &kindOf(const TimingReport &report, uint8_t id) {
    for (const KindTiming &kind : report.kinds) {
        if (kind.id == id) return kind;
    }
    static const KindTiming none;
    ADD_FAILURE() << "no kind " << int(id);
    return none;
}

struct GapCase {
    const char *name;
    std::set<int> missing;  // frame numbers never sent
    uint64_t gaps;
    uint64_t largestGapFrames;
};

void PrintTo(const GapCase &c, std::ostream *os) {
    *os << c.name;
}

class Gaps : public ::testing::TestWithParam<GapCase> {};

TEST_P(Gaps, AreFoundExactlyAtTheExpectedSpacing) {
    const GapCase c = GetParam();
    TimingAnalysis analysis;
    uint64_t sent = 0;
    for (int i = 0; i < 1000; ++i) {
        if (i % 100 == 0) analysis.addFrame(1000000 + i * 5000 + 900, 31, false, 0);
        if (c.missing.count(i) != 0) continue;
        // 200 Hz, the 32-bit counter wrapping half-way, arrivals 1 to 3 ms late.
        const uint32_t ts = 0xFFFFFFFFu - 2500000u + static_cast<uint32_t>(i) * 5000u;
        analysis.addFrame(1000000 + i * 5000 + 1000 + (i % 3) * 1000, 3, true, ts);
        ++sent;
    }
    const TimingReport report = analysis.report();
    EXPECT_EQ(report.frames, sent + 10);
    const KindTiming &imu = kindOf(report, 3);
    EXPECT_EQ(imu.frames, sent);
    EXPECT_TRUE(imu.deviceClock);
    EXPECT_EQ(imu.spacingUs, 5000);
    EXPECT_DOUBLE_EQ(imu.rateHz, 200.0);
    EXPECT_EQ(imu.gaps, c.gaps);
    EXPECT_EQ(imu.missingFrames, c.missing.size());
    EXPECT_EQ(imu.largestGapFrames, c.largestGapFrames);
    EXPECT_EQ(imu.largestGapUs, c.gaps == 0 ? 0 : static_cast<int64_t>(c.largestGapFrames + 1) * 5000);
    EXPECT_EQ(imu.clockJumps, 0);
    EXPECT_GE(imu.jitterMedianUs, 0);
    EXPECT_LE(imu.jitterP99Us, 3000);
    const KindTiming &raw = kindOf(report, 31);
    EXPECT_EQ(raw.frames, 10u);
    EXPECT_FALSE(raw.deviceClock);
    EXPECT_TRUE(report.clockJumpsAt.empty());
}

INSTANTIATE_TEST_SUITE_P(Timing, Gaps,
                         ::testing::Values(GapCase{"None", {}, 0, 0}, GapCase{"One", {500}, 1, 1},
                                           GapCase{"EveryTenth", {10, 20, 30, 40, 50, 60, 70, 80, 90}, 9, 1},
                                           GapCase{"AcrossTheWrap", {499, 500, 501, 700}, 2, 3}),
                         [](const ::testing::TestParamInfo<GapCase> &param) { return std::string(param.param.name); });

TEST(TimingAnalysis, AClockJumpIsReportedAndNoGapIsCountedAcrossIt) {
    TimingAnalysis analysis;
    for (int i = 0; i < 600; ++i) analysis.addFrame(1000000 + i * 5000 + 500, 3, true, 90000000u + i * 5000u);
    const int64_t rebootArrival = 1000000 + 600 * 5000 + 1000000;
    for (int i = 0; i < 600; ++i) analysis.addFrame(rebootArrival + i * 5000 + 500, 3, true, 20u + i * 5000u);
    const TimingReport report = analysis.report();
    ASSERT_EQ(report.clockJumpsAt.size(), 1u);
    EXPECT_EQ(report.clockJumpsAt[0], rebootArrival + 500);
    const KindTiming &imu = kindOf(report, 3);
    EXPECT_EQ(imu.clockJumps, 1);
    EXPECT_EQ(imu.gaps, 0u);
    EXPECT_EQ(imu.jitterMedianUs, 0);
}

}  // namespace
}  // namespace zuv::test
