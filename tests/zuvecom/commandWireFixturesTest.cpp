// Every command payload against wire bytes written by hand from the
// protocol's command table, in both directions: the record encodes to exactly
// these bytes, and the bytes decode to exactly this record. Float and double
// values are ones whose IEEE bytes are easy to check (1.0f = 00 00 80 3F).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "zuvEComCommandCodec.h"

namespace zuv::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes hex(const std::string &text) {
    Bytes bytes;
    std::istringstream in(text);
    std::string byte;
    while (in >> byte) bytes.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
    return bytes;
}

Bytes withZeros(Bytes bytes, size_t count) {
    bytes.insert(bytes.end(), count, 0);
    return bytes;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Runs an encoder into a roomy buffer and keeps what it wrote.
template <typename Encode>
Bytes encoded(Encode encode) {
    Bytes out(4096, 0xEE);
    size_t size = 0;
    EXPECT_EQ(encode(out.data(), out.size(), &size), ZUV_NO_ERROR);
    out.resize(size);
    return out;
}

TEST(CommandWire, Ack) {
    const Bytes wire = hex("11 10 09 00");
    const ZuvEComAck ack{0x11, 0x10, 9};
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComAckEncode(&ack, o, c, s); }), wire);
    ZuvEComAck back{};
    ASSERT_EQ(zuvEComAckDecode(wire.data(), wire.size(), &back), ZUV_NO_ERROR);
    EXPECT_EQ(back.cmdId, 0x11);
    EXPECT_EQ(back.cmdClass, 0x10);
    EXPECT_EQ(back.errorCode, 9);
}

TEST(CommandWire, DeviceInformation) {
    const Bytes wire = concat({withZeros(hex("5A 55 56 2D 31"), 27), hex("04 03 02 01  07 00 00 00  EA 07  0C  1F"),
                               hex("02 00 01 00  0D 0C 0B 0A")});
    ASSERT_EQ(wire.size(), ZUV_ECOM_DEVICE_INFO_SIZE);
    ZuvEComDeviceInfo info{};
    std::strcpy(info.productCode, "ZUV-1");
    info.serialNumber = 0x01020304;
    info.calibrationRev = 7;
    info.calibrationYear = 2026;
    info.calibrationMonth = 12;
    info.calibrationDay = 31;
    info.hardwareRev = 0x00010002;
    info.firmwareRev = 0x0A0B0C0D;
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComDeviceInfoEncode(&info, o, c, s); }), wire);
    ZuvEComDeviceInfo back;
    std::memset(&back, 0x55, sizeof(back));
    ASSERT_EQ(zuvEComDeviceInfoDecode(wire.data(), wire.size(), &back), ZUV_NO_ERROR);
    EXPECT_STREQ(back.productCode, "ZUV-1");
    EXPECT_EQ(back.serialNumber, 0x01020304u);
    EXPECT_EQ(back.calibrationRev, 7u);
    EXPECT_EQ(back.calibrationYear, 2026);
    EXPECT_EQ(back.calibrationMonth, 12);
    EXPECT_EQ(back.calibrationDay, 31);
    EXPECT_EQ(back.hardwareRev, 0x00010002u);
    EXPECT_EQ(back.firmwareRev, 0x0A0B0C0Du);
}

TEST(CommandWire, FullWidthTextKeepsItsTerminator) {
    Bytes wire = concat({Bytes(32, 'A'), Bytes(20, 0)});
    ZuvEComDeviceInfo back;
    std::memset(&back, 0x55, sizeof(back));
    ASSERT_EQ(zuvEComDeviceInfoDecode(wire.data(), wire.size(), &back), ZUV_NO_ERROR);
    EXPECT_EQ(std::string(back.productCode), std::string(32, 'A'));
}

TEST(CommandWire, Features) {
    const Bytes wire = concat({hex("1F 00 00 00  01 00 00 80  05"), withZeros(hex("47 4E"), 30)});
    ASSERT_EQ(wire.size(), ZUV_ECOM_FEATURES_SIZE);
    ZuvEComFeatures features{};
    features.sensorsMask = 0x1F;
    features.gnssSignalsMask = 0x80000001u;
    features.gnssUpdateRate = 5;
    std::strcpy(features.gnssProductCode, "GN");
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComFeaturesEncode(&features, o, c, s); }),
              wire);
    ZuvEComFeatures back{};
    ASSERT_EQ(zuvEComFeaturesDecode(wire.data(), wire.size(), &back), ZUV_NO_ERROR);
    EXPECT_EQ(back.sensorsMask, 0x1Fu);
    EXPECT_EQ(back.gnssSignalsMask, 0x80000001u);
    EXPECT_EQ(back.gnssUpdateRate, 5);
    EXPECT_STREQ(back.gnssProductCode, "GN");
}

TEST(CommandWire, AlignmentAndLeverArm) {
    // X backward, Y left; roll 1, pitch -0.5, yaw 0.25; lever arm 1.5, 3, -2.
    const Bytes wire = hex("01 02  00 00 80 3F  00 00 00 BF  00 00 80 3E  00 00 C0 3F  00 00 40 40  00 00 00 C0");
    ASSERT_EQ(wire.size(), ZUV_ECOM_SENSOR_ALIGNMENT_SIZE);
    const ZuvEComSensorAlignmentInfo alignment{ZUV_ECOM_ALIGNMENT_BACKWARD, ZUV_ECOM_ALIGNMENT_LEFT, 1.0f, -0.5f,
                                               0.25f};
    const float leverArm[3] = {1.5f, 3.0f, -2.0f};
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) {
                  return zuvEComSensorAlignmentEncode(&alignment, leverArm, o, c, s);
              }),
              wire);
    ZuvEComSensorAlignmentInfo back{};
    float backArm[3] = {};
    ASSERT_EQ(zuvEComSensorAlignmentDecode(wire.data(), wire.size(), &back, backArm), ZUV_NO_ERROR);
    EXPECT_EQ(back.axisDirectionX, ZUV_ECOM_ALIGNMENT_BACKWARD);
    EXPECT_EQ(back.axisDirectionY, ZUV_ECOM_ALIGNMENT_LEFT);
    EXPECT_EQ(back.misRoll, 1.0f);
    EXPECT_EQ(back.misPitch, -0.5f);
    EXPECT_EQ(back.misYaw, 0.25f);
    EXPECT_EQ(backArm[0], 1.5f);
    EXPECT_EQ(backArm[1], 3.0f);
    EXPECT_EQ(backArm[2], -2.0f);
}

TEST(CommandWire, InitialCondition) {
    // 1.5, -2, 100 as f64; 2026-06-15.
    const Bytes wire = hex("00 00 00 00 00 00 F8 3F  00 00 00 00 00 00 00 C0  00 00 00 00 00 00 59 40  EA 07  06  0F");
    ASSERT_EQ(wire.size(), ZUV_ECOM_INIT_CONDITION_SIZE);
    const ZuvEComInitConditionConf conf{1.5, -2.0, 100.0, 2026, 6, 15};
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComInitConditionEncode(&conf, o, c, s); }),
              wire);
    ZuvEComInitConditionConf back{};
    ASSERT_EQ(zuvEComInitConditionDecode(wire.data(), wire.size(), &back), ZUV_NO_ERROR);
    EXPECT_EQ(back.latitude, 1.5);
    EXPECT_EQ(back.longitude, -2.0);
    EXPECT_EQ(back.altitude, 100.0);
    EXPECT_EQ(back.year, 2026);
    EXPECT_EQ(back.month, 6);
    EXPECT_EQ(back.day, 15);
}

TEST(CommandWire, MotionProfileInformation) {
    const Bytes wire = concat({hex("44 33 22 11  02 00 00 00"), withZeros(hex("43 61 72"), 29)});
    ASSERT_EQ(wire.size(), ZUV_ECOM_MODEL_INFO_SIZE);
    ZuvEComModelInfo info{};
    info.id = 0x11223344;
    info.revision = 2;
    std::strcpy(info.name, "Car");
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComModelInfoEncode(&info, o, c, s); }), wire);
    ZuvEComModelInfo back{};
    ASSERT_EQ(zuvEComModelInfoDecode(wire.data(), wire.size(), &back), ZUV_NO_ERROR);
    EXPECT_EQ(back.id, 0x11223344u);
    EXPECT_EQ(back.revision, 2u);
    EXPECT_STREQ(back.name, "Car");
}

TEST(CommandWire, AidingAssignment) {
    const Bytes wire = hex("01 02 03 04");
    const ZuvEComAidingAssignConf conf{1, 2, 3, 4};
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComAidingAssignEncode(&conf, o, c, s); }),
              wire);
    ZuvEComAidingAssignConf back{};
    ASSERT_EQ(zuvEComAidingAssignDecode(wire.data(), wire.size(), &back), ZUV_NO_ERROR);
    EXPECT_EQ(back.gnss1Module, 1);
    EXPECT_EQ(back.gnss1Sync, 2);
    EXPECT_EQ(back.rtcmModule, 3);
    EXPECT_EQ(back.odometerPinsConf, 4);
}

TEST(CommandWire, GnssInstallation) {
    // Primary 1, 2, 4 precise; secondary -0.5, 0.5, 0.25 in dual rough mode (3).
    const Bytes wire = hex("00 00 80 3F  00 00 00 40  00 00 80 40  01  00 00 00 BF  00 00 00 3F  00 00 80 3E  03");
    ASSERT_EQ(wire.size(), ZUV_ECOM_GNSS_INSTALLATION_SIZE);
    const ZuvEComGnssInstallation conf{
        {1.0f, 2.0f, 4.0f}, true, {-0.5f, 0.5f, 0.25f}, ZUV_ECOM_GNSS_INSTALLATION_DUAL_ROUGH};
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComGnssInstallationEncode(&conf, o, c, s); }),
              wire);
    ZuvEComGnssInstallation back{};
    ASSERT_EQ(zuvEComGnssInstallationDecode(wire.data(), wire.size(), &back), ZUV_NO_ERROR);
    EXPECT_EQ(back.leverArmPrimary[0], 1.0f);
    EXPECT_EQ(back.leverArmPrimary[1], 2.0f);
    EXPECT_EQ(back.leverArmPrimary[2], 4.0f);
    EXPECT_TRUE(back.leverArmPrimaryPrecise);
    EXPECT_EQ(back.leverArmSecondary[0], -0.5f);
    EXPECT_EQ(back.leverArmSecondary[1], 0.5f);
    EXPECT_EQ(back.leverArmSecondary[2], 0.25f);
    EXPECT_EQ(back.leverArmSecondaryMode, ZUV_ECOM_GNSS_INSTALLATION_DUAL_ROUGH);
}

TEST(CommandWire, GnssRejection) {
    const Bytes wire = hex("00 01 02");
    const ZuvEComGnssRejectionConf conf{ZUV_ECOM_NEVER_ACCEPT_MODE, ZUV_ECOM_AUTOMATIC_MODE,
                                        ZUV_ECOM_ALWAYS_ACCEPT_MODE};
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComGnssRejectionEncode(&conf, o, c, s); }),
              wire);
    ZuvEComGnssRejectionConf back{};
    ASSERT_EQ(zuvEComGnssRejectionDecode(wire.data(), wire.size(), &back), ZUV_NO_ERROR);
    EXPECT_EQ(back.position, ZUV_ECOM_NEVER_ACCEPT_MODE);
    EXPECT_EQ(back.velocity, ZUV_ECOM_AUTOMATIC_MODE);
    EXPECT_EQ(back.hdt, ZUV_ECOM_ALWAYS_ACCEPT_MODE);
}

TEST(CommandWire, OdometerConfiguration) {
    // Gain 1.5 pulses per metre, 12 % error, reverse detection on.
    const Bytes wire = hex("00 00 C0 3F  0C  01");
    const ZuvEComOdoConf conf{1.5f, 12, true};
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComOdoConfEncode(&conf, o, c, s); }), wire);
    ZuvEComOdoConf back{};
    ASSERT_EQ(zuvEComOdoConfDecode(wire.data(), wire.size(), &back), ZUV_NO_ERROR);
    EXPECT_EQ(back.gain, 1.5f);
    EXPECT_EQ(back.gainError, 12);
    EXPECT_TRUE(back.reverseMode);
}

TEST(CommandWire, OdometerLeverArm) {
    const Bytes wire = hex("00 00 00 C0  00 00 00 3F  00 00 40 40");
    const float arm[3] = {-2.0f, 0.5f, 3.0f};
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComLeverArmEncode(arm, o, c, s); }), wire);
    float back[3] = {};
    ASSERT_EQ(zuvEComLeverArmDecode(wire.data(), wire.size(), back), ZUV_NO_ERROR);
    EXPECT_EQ(back[0], -2.0f);
    EXPECT_EQ(back[1], 0.5f);
    EXPECT_EQ(back[2], 3.0f);
}

TEST(CommandWire, OdometerRejectionAndAdvancedConfiguration) {
    const ZuvEComOdoRejectionConf rejection{ZUV_ECOM_ALWAYS_ACCEPT_MODE};
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComOdoRejectionEncode(&rejection, o, c, s); }),
              hex("02"));
    ZuvEComOdoRejectionConf rejectionBack{};
    ASSERT_EQ(zuvEComOdoRejectionDecode(hex("01").data(), 1, &rejectionBack), ZUV_NO_ERROR);
    EXPECT_EQ(rejectionBack.velocity, ZUV_ECOM_AUTOMATIC_MODE);

    const ZuvEComAdvancedConf advanced{ZUV_ECOM_TIME_REFERENCE_UTC_GPS_1};
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComAdvancedConfEncode(&advanced, o, c, s); }),
              hex("02"));
    ZuvEComAdvancedConf advancedBack{};
    ASSERT_EQ(zuvEComAdvancedConfDecode(hex("01").data(), 1, &advancedBack), ZUV_NO_ERROR);
    EXPECT_EQ(advancedBack.timeReferenceSrc, ZUV_ECOM_TIME_REFERENCE_SYNC_IN_A);
}

TEST(CommandWire, OutputConfigurationSelectorAndSetRequest) {
    // Port C, class 1, IMU (3), "On Sync B Event" (10004 = 0x2714).
    const ZuvEComOutputConf conf{ZUV_ECOM_OUTPUT_PORT_C, ZUV_ECOM_CLASS_LOG_ECOM_1, 3, ZUV_ECOM_OUTPUT_MODE_SYNC_B};
    const Bytes selector = hex("02 01 03");
    const Bytes set = hex("02 01 03  14 27");
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComOutputConfEncode(&conf, false, o, c, s); }),
              selector);
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComOutputConfEncode(&conf, true, o, c, s); }),
              set);
    ZuvEComOutputConf back{};
    bool withMode = false;
    ASSERT_EQ(zuvEComOutputConfDecode(set.data(), set.size(), &back, &withMode), ZUV_NO_ERROR);
    EXPECT_TRUE(withMode);
    EXPECT_EQ(back.port, ZUV_ECOM_OUTPUT_PORT_C);
    EXPECT_EQ(back.msgClass, ZUV_ECOM_CLASS_LOG_ECOM_1);
    EXPECT_EQ(back.msgId, 3);
    EXPECT_EQ(back.mode, ZUV_ECOM_OUTPUT_MODE_SYNC_B);
    ASSERT_EQ(zuvEComOutputConfDecode(selector.data(), selector.size(), &back, &withMode), ZUV_NO_ERROR);
    EXPECT_FALSE(withMode);
    EXPECT_EQ(back.mode, ZUV_ECOM_OUTPUT_MODE_DISABLED);
}

TEST(CommandWire, UartConfigurationSelectorAndSetRequest) {
    // Port B, 921600 baud (0x000E1000), RS-422.
    const ZuvEComInterfaceConf conf{921600, ZUV_ECOM_UART_MODE_422};
    const Bytes selector = hex("01");
    const Bytes set = hex("01  00 10 0E 00  02");
    const ZuvEComPortId port = static_cast<ZuvEComPortId>(1);
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComUartConfEncode(port, nullptr, o, c, s); }),
              selector);
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) { return zuvEComUartConfEncode(port, &conf, o, c, s); }),
              set);
    ZuvEComPortId backPort{};
    ZuvEComInterfaceConf back{};
    bool hasConf = false;
    ASSERT_EQ(zuvEComUartConfDecode(set.data(), set.size(), &backPort, &back, &hasConf), ZUV_NO_ERROR);
    EXPECT_TRUE(hasConf);
    EXPECT_EQ(backPort, port);
    EXPECT_EQ(back.baudRate, 921600u);
    EXPECT_EQ(back.mode, ZUV_ECOM_UART_MODE_422);
}

TEST(CommandWire, SettingsPage) {
    const Bytes data = hex("DE AD BE EF 00");
    const Bytes wire = concat({hex("03 00  0A 00"), data});
    EXPECT_EQ(encoded([&](uint8_t *o, size_t c, size_t *s) {
                  return zuvEComSettingsPageEncode(3, 10, data.data(), data.size(), o, c, s);
              }),
              wire);
    uint16_t index = 0;
    uint16_t count = 0;
    const uint8_t *backData = nullptr;
    size_t backSize = 0;
    ASSERT_EQ(zuvEComSettingsPageDecode(wire.data(), wire.size(), &index, &count, &backData, &backSize), ZUV_NO_ERROR);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(count, 10);
    EXPECT_EQ(Bytes(backData, backData + backSize), data);
}

}  // namespace
}  // namespace zuv::test
