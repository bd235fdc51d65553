// Save against a device that accepts it and then never sends a log: the link
// gives up after about thirty seconds. One test, labelled slow.
#include <gtest/gtest.h>

#include <chrono>

#include "ZuvLogCache.h"
#include "simDeviceLink.h"

namespace zuv::test {
namespace {

TEST(SaveSilent, GivesUpAfterAboutThirtySecondsAndLeavesTheFlags) {
    ZuvLogCacheClear();
    SimLink device;  // factory settings: no log output at all
    ASSERT_EQ(device.failure(), "");
    gNewImuDataReceived = true;

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device.link().Save(), ZUV_ERROR);
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 30.0);
    EXPECT_LT(waited, 120.0);
    EXPECT_TRUE(gNewImuDataReceived) << "flags are only cleared after a confirmed save";
    EXPECT_FALSE(gNewDataReceived);
    ZuvLogCacheClear();
}

}  // namespace
}  // namespace zuv::test
