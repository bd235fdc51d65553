// Every log kind at 200 Hz for a few seconds: every frame the simulator wrote
// reaches oData, in order and byte for byte. Speed is measured by the benchmark.
#include <gtest/gtest.h>

#include "zuvReaderSoak.h"

namespace zuv::test {

TEST(ReaderSoak, EveryFrameArrivesInOrderByteForByte) {
    zuv::test::SoakOptions options;
    options.package = zuv::test::PackageBesideProgram();
    options.seconds = 3;
    const zuv::test::SoakResult result = zuv::test::RunReaderSoak(options);
    EXPECT_EQ(result.failure, "");
    EXPECT_GT(result.framesReceived, 26u * 100u);
    EXPECT_EQ(result.framesReceived, result.framesSent);
}

}  // namespace zuv::test
