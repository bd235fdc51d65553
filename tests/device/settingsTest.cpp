// Configuration commands against the simulated device on a pseudo-terminal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "ZuvLogCache.h"
#include "simDeviceLink.h"

using ::testing::IsEmpty;

namespace zuv::test {
namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(device.failure(), "");
        // A known starting point that differs from the factory values in every field.
        const ZuvEComSensorAlignmentInfo alignment{ZUV_ECOM_ALIGNMENT_FORWARD, ZUV_ECOM_ALIGNMENT_LEFT, 1.5f, -2.5f,
                                                   3.25f};
        const float leverArm[3] = {0.5f, -0.75f, 1.25f};
        ASSERT_EQ(link.SetSensorConfiguration(alignment, leverArm), ZUV_NO_ERROR);
        const ZuvEComGnssInstallation gnss{
            {1.0f, 2.0f, 3.0f}, true, {-1.0f, -2.0f, -3.0f}, ZUV_ECOM_GNSS_INSTALLATION_DUAL_ROUGH};
        ASSERT_EQ(link.SetGNSS1Installation(gnss), ZUV_NO_ERROR);
        device.sim().clearCommands();
    }

    struct Sensor {
        float lever[3];
        float angles[3];
        ZuvEComAxisDirection x, y;
    };

    Sensor readSensor() {
        Sensor s{};
        EXPECT_EQ(link.GetSensorConfiguration(s.lever[0], s.lever[1], s.lever[2], s.angles[0], s.angles[1], s.angles[2],
                                              s.x, s.y),
                  ZUV_NO_ERROR);
        return s;
    }

    ZuvEComGnssInstallation readGnss() {
        ZuvEComGnssInstallation gnss{};
        EXPECT_EQ(link.GetGNSS1Installation(gnss), ZUV_NO_ERROR);
        return gnss;
    }

    std::string tempPath(const std::string &name) {
        return ::testing::TempDir() + "zuv_settings_" + std::to_string(::getpid()) + "_" + name;
    }

    SimLink device;
    CZuvCommunication &link = device.link();
};

void expectLever(const float (&actual)[3], float x, float y, float z) {
    EXPECT_EQ(actual[0], x);
    EXPECT_EQ(actual[1], y);
    EXPECT_EQ(actual[2], z);
}

TEST_F(Settings, AxisDirectionKeepsTheAnglesAndTheLeverArm) {
    ASSERT_EQ(link.SetSensorAxisDirection(ZUV_ECOM_ALIGNMENT_BACKWARD, ZUV_ECOM_ALIGNMENT_UP), ZUV_NO_ERROR);
    const Sensor s = readSensor();
    EXPECT_EQ(s.x, ZUV_ECOM_ALIGNMENT_BACKWARD);
    EXPECT_EQ(s.y, ZUV_ECOM_ALIGNMENT_UP);
    expectLever(s.angles, 1.5f, -2.5f, 3.25f);
    expectLever(s.lever, 0.5f, -0.75f, 1.25f);
    ZuvEComAxisDirection x{}, y{};
    ASSERT_EQ(link.GetSensorAxisDirection(x, y), ZUV_NO_ERROR);
    EXPECT_EQ(x, ZUV_ECOM_ALIGNMENT_BACKWARD);
    EXPECT_EQ(y, ZUV_ECOM_ALIGNMENT_UP);
}

TEST_F(Settings, LeverArmKeepsTheAlignment) {
    ASSERT_EQ(link.SetSensorLeverArm(7.0f, 8.0f, 9.0f), ZUV_NO_ERROR);
    Sensor s = readSensor();
    expectLever(s.lever, 7.0f, 8.0f, 9.0f);
    expectLever(s.angles, 1.5f, -2.5f, 3.25f);
    EXPECT_EQ(s.x, ZUV_ECOM_ALIGNMENT_FORWARD);
    EXPECT_EQ(s.y, ZUV_ECOM_ALIGNMENT_LEFT);

    const float array[3] = {-4.0f, 0.0f, 4.0f};
    ASSERT_EQ(link.SetSensorLeverArm(array), ZUV_NO_ERROR);
    float read[3] = {};
    ASSERT_EQ(link.GetSensorLeverArm(read), ZUV_NO_ERROR);
    expectLever(read, -4.0f, 0.0f, 4.0f);
    s = readSensor();
    expectLever(s.angles, 1.5f, -2.5f, 3.25f);
}

TEST_F(Settings, AnglesKeepTheAxesAndTheLeverArm) {
    ASSERT_EQ(link.SetSensorAlignment(-10.0f, 20.0f, -30.0f), ZUV_NO_ERROR);
    Sensor s = readSensor();
    expectLever(s.angles, -10.0f, 20.0f, -30.0f);
    EXPECT_EQ(s.x, ZUV_ECOM_ALIGNMENT_FORWARD);
    EXPECT_EQ(s.y, ZUV_ECOM_ALIGNMENT_LEFT);
    expectLever(s.lever, 0.5f, -0.75f, 1.25f);

    const ZuvEComSensorAlignmentInfo whole{ZUV_ECOM_ALIGNMENT_DOWN, ZUV_ECOM_ALIGNMENT_RIGHT, 0.25f, 0.5f, 0.75f};
    ASSERT_EQ(link.SetSensorAlignment(whole), ZUV_NO_ERROR);
    ZuvEComSensorAlignmentInfo read{};
    ASSERT_EQ(link.GetSensorAlignment(read), ZUV_NO_ERROR);
    EXPECT_EQ(read.axisDirectionX, ZUV_ECOM_ALIGNMENT_DOWN);
    EXPECT_EQ(read.misYaw, 0.75f);
    float roll = 0, pitch = 0, yaw = 0;
    ASSERT_EQ(link.GetSensorAlignment(roll, pitch, yaw), ZUV_NO_ERROR);
    EXPECT_EQ(pitch, 0.5f);
    s = readSensor();
    expectLever(s.lever, 0.5f, -0.75f, 1.25f);
}

TEST_F(Settings, GnssPrimaryAndSecondaryKeepEachOther) {
    ASSERT_EQ(link.SetGNSS1LeverArmPrimary(4.0f, 5.0f, 6.0f, false), ZUV_NO_ERROR);
    ZuvEComGnssInstallation gnss = readGnss();
    expectLever(gnss.leverArmPrimary, 4.0f, 5.0f, 6.0f);
    EXPECT_FALSE(gnss.leverArmPrimaryPrecise);
    expectLever(gnss.leverArmSecondary, -1.0f, -2.0f, -3.0f);
    EXPECT_EQ(gnss.leverArmSecondaryMode, ZUV_ECOM_GNSS_INSTALLATION_DUAL_ROUGH);

    ASSERT_EQ(link.SetGNSS1LeverArmSecondary(-7.0f, -8.0f, -9.0f, ZUV_ECOM_GNSS_INSTALLATION_DUAL_PRECISE),
              ZUV_NO_ERROR);
    gnss = readGnss();
    expectLever(gnss.leverArmPrimary, 4.0f, 5.0f, 6.0f);
    EXPECT_FALSE(gnss.leverArmPrimaryPrecise);
    expectLever(gnss.leverArmSecondary, -7.0f, -8.0f, -9.0f);
    EXPECT_EQ(gnss.leverArmSecondaryMode, ZUV_ECOM_GNSS_INSTALLATION_DUAL_PRECISE);

    float x = 0, y = 0, z = 0;
    bool precise = true;
    ASSERT_EQ(link.GetGNSS1LeverArmPrimary(x, y, z, precise), ZUV_NO_ERROR);
    EXPECT_EQ(y, 5.0f);
    EXPECT_FALSE(precise);
    ZuvEComGnssInstallationMode mode{};
    ASSERT_EQ(link.GetGNSS1LeverArmSecondary(x, y, z, mode), ZUV_NO_ERROR);
    EXPECT_EQ(z, -9.0f);
    EXPECT_EQ(mode, ZUV_ECOM_GNSS_INSTALLATION_DUAL_PRECISE);
}

TEST_F(Settings, SingleValueOperationsReachTheDevice) {
    ASSERT_EQ(link.SetTimeReferenceSource(ZUV_ECOM_TIME_REFERENCE_SYNC_IN_A), ZUV_NO_ERROR);
    ZuvEComTimeReferenceSrc source{};
    ASSERT_EQ(link.GetTimeReferenceSource(source), ZUV_NO_ERROR);
    EXPECT_EQ(source, ZUV_ECOM_TIME_REFERENCE_SYNC_IN_A);

    ASSERT_EQ(link.SetMotionProfile(3), ZUV_NO_ERROR);
    uint32_t profile = 0;
    ASSERT_EQ(link.GetMotionProfile(profile), ZUV_NO_ERROR);
    EXPECT_EQ(profile, 3u);

    ASSERT_EQ(link.SetOdometerLeverArm(0.125f, -0.5f, 2.0f), ZUV_NO_ERROR);
    float x = 0, y = 0, z = 0;
    ASSERT_EQ(link.GetOdometerLeverArm(x, y, z), ZUV_NO_ERROR);
    EXPECT_EQ(x, 0.125f);
    EXPECT_EQ(z, 2.0f);

    ASSERT_EQ(link.SetOutputConfiguration(ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_GPS2_RAW,
                                          ZUV_ECOM_OUTPUT_MODE_NEW_DATA),
              ZUV_NO_ERROR);
    EXPECT_EQ(device.sim().outputMode(0, 0, ZUV_ECOM_LOG_GPS2_RAW), ZUV_ECOM_OUTPUT_MODE_NEW_DATA);
    ZuvEComOutputMode mode{};
    ASSERT_EQ(
        link.GetOutputConfiguration(ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_GPS2_RAW, mode),
        ZUV_NO_ERROR);
    EXPECT_EQ(mode, ZUV_ECOM_OUTPUT_MODE_NEW_DATA);

    ZuvEComDeviceInfo info{};
    ASSERT_EQ(link.GetDeviceInformations(info), ZUV_NO_ERROR);
    EXPECT_NE(info.productCode[0], '\0');
}

TEST_F(Settings, RefusedValueComesBackAsTheDevicesCode) {
    // The same axis twice cannot describe a mounting.
    EXPECT_EQ(link.SetSensorAxisDirection(ZUV_ECOM_ALIGNMENT_LEFT, ZUV_ECOM_ALIGNMENT_RIGHT), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(readSensor().y, ZUV_ECOM_ALIGNMENT_LEFT);
}

// Every read that unpacks or passes a record, with outputs primed to values
// that a failing command must leave in place.
TEST_F(Settings, FailingGetLeavesEveryOutputUnchanged) {
    device.sim().setCommandRefusal(ZUV_ERROR);
    constexpr float kF = 42.0f;
    float a = kF, b = kF, c = kF, d = kF, e = kF, f = kF;
    ZuvEComAxisDirection x = ZUV_ECOM_ALIGNMENT_DOWN, y = ZUV_ECOM_ALIGNMENT_DOWN;
    EXPECT_EQ(link.GetSensorConfiguration(a, b, c, d, e, f, x, y), ZUV_ERROR);
    float array[3] = {kF, kF, kF};
    EXPECT_EQ(link.GetSensorLeverArm(array), ZUV_ERROR);
    EXPECT_EQ(link.GetSensorLeverArm(a, b, c), ZUV_ERROR);
    EXPECT_EQ(link.GetSensorAlignment(a, b, c), ZUV_ERROR);
    EXPECT_EQ(link.GetSensorAxisDirection(x, y), ZUV_ERROR);
    bool precise = true;
    EXPECT_EQ(link.GetGNSS1LeverArmPrimary(a, b, c, precise), ZUV_ERROR);
    ZuvEComGnssInstallationMode mode = ZUV_ECOM_GNSS_INSTALLATION_DUAL_AUTO;
    EXPECT_EQ(link.GetGNSS1LeverArmSecondary(a, b, c, mode), ZUV_ERROR);
    EXPECT_EQ(link.GetOdometerLeverArm(a, b, c), ZUV_ERROR);
    ZuvEComTimeReferenceSrc source = ZUV_ECOM_TIME_REFERENCE_SYNC_IN_A;
    EXPECT_EQ(link.GetTimeReferenceSource(source), ZUV_ERROR);
    uint32_t profile = 77;
    EXPECT_EQ(link.GetMotionProfile(profile), ZUV_ERROR);
    ZuvEComSensorAlignmentInfo alignment{ZUV_ECOM_ALIGNMENT_UP, ZUV_ECOM_ALIGNMENT_LEFT, kF, kF, kF};
    float lever[3] = {kF, kF, kF};
    EXPECT_EQ(link.GetSensorConfiguration(alignment, lever), ZUV_ERROR);
    EXPECT_EQ(link.GetSensorAlignment(alignment), ZUV_ERROR);
    ZuvEComOutputMode outputMode = ZUV_ECOM_OUTPUT_MODE_PPS;
    EXPECT_EQ(link.GetOutputConfiguration(ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_IMU_DATA,
                                          outputMode),
              ZUV_ERROR);

    for (float value : {a, b, c, d, e, f, array[0], array[1], array[2], lever[0], alignment.misRoll}) {
        EXPECT_EQ(value, kF);
    }
    EXPECT_EQ(x, ZUV_ECOM_ALIGNMENT_DOWN);
    EXPECT_EQ(y, ZUV_ECOM_ALIGNMENT_DOWN);
    EXPECT_TRUE(precise);
    EXPECT_EQ(mode, ZUV_ECOM_GNSS_INSTALLATION_DUAL_AUTO);
    EXPECT_EQ(source, ZUV_ECOM_TIME_REFERENCE_SYNC_IN_A);
    EXPECT_EQ(profile, 77u);
    EXPECT_EQ(alignment.axisDirectionX, ZUV_ECOM_ALIGNMENT_UP);
    EXPECT_EQ(outputMode, ZUV_ECOM_OUTPUT_MODE_PPS);
}

TEST_F(Settings, FailedReadOfAReadModifyWriteSendsNothing) {
    device.sim().setCommandRefusal(ZUV_ERROR);
    const std::vector<std::function<ZuvErrorCode()>> writes = {
        [&] { return link.SetSensorLeverArm(1.0f, 2.0f, 3.0f); },
        [&] {
            const float lever[3] = {1.0f, 2.0f, 3.0f};
            return link.SetSensorLeverArm(lever);
        },
        [&] { return link.SetSensorAlignment(1.0f, 2.0f, 3.0f); },
        [&] { return link.SetSensorAlignment(ZuvEComSensorAlignmentInfo{}); },
        [&] { return link.SetSensorAxisDirection(ZUV_ECOM_ALIGNMENT_UP, ZUV_ECOM_ALIGNMENT_LEFT); },
        [&] { return link.SetGNSS1LeverArmPrimary(1.0f, 2.0f, 3.0f, true); },
        [&] { return link.SetGNSS1LeverArmSecondary(1.0f, 2.0f, 3.0f, ZUV_ECOM_GNSS_INSTALLATION_SINGLE); },
        [&] { return link.SetTimeReferenceSource(ZUV_ECOM_TIME_REFERENCE_DISABLED); },
    };
    for (size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i](), ZUV_ERROR) << "write " << i;
    }
    const auto commands = device.commands();
    EXPECT_EQ(commands.size(), writes.size());
    for (const auto &command : commands) {
        EXPECT_THAT(command.payload, IsEmpty()) << "command " << int(command.id) << " carried a record";
    }
    device.sim().setCommandRefusal(0);
    EXPECT_EQ(readSensor().lever[0], 0.5f);
}

// ---- The configuration file.

std::vector<uint8_t> readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string &path, const std::vector<uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(Settings, ExportThenImportBringsTheSettingsBack) {
    const std::string path = tempPath("roundtrip.bin");
    ASSERT_EQ(link.ExportConfigurationFile(path), ZUV_NO_ERROR);
    EXPECT_FALSE(readFile(path).empty());
    ASSERT_EQ(link.RestoreDefaultSettings(), ZUV_NO_ERROR);
    EXPECT_NE(readSensor().lever[0], 0.5f);
    ASSERT_EQ(link.ImportConfigurationFile(path), ZUV_NO_ERROR);
    const Sensor s = readSensor();
    expectLever(s.lever, 0.5f, -0.75f, 1.25f);
    EXPECT_EQ(s.y, ZUV_ECOM_ALIGNMENT_LEFT);
    std::remove(path.c_str());
}

TEST_F(Settings, ExportToAMissingFolderFailsWithoutTalkingToTheDevice) {
    EXPECT_EQ(link.ExportConfigurationFile(tempPath("no_such_folder") + "/settings.bin"), ZUV_ERROR);
    EXPECT_THAT(device.commands(), IsEmpty());
}

TEST_F(Settings, FailedExportLeavesAnEarlierFileIntact) {
    const std::string path = tempPath("earlier.bin");
    const std::vector<uint8_t> earlier = {1, 2, 3, 4, 5};
    writeFile(path, earlier);
    device.sim().setCommandRefusal(ZUV_ERROR);
    EXPECT_EQ(link.ExportConfigurationFile(path), ZUV_ERROR);
    EXPECT_EQ(readFile(path), earlier);
    std::remove(path.c_str());
}

TEST_F(Settings, ImportSendsAtMostTheFirst100000Bytes) {
    const std::string path = tempPath("large.bin");
    std::vector<uint8_t> bytes(150000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    writeFile(path, bytes);
    link.ImportConfigurationFile(path);  // the device may refuse a cut image; what was sent matters here
    std::vector<uint8_t> sent;
    for (const auto &command : device.commands()) {
        ASSERT_EQ(command.id, ZUV_ECOM_CMD_IMPORT_SETTINGS);
        ASSERT_GE(command.payload.size(), 4u);
        sent.insert(sent.end(), command.payload.begin() + 4, command.payload.end());
    }
    EXPECT_EQ(sent, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100000));
    std::remove(path.c_str());
}

TEST_F(Settings, ImportOfSomethingUnreadableSendsNothing) {
    EXPECT_EQ(link.ImportConfigurationFile(tempPath("absent.bin")), ZUV_ERROR);
    EXPECT_EQ(link.ImportConfigurationFile(::testing::TempDir()), ZUV_ERROR) << "a folder";
    EXPECT_THAT(device.commands(), IsEmpty());
}

TEST_F(Settings, ChangeBaudrateSetsTheDevicesMainPort) {
    ASSERT_EQ(link.ChangeBaudrate(230400), ZUV_NO_ERROR);
    for (int i = 0; i < 200 && device.sim().portBaudRate() != 230400u; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(device.sim().portBaudRate(), 230400u);
}

TEST_F(Settings, RestoreDefaultsAndRebootAreAccepted) {
    ASSERT_EQ(link.RestoreDefaultSettings(), ZUV_NO_ERROR);
    EXPECT_EQ(readSensor().y, ZUV_ECOM_ALIGNMENT_RIGHT);
    EXPECT_EQ(link.Reboot(), ZUV_NO_ERROR);
    const auto commands = device.commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back().id, ZUV_ECOM_CMD_SETTINGS_ACTION);
    EXPECT_EQ(commands.back().payload, std::vector<uint8_t>{0});
}

// ---- The same link over UDP, and switching links.

TEST(SettingsOverUdp, CommandsWorkAndSwitchingToSerialClosesUdp) {
    SimLinkOptions options;
    options.link = zuv::sim::LinkKind::Udp;
    SimLink udp(options);
    ASSERT_EQ(udp.failure(), "");
    EXPECT_EQ(udp.link().GetConnectionKind(), 2);
    ZuvEComDeviceInfo info{};
    ASSERT_EQ(udp.link().GetDeviceInformations(info), ZUV_NO_ERROR);

    SimLink serial;
    ASSERT_EQ(serial.failure(), "");
    ASSERT_EQ(udp.link().Connect(serial.sim().ptyPath(), 115200u, false), ZUV_NO_ERROR);
    EXPECT_EQ(udp.link().GetConnectionKind(), 1);
    udp.sim().clearCommands();
    ASSERT_EQ(udp.link().GetDeviceInformations(info), ZUV_NO_ERROR);
    EXPECT_THAT(udp.commands(), IsEmpty()) << "the UDP device heard nothing more";
    EXPECT_EQ(udp.link().Disconnect(), ZUV_NO_ERROR);
    EXPECT_EQ(udp.link().Disconnect(), ZUV_NO_ERROR);
}

TEST(SettingsOverSerial, WrongBaudRateFindsNoDeviceAndLeavesNothingOpen) {
    SimLink device;
    ASSERT_EQ(device.failure(), "");
    CZuvCommunication other;
    EXPECT_EQ(other.Connect(device.sim().ptyPath(), 9600u, false), ZUV_TIME_OUT);
    EXPECT_EQ(other.GetConnectionKind(), 0);
}

}  // namespace
}  // namespace zuv::test
