#include "webEvents.h"

#include <gtest/gtest.h>

namespace zuv::test {
namespace {

using namespace zuv::tool;

bool flagOn(const nlohmann::json &flags, const std::string &name) {
    for (const auto &f : flags) {
        if (f["name"] == name) return f["on"].get<bool>();
    }
    ADD_FAILURE() << "no flag " << name;
    return false;
}

struct ModeCase {
    uint32_t status;
    int mode;
    const char *name;
};

void PrintTo(const ModeCase &c, std::ostream *os) {
    *os << "0x" << std::hex << c.status << std::dec;
}

class SolutionMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(SolutionMode, LowFourBitsNameTheMode) {
    const nlohmann::json j = solutionJson(GetParam().status);
    EXPECT_EQ(j["mode"], GetParam().mode);
    EXPECT_EQ(j["modeName"], GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Web, SolutionMode,
                         ::testing::Values(ModeCase{0x0, 0, "uninitialized"}, ModeCase{0xF1, 1, "vertical gyro"},
                                           ModeCase{0x2, 2, "AHRS"}, ModeCase{0x8000003, 3, "nav velocity"},
                                           ModeCase{0xFFFFFFF4, 4, "nav position"}, ModeCase{0x7, 7, "unknown"}));

TEST(WebEvents, SolutionFlagsFollowThePredicates) {
    const nlohmann::json j = solutionJson(0x10u | 0x80u | 0x8000000u);
    EXPECT_TRUE(flagOn(j["flags"], "attitude valid"));
    EXPECT_FALSE(flagOn(j["flags"], "heading valid"));
    EXPECT_TRUE(flagOn(j["flags"], "position valid"));
    EXPECT_TRUE(flagOn(j["flags"], "alignment valid"));
    EXPECT_FALSE(flagOn(j["flags"], "ZUPT used"));
    EXPECT_EQ(j["flags"].size(), 22u);
}

LiveFeed::Sample gnssSample(double status, double satellites) {
    LiveFeed::Sample s;
    s.sequence = 1;
    s.count = 13;
    s.values[7] = status;
    s.values[9] = satellites;
    return s;
}

TEST(WebEvents, GnssFixFromTheStatusWord) {
    nlohmann::json j = gnssJson(gnssSample((1u << 6) | 0x1000u, 12));
    EXPECT_TRUE(j["fix"].get<bool>());
    EXPECT_EQ(j["type"], 1);
    EXPECT_EQ(j["satellites"], 12.0);
    EXPECT_TRUE(flagOn(j["flags"], "GPS L1"));
    EXPECT_FALSE(flagOn(j["flags"], "GPS L2"));
    j = gnssJson(gnssSample(1, 0));
    EXPECT_FALSE(j["fix"].get<bool>());
    EXPECT_EQ(j["solution"], 1);
    EXPECT_TRUE(gnssJson(LiveFeed::Sample{}).is_null());
}

TEST(WebEvents, AidingAndLinkCountsAreNamed) {
    const nlohmann::json a = aidingJson(0x1u | 0x8u);
    EXPECT_TRUE(flagOn(a, "GNSS1 position received"));
    EXPECT_FALSE(flagOn(a, "GNSS1 velocity received"));
    EXPECT_TRUE(flagOn(a, "GNSS1 UTC received"));
    const nlohmann::json c = linkCountsJson({1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(c["bytes"], 1);
    EXPECT_EQ(c["frames"], 2);
    EXPECT_EQ(c["crcDrops"], 3);
    EXPECT_EQ(c["discarded"], 4);
    EXPECT_EQ(c["classDrops"], 5);
    EXPECT_EQ(c["readErrors"], 6);
    EXPECT_EQ(c["linkLosses"], 7);
    EXPECT_EQ(c["reconnections"], 8);
    EXPECT_EQ(c["kernelDrops"], 9);
}

TEST(WebEvents, RateWindowCountsFramesPerSecondOverAboutASecond) {
    RateWindow w;
    std::array<uint64_t, 256> counts{};
    w.update(counts, 10.0);
    EXPECT_FALSE(w.ready());
    counts[3] = 100;
    w.update(counts, 10.5);  // too soon: the window goes on
    EXPECT_FALSE(w.ready());
    counts[3] = 200;
    counts[8] = 10;
    w.update(counts, 12.0);
    ASSERT_TRUE(w.ready());
    EXPECT_DOUBLE_EQ(w.rate(3), 100.0);
    EXPECT_DOUBLE_EQ(w.rate(8), 5.0);
    EXPECT_DOUBLE_EQ(w.rate(9), 0.0);
    counts[3] = 210;
    w.update(counts, 13.0);
    EXPECT_DOUBLE_EQ(w.rate(3), 10.0);
}

}  // namespace
}  // namespace zuv::test
