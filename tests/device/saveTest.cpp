// Save: the device acknowledges, pauses its logs, and the link waits until
// they have been flowing again for two seconds. Waits are checked with wide
// margins: the machine is shared.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "ZuvLogCache.h"
#include "simDeviceLink.h"

namespace zuv::test {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool anyFlagSet() {
    for (bool flag : {gNewStatusDataReceived,
                      gNewUtcDataReceived,
                      gNewImuDataReceived,
                      gNewMagDataReceived,
                      gNewMagCalibDataReceived,
                      gNewEkfEulerDataReceived,
                      gNewEkfQuatDataReceived,
                      gNewEkfNavDataReceived,
                      gNewGps1VelDataReceived,
                      gNewGps1PosDataReceived,
                      gNewGps1HdtDataReceived,
                      gNewGps2VelDataReceived,
                      gNewGps2PosDataReceived,
                      gNewGps2HdtDataReceived,
                      gNewOdometerDataReceived,
                      gNewEventMarkerAReceived,
                      gNewEventMarkerBReceived,
                      gNewEventMarkerCReceived,
                      gNewEventMarkerDReceived,
                      gNewEventMarkerEReceived,
                      gNewDvlBottomTrackDataReceived,
                      gNewDvlWaterTrackDataReceived,
                      gNewGps1RawDataReceived,
                      gNewPressureDataReceived,
                      gNewUsblDataReceived,
                      gNewGps2RawDataReceived,
                      gNewEkfStatusReceived,
                      gNewDataReceived}) {
        if (flag) return true;
    }
    return false;
}

class Save : public ::testing::Test {
protected:
    void SetUp() override { ZuvLogCacheClear(); }
    void TearDown() override { ZuvLogCacheClear(); }
};

TEST_F(Save, ReturnsOnceLogsHaveFlowedForTwoSecondsWithEveryFlagCleared) {
    SimLinkOptions options;
    options.clock = zuv::sim::ClockMode::RealTime;
    options.outputModes = {{ZUV_ECOM_LOG_IMU_DATA, 4}, {ZUV_ECOM_LOG_EKF_NAV, 20}};
    SimLink device(options);
    ASSERT_EQ(device.failure(), "");
    ZuvLogImuData imu{};
    ASSERT_EQ(device.link().GetImu(imu, true), ZUV_NO_ERROR) << "the device streams";
    ZuvLogEkfNavData nav{};
    ASSERT_EQ(device.link().GetEkfNav(nav, true), ZUV_NO_ERROR);
    ASSERT_EQ(device.link().GetImu(imu, true), ZUV_NO_ERROR);
    ASSERT_TRUE(anyFlagSet());

    const Clock::time_point start = Clock::now();
    EXPECT_EQ(device.link().Save(), ZUV_NO_ERROR);
    const double waited = secondsSince(start);
    EXPECT_GE(waited, 2.0);
    EXPECT_LT(waited, 25.0) << "well short of giving up";
    EXPECT_FALSE(anyFlagSet());
    const auto commands = device.commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front().id, ZUV_ECOM_CMD_SETTINGS_ACTION);
    EXPECT_EQ(commands.front().payload, std::vector<uint8_t>{1});
}

TEST_F(Save, RefusedSaveReturnsAtOnce) {
    SimLink device;
    ASSERT_EQ(device.failure(), "");
    device.sim().setCommandRefusal(ZUV_INVALID_PARAMETER);
    gNewStatusDataReceived = true;
    EXPECT_EQ(device.link().Save(), ZUV_INVALID_PARAMETER);
    EXPECT_TRUE(gNewStatusDataReceived);
}

}  // namespace
}  // namespace zuv::test
