#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "zuvEComCommandCodec.h"
#include "zuvEComProtocol.h"

namespace zuv::test {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(CommandCodec, DeviceInformationLayout) {
    ZuvEComDeviceInfo info{};
    std::strcpy(info.productCode, "INS");
    info.serialNumber = 0x11223344;
    info.calibrationRev = 0x55667788;
    info.calibrationYear = 0x07E8;
    info.calibrationMonth = 12;
    info.calibrationDay = 31;
    info.hardwareRev = 0x01020304;
    info.firmwareRev = 0x0A0B0C0D;
    Bytes out(ZUV_ECOM_DEVICE_INFO_SIZE);
    size_t size = 0;
    ASSERT_EQ(zuvEComDeviceInfoEncode(&info, out.data(), out.size(), &size), ZUV_NO_ERROR);
    ASSERT_EQ(size, 52u);
    Bytes expected(52, 0);
    expected[0] = 'I', expected[1] = 'N', expected[2] = 'S';
    const uint8_t tail[] = {0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55, 0xE8, 0x07,
                            12,   31,   0x04, 0x03, 0x02, 0x01, 0x0D, 0x0C, 0x0B, 0x0A};
    std::memcpy(expected.data() + 32, tail, sizeof(tail));
    EXPECT_EQ(out, expected);
    EXPECT_EQ(zuvEComDeviceInfoEncode(&info, out.data(), 51, &size), ZUV_BUFFER_OVERFLOW);

    ZuvEComDeviceInfo back{};
    ASSERT_EQ(zuvEComDeviceInfoDecode(expected.data(), expected.size(), &back), ZUV_NO_ERROR);
    EXPECT_STREQ(back.productCode, "INS");
    EXPECT_EQ(back.calibrationYear, 2024);
    EXPECT_EQ(back.firmwareRev, 0x0A0B0C0Du);
}

TEST(CommandCodec, AFullTextFieldIsStillTerminated) {
    Bytes wire(ZUV_ECOM_MODEL_INFO_SIZE, 'X');
    ZuvEComModelInfo info;
    std::memset(&info, 0x7F, sizeof(info));
    ASSERT_EQ(zuvEComModelInfoDecode(wire.data(), wire.size(), &info), ZUV_NO_ERROR);
    EXPECT_EQ(std::strlen(info.name), 32u);
    // And a record whose text fills every byte goes out cut to 32.
    std::memset(info.name, 'Y', sizeof(info.name));
    size_t size = 0;
    ASSERT_EQ(zuvEComModelInfoEncode(&info, wire.data(), wire.size(), &size), ZUV_NO_ERROR);
    EXPECT_EQ(size, 40u);
    EXPECT_EQ(wire[39], 'Y');
}

TEST(CommandCodec, AlignmentAndGnssInstallationLayouts) {
    const ZuvEComSensorAlignmentInfo alignment{ZUV_ECOM_ALIGNMENT_BACKWARD, ZUV_ECOM_ALIGNMENT_UP, 1.0f, 2.0f, -1.0f};
    const float arm[3] = {0.5f, 0.25f, 4.0f};
    Bytes out(64);
    size_t size = 0;
    ASSERT_EQ(zuvEComSensorAlignmentEncode(&alignment, arm, out.data(), out.size(), &size), ZUV_NO_ERROR);
    out.resize(size);
    const Bytes expected = {1,    4,    0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x80,
                            0xBF, 0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x80, 0x40};
    EXPECT_EQ(out, expected);

    const ZuvEComGnssInstallation installation{
        {1, 2, 4}, true, {-1, 0.5f, 0.25f}, ZUV_ECOM_GNSS_INSTALLATION_DUAL_AUTO};
    out.assign(64, 0);
    ASSERT_EQ(zuvEComGnssInstallationEncode(&installation, out.data(), out.size(), &size), ZUV_NO_ERROR);
    ASSERT_EQ(size, 26u);
    EXPECT_EQ(out[12], 1);     // precise flag after the primary lever arm
    EXPECT_EQ(out[16], 0xBF);  // secondary X = -1 starts at 13
    EXPECT_EQ(out[25], 2);     // mode last
    ZuvEComGnssInstallation back{};
    ASSERT_EQ(zuvEComGnssInstallationDecode(out.data(), 26, &back), ZUV_NO_ERROR);
    EXPECT_EQ(back.leverArmSecondary[2], 0.25f);
    EXPECT_TRUE(back.leverArmPrimaryPrecise);
}

TEST(CommandCodec, SizesMustBeExact) {
    const Bytes bytes(64, 0);
    ZuvEComInitConditionConf init;
    EXPECT_EQ(zuvEComInitConditionDecode(bytes.data(), 27, &init), ZUV_INVALID_FRAME);
    EXPECT_EQ(zuvEComInitConditionDecode(bytes.data(), 29, &init), ZUV_INVALID_FRAME);
    EXPECT_EQ(zuvEComInitConditionDecode(bytes.data(), 28, &init), ZUV_NO_ERROR);
    ZuvEComAck ack;
    EXPECT_EQ(zuvEComAckDecode(bytes.data(), 3, &ack), ZUV_INVALID_FRAME);
    ZuvEComOdoConf odo;
    EXPECT_EQ(zuvEComOdoConfDecode(nullptr, 0, &odo), ZUV_INVALID_FRAME);
    EXPECT_EQ(zuvEComOdoConfDecode(nullptr, 6, &odo), ZUV_NULL_POINTER);
}

TEST(CommandCodec, ValuesOutsideTheirSetsAreInvalidParameters) {
    Bytes wire(26, 0);
    ZuvEComSensorAlignmentInfo alignment{};
    float arm[3];
    wire[1] = 6;
    EXPECT_EQ(zuvEComSensorAlignmentDecode(wire.data(), 26, &alignment, arm), ZUV_INVALID_PARAMETER);
    ZuvEComGnssInstallation installation{};
    wire[1] = 0;
    EXPECT_EQ(zuvEComGnssInstallationDecode(wire.data(), 26, &installation), ZUV_INVALID_PARAMETER);  // mode 0
    const uint8_t rejection[3] = {0, 3, 0};
    ZuvEComGnssRejectionConf gnssRejection{};
    EXPECT_EQ(zuvEComGnssRejectionDecode(rejection, 3, &gnssRejection), ZUV_INVALID_PARAMETER);
    const uint8_t reference = 3;
    ZuvEComAdvancedConf advanced{};
    EXPECT_EQ(zuvEComAdvancedConfDecode(&reference, 1, &advanced), ZUV_INVALID_PARAMETER);

    ZuvEComOutputConf output{};
    bool withMode = false;
    const uint8_t badMode[5] = {0, 0, 3, 0x02, 0x27};  // 10002: not a mode
    EXPECT_EQ(zuvEComOutputConfDecode(badMode, 5, &output, &withMode), ZUV_INVALID_PARAMETER);
    const uint8_t badPort[3] = {5, 0, 3};
    EXPECT_EQ(zuvEComOutputConfDecode(badPort, 3, &output, &withMode), ZUV_INVALID_PARAMETER);
    const uint8_t badClass[3] = {0, 0x10, 3};
    EXPECT_EQ(zuvEComOutputConfDecode(badClass, 3, &output, &withMode), ZUV_INVALID_PARAMETER);
    const uint8_t good[5] = {4, 1, 38, 0x11, 0x27};  // 10001
    ASSERT_EQ(zuvEComOutputConfDecode(good, 5, &output, &withMode), ZUV_NO_ERROR);
    EXPECT_TRUE(withMode);
    EXPECT_EQ(output.port, ZUV_ECOM_OUTPUT_PORT_E);
    EXPECT_EQ(output.mode, ZUV_ECOM_OUTPUT_MODE_NEW_DATA);
    EXPECT_EQ(zuvEComOutputConfDecode(good, 4, &output, &withMode), ZUV_INVALID_FRAME);

    ZuvEComPortId port{};
    ZuvEComInterfaceConf uart{};
    bool hasConf = true;
    const uint8_t selector = 2;
    ASSERT_EQ(zuvEComUartConfDecode(&selector, 1, &port, &uart, &hasConf), ZUV_NO_ERROR);
    EXPECT_FALSE(hasConf);
    EXPECT_EQ(port, ZUV_ECOM_IF_COM_C);
    const uint8_t set[6] = {0, 0x00, 0x10, 0x0E, 0x00, 1};  // 921600, RS-232
    ASSERT_EQ(zuvEComUartConfDecode(set, 6, &port, &uart, &hasConf), ZUV_NO_ERROR);
    EXPECT_EQ(uart.baudRate, 921600u);
    EXPECT_EQ(uart.mode, ZUV_ECOM_UART_MODE_232);
}

TEST(CommandCodec, OutputModesAreExactlyTheDevicesSet) {
    const uint32_t valid[] = {0, 1, 2, 4, 8, 10, 20, 40, 200, 10000, 10001, 10003, 10004, 10005, 10006};
    for (uint32_t mode : valid) {
        EXPECT_TRUE(zuvEComOutputModeIsValid(mode)) << mode;
    }
    for (uint32_t mode : {3u, 5u, 100u, 201u, 9999u, 10002u, 10007u, 65536u + 1}) {
        EXPECT_FALSE(zuvEComOutputModeIsValid(mode)) << mode;
    }
}

TEST(CommandCodec, SettingsPages) {
    Bytes out(ZUV_ECOM_MAX_PAYLOAD_SIZE + 10);
    size_t size = 0;
    const Bytes data(ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE, 0x5C);
    ASSERT_EQ(zuvEComSettingsPageEncode(3, 7, data.data(), data.size(), out.data(), out.size(), &size), ZUV_NO_ERROR);
    EXPECT_EQ(size, ZUV_ECOM_MAX_PAYLOAD_SIZE);
    EXPECT_EQ(zuvEComSettingsPageEncode(3, 7, data.data(), data.size() + 1, out.data(), out.size(), &size),
              ZUV_INVALID_PARAMETER);
    uint16_t index = 0;
    uint16_t count = 0;
    const uint8_t *pData = nullptr;
    size_t dataSize = 0;
    ASSERT_EQ(zuvEComSettingsPageDecode(out.data(), size, &index, &count, &pData, &dataSize), ZUV_NO_ERROR);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(count, 7);
    EXPECT_EQ(dataSize, data.size());
    EXPECT_EQ(pData, out.data() + 4);
    EXPECT_EQ(zuvEComSettingsPageDecode(out.data(), 3, &index, &count, &pData, &dataSize), ZUV_INVALID_FRAME);
    EXPECT_EQ(zuvEComSettingsPageDecode(out.data(), ZUV_ECOM_MAX_PAYLOAD_SIZE + 1, &index, &count, &pData, &dataSize),
              ZUV_INVALID_FRAME);
}

}  // namespace
}  // namespace zuv::test
