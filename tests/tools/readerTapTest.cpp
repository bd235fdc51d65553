// What the status line and the summary make of the reader's samples.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "readerTap.h"

using ::testing::HasSubstr;

namespace zuv::test {
using namespace zuv::tool;
namespace {

host::SampleView view(const std::string &output, const void *data, int vectorSize, size_t bytes) {
    static const std::string instance = "reader";
    static std::string name;
    name = output;
    return host::SampleView{&instance, &name, 0, host::ElementType::Stream8, vectorSize, 0, data, bytes};
}

TEST(ReaderTap, LinkStatisticsReplaceTheCrcCountAndAddTheirOwn) {
    ReaderTap tap;
    EXPECT_THAT(tap.status(), HasSubstr("CRC errors 0"));
    EXPECT_FALSE(tap.hasLinkStatistics());
    const int64_t counts[9] = {1000, 20, 3, 44, 5, 6, 7, 8, 9};
    tap.statisticsCallback()(view("oLinkStatistics", counts, 9, sizeof counts));
    ASSERT_TRUE(tap.hasLinkStatistics());
    const std::string status = tap.status();
    EXPECT_THAT(status, HasSubstr("CRC errors 3 "));
    EXPECT_THAT(status, HasSubstr("discarded 44 B  class drops 5  read errors 6  losses 7  reconnections 8  "
                                  "kernel drops 9"));
    EXPECT_EQ(linkCountsText(tap.linkStatistics()),
              "bytes 1000  discarded 44  CRC drops 3  class drops 5  read errors 6  losses 7  reconnections 8  "
              "kernel drops 9");
}

TEST(ReaderTap, ShortStatisticsSamplesAreReadOnlyAsFarAsTheyGo) {
    ReaderTap tap;
    const int64_t counts[2] = {11, 12};
    tap.statisticsCallback()(view("oLinkStatistics", counts, 9, sizeof counts));
    const auto read = tap.linkStatistics();
    EXPECT_EQ(read[0], 11);
    EXPECT_EQ(read[1], 12);
    EXPECT_EQ(read[2], 0);
}

TEST(ReaderTap, SummaryComparesEachConfiguredRateWithItsArrivals) {
    ReaderTap tap;
    const uint8_t imu[9] = {0xFF, 0x5A, 3, 0, 0, 0, 0, 0, 0x33};
    const uint8_t nav[9] = {0xFF, 0x5A, 8, 0, 0, 0, 0, 0, 0x33};
    for (int i = 0; i < 10; ++i) tap.callback()(view("oData", imu, 9, 9));
    tap.callback()(view("oData", nav, 9, 9));
    const std::string summary =
        tap.summary({{"pImuData", "200 Hz"}, {"pEkfNav", "1 Hz"}, {"pMag", "On PPS"}}, {3, 8, 4});
    EXPECT_THAT(summary, HasSubstr("pImuData: set 200 Hz, arrived "));
    EXPECT_THAT(summary, HasSubstr("pEkfNav: set 1 Hz, arrived "));
    EXPECT_THAT(summary, HasSubstr("pMag: set On PPS, arrived 0.0 frames/s\n"));
    EXPECT_EQ(summary.find("link:"), std::string::npos) << "no statistics, no link line";
    EXPECT_EQ(tap.summary({}, {}), "");
}

}  // namespace
}  // namespace zuv::test
