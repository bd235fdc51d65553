// The library's commands against the simulator, over a pseudo-terminal and over UDP.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "hostLink.h"

namespace zuv::test {
namespace {

class Commands : public ::testing::TestWithParam<LinkKind> {
protected:
    void SetUp() override {
        SimConfig config;
        config.clock = ClockMode::Manual;
        c = connect(GetParam(), config);
        ASSERT_NE(c.host, nullptr) << c.sim->errorText();
        h = &c.host->handle;
    }
    Connected c;
    ZuvEComHandle *h = nullptr;
};

TEST_P(Commands, EveryGetSetPairRoundTrips) {
    ZuvEComSensorAlignmentInfo alignment{ZUV_ECOM_ALIGNMENT_LEFT, ZUV_ECOM_ALIGNMENT_UP, 1.5f, -2.0f, 90.0f};
    const float leverArm[3] = {0.5f, -0.25f, 1.0f};
    ASSERT_EQ(zuvEComCmdSensorSetAlignmentAndLeverArm(h, &alignment, leverArm), ZUV_NO_ERROR);
    ZuvEComSensorAlignmentInfo alignmentBack{};
    float leverArmBack[3] = {};
    ASSERT_EQ(zuvEComCmdSensorGetAlignmentAndLeverArm(h, &alignmentBack, leverArmBack), ZUV_NO_ERROR);
    EXPECT_EQ(std::memcmp(&alignment, &alignmentBack, sizeof(alignment)), 0);
    EXPECT_EQ(std::memcmp(leverArm, leverArmBack, sizeof(leverArm)), 0);

    const ZuvEComInitConditionConf init{48.5, -3.25, 120.0, 2025, 6, 30};
    ASSERT_EQ(zuvEComCmdSensorSetInitCondition(h, &init), ZUV_NO_ERROR);
    ZuvEComInitConditionConf initBack{};
    ASSERT_EQ(zuvEComCmdSensorGetInitCondition(h, &initBack), ZUV_NO_ERROR);
    EXPECT_EQ(initBack.latitude, init.latitude);
    EXPECT_EQ(initBack.longitude, init.longitude);
    EXPECT_EQ(initBack.altitude, init.altitude);
    EXPECT_EQ(initBack.year, init.year);
    EXPECT_EQ(initBack.month, init.month);
    EXPECT_EQ(initBack.day, init.day);

    ASSERT_EQ(zuvEComCmdSensorSetMotionProfileId(h, 3), ZUV_NO_ERROR);
    ZuvEComModelInfo model{};
    ASSERT_EQ(zuvEComCmdSensorGetMotionProfileInfo(h, &model), ZUV_NO_ERROR);
    EXPECT_EQ(model.id, 3u);
    EXPECT_STREQ(model.name, "MARINE");

    const ZuvEComAidingAssignConf aiding{1, 2, 3, 1};
    ASSERT_EQ(zuvEComCmdSensorSetAidingAssignment(h, &aiding), ZUV_NO_ERROR);
    ZuvEComAidingAssignConf aidingBack{};
    ASSERT_EQ(zuvEComCmdSensorGetAidingAssignment(h, &aidingBack), ZUV_NO_ERROR);
    EXPECT_EQ(std::memcmp(&aiding, &aidingBack, sizeof(aiding)), 0);

    const ZuvEComGnssInstallation gnss{
        {0.1f, 0.2f, -1.3f}, true, {1.1f, 0.2f, -1.3f}, ZUV_ECOM_GNSS_INSTALLATION_DUAL_PRECISE};
    ASSERT_EQ(zuvEComCmdGnss1InstallationSet(h, &gnss), ZUV_NO_ERROR);
    ZuvEComGnssInstallation gnssBack{};
    ASSERT_EQ(zuvEComCmdGnss1InstallationGet(h, &gnssBack), ZUV_NO_ERROR);
    EXPECT_EQ(std::memcmp(gnss.leverArmPrimary, gnssBack.leverArmPrimary, sizeof(gnss.leverArmPrimary)), 0);
    EXPECT_EQ(gnssBack.leverArmPrimaryPrecise, true);
    EXPECT_EQ(std::memcmp(gnss.leverArmSecondary, gnssBack.leverArmSecondary, sizeof(gnss.leverArmSecondary)), 0);
    EXPECT_EQ(gnssBack.leverArmSecondaryMode, ZUV_ECOM_GNSS_INSTALLATION_DUAL_PRECISE);

    const ZuvEComGnssRejectionConf rejection{ZUV_ECOM_NEVER_ACCEPT_MODE, ZUV_ECOM_ALWAYS_ACCEPT_MODE,
                                             ZUV_ECOM_AUTOMATIC_MODE};
    ASSERT_EQ(zuvEComCmdGnss1SetRejection(h, &rejection), ZUV_NO_ERROR);
    ZuvEComGnssRejectionConf rejectionBack{};
    ASSERT_EQ(zuvEComCmdGnss1GetRejection(h, &rejectionBack), ZUV_NO_ERROR);
    EXPECT_EQ(std::memcmp(&rejection, &rejectionBack, sizeof(rejection)), 0);

    const ZuvEComOdoConf odo{2048.5f, 7, true};
    ASSERT_EQ(zuvEComCmdOdoSetConf(h, &odo), ZUV_NO_ERROR);
    ZuvEComOdoConf odoBack{};
    ASSERT_EQ(zuvEComCmdOdoGetConf(h, &odoBack), ZUV_NO_ERROR);
    EXPECT_EQ(odoBack.gain, odo.gain);
    EXPECT_EQ(odoBack.gainError, odo.gainError);
    EXPECT_EQ(odoBack.reverseMode, odo.reverseMode);

    const float odoArm[3] = {-0.7f, 0.8f, 0.3f};
    ASSERT_EQ(zuvEComCmdOdoSetLeverArm(h, odoArm), ZUV_NO_ERROR);
    float odoArmBack[3] = {};
    ASSERT_EQ(zuvEComCmdOdoGetLeverArm(h, odoArmBack), ZUV_NO_ERROR);
    EXPECT_EQ(std::memcmp(odoArm, odoArmBack, sizeof(odoArm)), 0);

    const ZuvEComOdoRejectionConf odoRejection{ZUV_ECOM_ALWAYS_ACCEPT_MODE};
    ASSERT_EQ(zuvEComCmdOdoSetRejection(h, &odoRejection), ZUV_NO_ERROR);
    ZuvEComOdoRejectionConf odoRejectionBack{};
    ASSERT_EQ(zuvEComCmdOdoGetRejection(h, &odoRejectionBack), ZUV_NO_ERROR);
    EXPECT_EQ(odoRejectionBack.velocity, ZUV_ECOM_ALWAYS_ACCEPT_MODE);

    const ZuvEComAdvancedConf advanced{ZUV_ECOM_TIME_REFERENCE_SYNC_IN_A};
    ASSERT_EQ(zuvEComCmdAdvancedSetConf(h, &advanced), ZUV_NO_ERROR);
    ZuvEComAdvancedConf advancedBack{};
    ASSERT_EQ(zuvEComCmdAdvancedGetConf(h, &advancedBack), ZUV_NO_ERROR);
    EXPECT_EQ(advancedBack.timeReferenceSrc, ZUV_ECOM_TIME_REFERENCE_SYNC_IN_A);

    // Output modes are kept per port, class and log.
    ASSERT_EQ(
        zuvEComCmdOutputSetConf(h, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 3, ZUV_ECOM_OUTPUT_MODE_DIV_2),
        ZUV_NO_ERROR);
    ASSERT_EQ(
        zuvEComCmdOutputSetConf(h, ZUV_ECOM_OUTPUT_PORT_D, ZUV_ECOM_CLASS_LOG_ECOM_1, 25, ZUV_ECOM_OUTPUT_MODE_SYNC_B),
        ZUV_NO_ERROR);
    ZuvEComOutputMode mode{};
    ASSERT_EQ(zuvEComCmdOutputGetConf(h, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 3, &mode), ZUV_NO_ERROR);
    EXPECT_EQ(mode, ZUV_ECOM_OUTPUT_MODE_DIV_2);
    ASSERT_EQ(zuvEComCmdOutputGetConf(h, ZUV_ECOM_OUTPUT_PORT_D, ZUV_ECOM_CLASS_LOG_ECOM_1, 25, &mode), ZUV_NO_ERROR);
    EXPECT_EQ(mode, ZUV_ECOM_OUTPUT_MODE_SYNC_B);
    ASSERT_EQ(zuvEComCmdOutputGetConf(h, ZUV_ECOM_OUTPUT_PORT_D, ZUV_ECOM_CLASS_LOG_ECOM_0, 25, &mode), ZUV_NO_ERROR);
    EXPECT_EQ(mode, ZUV_ECOM_OUTPUT_MODE_DISABLED);
    EXPECT_EQ(c.sim->outputMode(3, 1, 25), ZUV_ECOM_OUTPUT_MODE_SYNC_B);

    const ZuvEComInterfaceConf uart{57600, ZUV_ECOM_UART_MODE_422};
    ASSERT_EQ(zuvEComCmdInterfaceSetUartConf(h, ZUV_ECOM_IF_COM_C, &uart), ZUV_NO_ERROR);
    ZuvEComInterfaceConf uartBack{};
    ASSERT_EQ(zuvEComCmdInterfaceGetUartConf(h, ZUV_ECOM_IF_COM_C, &uartBack), ZUV_NO_ERROR);
    EXPECT_EQ(uartBack.baudRate, 57600u);
    EXPECT_EQ(uartBack.mode, ZUV_ECOM_UART_MODE_422);
    EXPECT_EQ(c.sim->portBaudRate(), 115200u);  // port A untouched

    ZuvEComDeviceInfo info{};
    ASSERT_EQ(zuvEComCmdGetInfo(h, &info), ZUV_NO_ERROR);
    EXPECT_STREQ(info.productCode, "ZUV-SIM-INS");
    ZuvEComFeatures features{};
    ASSERT_EQ(zuvEComCmdGetFeatures(h, &features), ZUV_NO_ERROR);
    EXPECT_EQ(features.gnssUpdateRate, kGnssUpdateRateHz);
}

// Each refused set answers 9 and leaves the device as it was.
TEST_P(Commands, OutOfRangeValuesAreRefusedWith9AndChangeNothing) {
    const float arm[3] = {0, 0, 0};
    const ZuvEComSensorAlignmentInfo sameAxis{ZUV_ECOM_ALIGNMENT_FORWARD, ZUV_ECOM_ALIGNMENT_BACKWARD, 0, 0, 0};
    EXPECT_EQ(zuvEComCmdSensorSetAlignmentAndLeverArm(h, &sameAxis, arm), ZUV_INVALID_PARAMETER);
    const ZuvEComSensorAlignmentInfo hugeAngle{ZUV_ECOM_ALIGNMENT_FORWARD, ZUV_ECOM_ALIGNMENT_RIGHT, 500.0f, 0, 0};
    EXPECT_EQ(zuvEComCmdSensorSetAlignmentAndLeverArm(h, &hugeAngle, arm), ZUV_INVALID_PARAMETER);
    ZuvEComSensorAlignmentInfo alignment{};
    float leverArm[3];
    ASSERT_EQ(zuvEComCmdSensorGetAlignmentAndLeverArm(h, &alignment, leverArm), ZUV_NO_ERROR);
    EXPECT_EQ(alignment.axisDirectionY, ZUV_ECOM_ALIGNMENT_RIGHT);
    EXPECT_EQ(alignment.misRoll, 0.0f);

    const ZuvEComInitConditionConf badLatitude{95.0, 0, 0, 2024, 1, 1};
    EXPECT_EQ(zuvEComCmdSensorSetInitCondition(h, &badLatitude), ZUV_INVALID_PARAMETER);
    const ZuvEComInitConditionConf badMonth{45.0, 0, 0, 2024, 13, 1};
    EXPECT_EQ(zuvEComCmdSensorSetInitCondition(h, &badMonth), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(zuvEComCmdSensorSetMotionProfileId(h, 99), ZUV_INVALID_PARAMETER);
    const ZuvEComAidingAssignConf badModule{9, 0xFF, 0xFF, 0};
    EXPECT_EQ(zuvEComCmdSensorSetAidingAssignment(h, &badModule), ZUV_INVALID_PARAMETER);
    const ZuvEComGnssInstallation farAntenna{{500.0f, 0, 0}, false, {0, 0, 0}, ZUV_ECOM_GNSS_INSTALLATION_SINGLE};
    EXPECT_EQ(zuvEComCmdGnss1InstallationSet(h, &farAntenna), ZUV_INVALID_PARAMETER);
    const ZuvEComOdoConf negativeGain{-1.0f, 5, false};
    EXPECT_EQ(zuvEComCmdOdoSetConf(h, &negativeGain), ZUV_INVALID_PARAMETER);
    const float notANumber[3] = {NAN, 0, 0};
    EXPECT_EQ(zuvEComCmdOdoSetLeverArm(h, notANumber), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(
        zuvEComCmdOutputSetConf(h, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 10, ZUV_ECOM_OUTPUT_MODE_DIV_2),
        ZUV_INVALID_PARAMETER);  // a log this device does not have
    ZuvEComOutputMode mode{};
    EXPECT_EQ(zuvEComCmdOutputGetConf(h, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 39, &mode),
              ZUV_INVALID_PARAMETER);
    const ZuvEComInterfaceConf oddBaud{12345, ZUV_ECOM_UART_MODE_232};
    EXPECT_EQ(zuvEComCmdInterfaceSetUartConf(h, ZUV_ECOM_IF_COM_B, &oddBaud), ZUV_INVALID_PARAMETER);
    const ZuvEComInterfaceConf mainPortOff{115200, ZUV_ECOM_UART_MODE_OFF};
    EXPECT_EQ(zuvEComCmdInterfaceSetUartConf(h, ZUV_ECOM_IF_COM_A, &mainPortOff), ZUV_INVALID_PARAMETER);

    // Every one of them reached the device and was refused there.
    int refused = 0;
    for (const CommandRecord &command : c.sim->commands()) {
        refused += command.answerCode == ZUV_INVALID_PARAMETER;
    }
    EXPECT_EQ(refused, 13);
    ZuvEComModelInfo model{};
    ASSERT_EQ(zuvEComCmdSensorGetMotionProfileInfo(h, &model), ZUV_NO_ERROR);
    EXPECT_EQ(model.id, 1u);
    ZuvEComOdoConf odo{};
    ASSERT_EQ(zuvEComCmdOdoGetConf(h, &odo), ZUV_NO_ERROR);
    EXPECT_EQ(odo.gain, 1000.0f);
}

// Requests the library never sends: wrong sizes, values outside the wire's value
// sets, unknown commands, damaged frames.
TEST_P(Commands, MalformedRequestsGetTheirRefusal) {
    struct Case {
        const char *what;
        uint8_t id;
        std::vector<uint8_t> payload;
        uint16_t code;
    };
    const Case cases[] = {
        {"info with a payload", ZUV_ECOM_CMD_INFO, {0}, ZUV_INVALID_PARAMETER},
        {"short alignment", ZUV_ECOM_CMD_SENSOR_ALIGNMENT, std::vector<uint8_t>(10), ZUV_INVALID_PARAMETER},
        {"long export request", ZUV_ECOM_CMD_EXPORT_SETTINGS, {0, 0, 0}, ZUV_INVALID_PARAMETER},
        {"export page past the end", ZUV_ECOM_CMD_EXPORT_SETTINGS, {9, 0}, ZUV_INVALID_PARAMETER},
        {"output request of 4 bytes", ZUV_ECOM_CMD_OUTPUT_CONF, {0, 0, 3, 1}, ZUV_INVALID_PARAMETER},
        {"output mode 3", ZUV_ECOM_CMD_OUTPUT_CONF, {0, 0, 3, 3, 0}, ZUV_INVALID_PARAMETER},
        {"output mode 10002", ZUV_ECOM_CMD_OUTPUT_CONF, {0, 0, 3, 0x12, 0x27}, ZUV_INVALID_PARAMETER},
        {"output port 5", ZUV_ECOM_CMD_OUTPUT_CONF, {5, 0, 3}, ZUV_INVALID_PARAMETER},
        {"output class 2", ZUV_ECOM_CMD_OUTPUT_CONF, {0, 2, 3}, ZUV_INVALID_PARAMETER},
        {"UART port 7", ZUV_ECOM_CMD_UART_CONF, {7}, ZUV_INVALID_PARAMETER},
        {"settings action 3", ZUV_ECOM_CMD_SETTINGS_ACTION, {3}, ZUV_INVALID_PARAMETER},
        {"axis direction 6",
         ZUV_ECOM_CMD_SENSOR_ALIGNMENT,
         {6, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         ZUV_INVALID_PARAMETER},
        {"unknown command", 0x30, {}, ZUV_ERROR},
    };
    for (const Case &test : cases) {
        const std::optional<RawAnswer> answer = c.host->rawExchange(test.id, test.payload);
        ASSERT_TRUE(answer.has_value()) << test.what;
        ASSERT_EQ(answer->id, ZUV_ECOM_CMD_ACK) << test.what;
        ASSERT_EQ(answer->payload.size(), 4u) << test.what;
        EXPECT_EQ(answer->payload[0], test.id) << test.what;
        EXPECT_EQ(answer->payload[1], ZUV_ECOM_CLASS_CMD_0) << test.what;
        EXPECT_EQ(answer->payload[2] | (answer->payload[3] << 8), test.code) << test.what;
    }
    // Noise before a request does not hide it; a request with a broken CRC gets no answer.
    const std::optional<RawAnswer> afterNoise =
        c.host->rawExchange(ZUV_ECOM_CMD_INFO, {}, 1000, {0x00, 0xFF, 0x12, 0xFF, 0x5A, 0xFF});
    ASSERT_TRUE(afterNoise.has_value());
    EXPECT_EQ(afterNoise->id, ZUV_ECOM_CMD_INFO);
    std::vector<uint8_t> broken = {0xFF, 0x5A, ZUV_ECOM_CMD_INFO, ZUV_ECOM_CLASS_CMD_0, 0, 0, 0x12, 0x34, 0x33};
    EXPECT_FALSE(c.host->rawSend(broken, 200).has_value());
    EXPECT_GE(c.sim->stats().badCommandFrames, 1u);
}

TEST_P(Commands, ExportAndImportCarryAWholeHundredThousandByteImage) {
    c.sim->setExportPadding(100000);
    ASSERT_EQ(
        zuvEComCmdOutputSetConf(h, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 8, ZUV_ECOM_OUTPUT_MODE_DIV_4),
        ZUV_NO_ERROR);
    ASSERT_EQ(zuvEComCmdSensorSetMotionProfileId(h, 2), ZUV_NO_ERROR);
    std::vector<uint8_t> image(100000);
    size_t size = 0;
    ASSERT_EQ(zuvEComCmdExportSettings(h, image.data(), &size, image.size()), ZUV_NO_ERROR);
    EXPECT_EQ(size, 100000u);
    size_t smallSize = 0;
    std::vector<uint8_t> small(99999);
    EXPECT_EQ(zuvEComCmdExportSettings(h, small.data(), &smallSize, small.size()), ZUV_BUFFER_OVERFLOW);

    ASSERT_EQ(zuvEComCmdSensorSetMotionProfileId(h, 5), ZUV_NO_ERROR);
    ASSERT_EQ(
        zuvEComCmdOutputSetConf(h, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 8, ZUV_ECOM_OUTPUT_MODE_DISABLED),
        ZUV_NO_ERROR);
    c.sim->clearCommands();
    ASSERT_EQ(zuvEComCmdImportSettings(h, image.data(), image.size()), ZUV_NO_ERROR);
    EXPECT_EQ(c.sim->commands().size(), 25u);  // ceil(100000 / 4082) pages
    ZuvEComModelInfo model{};
    ASSERT_EQ(zuvEComCmdSensorGetMotionProfileInfo(h, &model), ZUV_NO_ERROR);
    EXPECT_EQ(model.id, 2u);
    EXPECT_EQ(c.sim->outputMode(0, 0, 8), ZUV_ECOM_OUTPUT_MODE_DIV_4);

    // Images the device cannot use are refused and change nothing.
    ASSERT_EQ(zuvEComCmdSensorSetMotionProfileId(h, 6), ZUV_NO_ERROR);
    EXPECT_EQ(zuvEComCmdImportSettings(h, image.data(), 0), ZUV_INVALID_PARAMETER);
    std::vector<uint8_t> damaged(image.begin(), image.begin() + 200);
    damaged[40] ^= 0x01;
    EXPECT_EQ(zuvEComCmdImportSettings(h, damaged.data(), damaged.size()), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(zuvEComCmdImportSettings(h, image.data(), 30), ZUV_INVALID_PARAMETER);
    const std::vector<uint8_t> garbage(5000, 0xA5);
    EXPECT_EQ(zuvEComCmdImportSettings(h, garbage.data(), garbage.size()), ZUV_INVALID_PARAMETER);
    ASSERT_EQ(zuvEComCmdSensorGetMotionProfileInfo(h, &model), ZUV_NO_ERROR);
    EXPECT_EQ(model.id, 6u);

    // The image without its padding is the same settings.
    c.sim->setExportPadding(0);
    std::vector<uint8_t> plain(100000);
    ASSERT_EQ(zuvEComCmdExportSettings(h, plain.data(), &size, plain.size()), ZUV_NO_ERROR);
    EXPECT_LT(size, 4082u);
    EXPECT_NE(std::memcmp(plain.data(), image.data(), size), 0);  // profile 6 now
    ASSERT_EQ(zuvEComCmdImportSettings(h, image.data(), size), ZUV_NO_ERROR);
    ASSERT_EQ(zuvEComCmdSensorGetMotionProfileInfo(h, &model), ZUV_NO_ERROR);
    EXPECT_EQ(model.id, 2u);
}

TEST_P(Commands, LogsThatArriveDuringACommandReachTheCallback) {
    ASSERT_EQ(c.sim->setOutputMode(0, 0, ZUV_ECOM_LOG_IMU_DATA, 1), ZUV_NO_ERROR);
    ASSERT_EQ(c.sim->setOutputMode(0, 1, ZUV_ECOM_LOG_STATUS, 10), ZUV_NO_ERROR);
    c.sim->advance(100000);  // 21 IMU logs and 3 status logs (class 1) ahead of the answer
    ASSERT_TRUE(c.sim->waitForOutput(2000));
    ZuvEComDeviceInfo info{};
    ASSERT_EQ(zuvEComCmdGetInfo(h, &info), ZUV_NO_ERROR);
    EXPECT_EQ(c.host->logsById[ZUV_ECOM_LOG_IMU_DATA], 21);
    EXPECT_EQ(c.host->logsById[ZUV_ECOM_LOG_STATUS], 3);
    EXPECT_EQ(c.host->logCount, 24);
}

TEST_P(Commands, ARefusingDeviceAnswersEveryCommandWithItsCode) {
    c.sim->setCommandRefusal(ZUV_ERROR);
    EXPECT_EQ(
        zuvEComCmdOutputSetConf(h, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 1, ZUV_ECOM_OUTPUT_MODE_DIV_200),
        ZUV_ERROR);
    ZuvEComDeviceInfo info{};
    EXPECT_EQ(zuvEComCmdGetInfo(h, &info), ZUV_ERROR);
    EXPECT_EQ(c.sim->outputMode(0, 0, 1), 0);
    c.sim->setCommandRefusal(0);
    EXPECT_EQ(zuvEComCmdGetInfo(h, &info), ZUV_NO_ERROR);

    // The device keeps what it was asked, in order.
    c.sim->clearCommands();
    for (const uint8_t id : {uint8_t{1}, uint8_t{3}, uint8_t{38}}) {
        ASSERT_EQ(zuvEComCmdOutputSetConf(h, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, id,
                                          ZUV_ECOM_OUTPUT_MODE_DIV_200),
                  ZUV_NO_ERROR);
    }
    const std::vector<CommandRecord> commands = c.sim->commands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].payload, (std::vector<uint8_t>{0, 0, 1, 200, 0}));
    EXPECT_EQ(commands[2].payload, (std::vector<uint8_t>{0, 0, 38, 200, 0}));
}

TEST(CommandFaults, ANeverAcknowledgingDeviceAnswersQueriesOnly) {
    SimConfig config;
    config.clock = ClockMode::Manual;
    config.faults.neverAcknowledge = true;
    Connected c = connect(LinkKind::Pty, config);
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();
    ZuvEComDeviceInfo info{};
    EXPECT_EQ(zuvEComCmdGetInfo(&c.host->handle, &info), ZUV_NO_ERROR);
    EXPECT_EQ(zuvEComCmdOutputSetConf(&c.host->handle, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 1,
                                      ZUV_ECOM_OUTPUT_MODE_DIV_200),
              ZUV_TIME_OUT);
    EXPECT_EQ(c.sim->commands().size(), 4u) << "the query and three attempts of the set";
}

INSTANTIATE_TEST_SUITE_P(Links, Commands, ::testing::Values(LinkKind::Pty, LinkKind::Udp), linkName);

}  // namespace
}  // namespace zuv::test
