// Settings actions: save, reboot, restore defaults, and the settings file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "hostLink.h"

namespace zuv::test {
namespace {

// A reboot keeps the device away for about a second of its own time.
constexpr uint64_t kAfterReboot = 1010000;

uint32_t motionProfile(ZuvEComHandle *h) {
    ZuvEComModelInfo model{};
    EXPECT_EQ(zuvEComCmdSensorGetMotionProfileInfo(h, &model), ZUV_NO_ERROR);
    return model.id;
}

class Settings : public ::testing::TestWithParam<LinkKind> {};

TEST_P(Settings, RebootComesBackWithTheSavedSettingsAndRestoreGoesToTheFactorys) {
    SimConfig config;
    config.clock = ClockMode::Manual;
    Connected c = connect(GetParam(), config);
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();
    ZuvEComHandle *h = &c.host->handle;

    ASSERT_EQ(zuvEComCmdSensorSetMotionProfileId(h, 3), ZUV_NO_ERROR);
    ASSERT_EQ(zuvEComCmdSettingsAction(h, ZUV_ECOM_SAVE_SETTINGS), ZUV_NO_ERROR);
    ASSERT_EQ(zuvEComCmdSensorSetMotionProfileId(h, 5), ZUV_NO_ERROR);
    EXPECT_EQ(motionProfile(h), 5u);

    ASSERT_EQ(zuvEComCmdSettingsAction(h, ZUV_ECOM_REBOOT_ONLY), ZUV_NO_ERROR);
    c.sim->advance(kAfterReboot);
    EXPECT_EQ(motionProfile(h), 3u);

    ASSERT_EQ(zuvEComCmdSettingsAction(h, ZUV_ECOM_RESTORE_DEFAULT_SETTINGS), ZUV_NO_ERROR);
    EXPECT_EQ(motionProfile(h), 1u);
    ASSERT_EQ(zuvEComCmdSettingsAction(h, ZUV_ECOM_REBOOT_ONLY), ZUV_NO_ERROR);
    c.sim->advance(kAfterReboot);
    EXPECT_EQ(motionProfile(h), 3u);  // restoring does not save
}

INSTANTIATE_TEST_SUITE_P(Links, Settings, ::testing::Values(LinkKind::Pty, LinkKind::Udp), linkName);

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zuv-sim-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        directory = pattern;
        path = directory + "/device.settings";
    }
    void TearDown() override {
        std::remove(path.c_str());
        ::rmdir(directory.c_str());
    }
    std::string directory;
    std::string path;
};

TEST_F(SettingsFile, SavedSettingsOutliveTheDeviceAndABrokenFileStopsTheStart) {
    SimConfig config;
    config.clock = ClockMode::Manual;
    config.settingsFile = path;
    {
        Connected c = connect(LinkKind::Pty, config);
        ASSERT_NE(c.host, nullptr) << c.sim->errorText();
        ASSERT_EQ(zuvEComCmdOutputSetConf(&c.host->handle, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 14,
                                          ZUV_ECOM_OUTPUT_MODE_NEW_DATA),
                  ZUV_NO_ERROR);
        ASSERT_EQ(zuvEComCmdSettingsAction(&c.host->handle, ZUV_ECOM_SAVE_SETTINGS), ZUV_NO_ERROR);
    }
    {
        Simulator again(config);
        ASSERT_EQ(again.start(), ZUV_NO_ERROR) << again.errorText();
        EXPECT_EQ(again.outputMode(0, 0, 14), ZUV_ECOM_OUTPUT_MODE_NEW_DATA);
    }
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(20);
        file.put('\x7F');
    }
    Simulator broken(config);
    EXPECT_EQ(broken.start(), ZUV_ERROR);
    EXPECT_NE(broken.errorText().find("not a usable settings file"), std::string::npos);
}

TEST_F(SettingsFile, ASaveThatCannotWriteItsFileIsRefused) {
    SimConfig config;
    config.clock = ClockMode::Manual;
    config.settingsFile = directory + "/missing/device.settings";
    Connected c = connect(LinkKind::Pty, config);
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();
    EXPECT_EQ(zuvEComCmdSettingsAction(&c.host->handle, ZUV_ECOM_SAVE_SETTINGS), ZUV_ERROR);
}

}  // namespace
}  // namespace zuv::test
