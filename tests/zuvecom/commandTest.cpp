#include <gtest/gtest.h>

#include <cstring>

#include "simLink.h"
#include "zuvEComCommandCodec.h"
#include "zuvEComCommands.h"

namespace zuv::test {
namespace {

Bytes imuFrame(uint32_t timeStamp) {
    ZuvBinaryLogData log{};
    log.imuData.timeStamp = timeStamp;
    Bytes payload(58);
    size_t size = 0;
    zuvEComBinaryLogEncode(ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_IMU_DATA, &log, payload.data(), payload.size(),
                           &size);
    return buildFrame(ZUV_ECOM_LOG_IMU_DATA, ZUV_ECOM_CLASS_LOG_ECOM_0, payload);
}

// The simulated device, with the link's scripting for what no device sends.
class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(zuvEComInit(&handle, link.interface()), ZUV_NO_ERROR);
        clock.attach(&handle);
        sink.attach(&handle);
    }
    void silence() {
        sim::FaultConfig faults;
        faults.silent = true;
        link.device().setFaults(faults);
    }

    SimLink link;
    ZuvEComHandle handle{};
    SimClock clock{&link.device()};
    LogSink sink;
};

TEST_F(Commands, DeviceInformationFeaturesAndMotionProfile) {
    ZuvEComDeviceInfo info{};
    ASSERT_EQ(zuvEComCmdGetInfo(&handle, &info), ZUV_NO_ERROR);
    EXPECT_STREQ(info.productCode, "ZUV-SIM-INS");
    EXPECT_EQ(info.serialNumber, 45000001u);  // seed 1
    EXPECT_EQ(info.calibrationYear, 2024);
    EXPECT_EQ(info.firmwareRev, 0x01020000u);

    ZuvEComFeatures features{};
    ASSERT_EQ(zuvEComCmdGetFeatures(&handle, &features), ZUV_NO_ERROR);
    EXPECT_EQ(features.gnssUpdateRate, 5);
    EXPECT_STREQ(features.gnssProductCode, "ZUV-SIM-GNSS");

    ASSERT_EQ(zuvEComCmdSensorSetMotionProfileId(&handle, 2), ZUV_NO_ERROR);
    ZuvEComModelInfo profile{};
    ASSERT_EQ(zuvEComCmdSensorGetMotionProfileInfo(&handle, &profile), ZUV_NO_ERROR);
    EXPECT_EQ(profile.id, 2u);
    EXPECT_STREQ(profile.name, "AUTOMOTIVE");
    EXPECT_EQ(clock.slept, 0u);  // answered at once: no waiting
}

TEST_F(Commands, AlignmentAndLeverArmRoundTrip) {
    const ZuvEComSensorAlignmentInfo alignment{ZUV_ECOM_ALIGNMENT_LEFT, ZUV_ECOM_ALIGNMENT_DOWN, 0.5f, -1.25f, 90.0f};
    const float leverArm[3] = {1.5f, -0.25f, 2.0f};
    ASSERT_EQ(zuvEComCmdSensorSetAlignmentAndLeverArm(&handle, &alignment, leverArm), ZUV_NO_ERROR);
    ZuvEComSensorAlignmentInfo readBack{};
    float readArm[3] = {};
    ASSERT_EQ(zuvEComCmdSensorGetAlignmentAndLeverArm(&handle, &readBack, readArm), ZUV_NO_ERROR);
    EXPECT_EQ(readBack.axisDirectionX, ZUV_ECOM_ALIGNMENT_LEFT);
    EXPECT_EQ(readBack.axisDirectionY, ZUV_ECOM_ALIGNMENT_DOWN);
    EXPECT_EQ(readBack.misRoll, 0.5f);
    EXPECT_EQ(readBack.misPitch, -1.25f);
    EXPECT_EQ(readBack.misYaw, 90.0f);
    EXPECT_EQ(0, std::memcmp(readArm, leverArm, sizeof(leverArm)));
}

TEST_F(Commands, InitialConditionAndAidingAssignmentRoundTrip) {
    const ZuvEComInitConditionConf init{-33.5, 151.25, -12.0, 2025, 6, 30};
    ASSERT_EQ(zuvEComCmdSensorSetInitCondition(&handle, &init), ZUV_NO_ERROR);
    ZuvEComInitConditionConf initBack{};
    ASSERT_EQ(zuvEComCmdSensorGetInitCondition(&handle, &initBack), ZUV_NO_ERROR);
    EXPECT_EQ(initBack.latitude, -33.5);
    EXPECT_EQ(initBack.longitude, 151.25);
    EXPECT_EQ(initBack.altitude, -12.0);
    EXPECT_EQ(initBack.year, 2025);
    EXPECT_EQ(initBack.day, 30);

    const ZuvEComAidingAssignConf aiding{3, 1, 4, 2};
    ASSERT_EQ(zuvEComCmdSensorSetAidingAssignment(&handle, &aiding), ZUV_NO_ERROR);
    ZuvEComAidingAssignConf aidingBack{};
    ASSERT_EQ(zuvEComCmdSensorGetAidingAssignment(&handle, &aidingBack), ZUV_NO_ERROR);
    EXPECT_EQ(aidingBack.gnss1Module, 3);
    EXPECT_EQ(aidingBack.gnss1Sync, 1);
    EXPECT_EQ(aidingBack.rtcmModule, 4);
    EXPECT_EQ(aidingBack.odometerPinsConf, 2);
}

TEST_F(Commands, GnssInstallationAndRejectionRoundTrip) {
    const ZuvEComGnssInstallation installation{
        {0.1f, 0.2f, 0.3f}, true, {-0.4f, 0.5f, -0.6f}, ZUV_ECOM_GNSS_INSTALLATION_DUAL_PRECISE};
    ASSERT_EQ(zuvEComCmdGnss1InstallationSet(&handle, &installation), ZUV_NO_ERROR);
    ZuvEComGnssInstallation back{};
    ASSERT_EQ(zuvEComCmdGnss1InstallationGet(&handle, &back), ZUV_NO_ERROR);
    EXPECT_EQ(back.leverArmPrimary[2], 0.3f);
    EXPECT_TRUE(back.leverArmPrimaryPrecise);
    EXPECT_EQ(back.leverArmSecondary[0], -0.4f);
    EXPECT_EQ(back.leverArmSecondaryMode, ZUV_ECOM_GNSS_INSTALLATION_DUAL_PRECISE);

    const ZuvEComGnssRejectionConf rejection{ZUV_ECOM_NEVER_ACCEPT_MODE, ZUV_ECOM_ALWAYS_ACCEPT_MODE,
                                             ZUV_ECOM_AUTOMATIC_MODE};
    ASSERT_EQ(zuvEComCmdGnss1SetRejection(&handle, &rejection), ZUV_NO_ERROR);
    ZuvEComGnssRejectionConf rejectionBack{};
    ASSERT_EQ(zuvEComCmdGnss1GetRejection(&handle, &rejectionBack), ZUV_NO_ERROR);
    EXPECT_EQ(rejectionBack.position, ZUV_ECOM_NEVER_ACCEPT_MODE);
    EXPECT_EQ(rejectionBack.velocity, ZUV_ECOM_ALWAYS_ACCEPT_MODE);
    EXPECT_EQ(rejectionBack.hdt, ZUV_ECOM_AUTOMATIC_MODE);
}

TEST_F(Commands, OdometerAndAdvancedRoundTrip) {
    const ZuvEComOdoConf odo{4096.5f, 7, true};
    ASSERT_EQ(zuvEComCmdOdoSetConf(&handle, &odo), ZUV_NO_ERROR);
    ZuvEComOdoConf odoBack{};
    ASSERT_EQ(zuvEComCmdOdoGetConf(&handle, &odoBack), ZUV_NO_ERROR);
    EXPECT_EQ(odoBack.gain, 4096.5f);
    EXPECT_EQ(odoBack.gainError, 7);
    EXPECT_TRUE(odoBack.reverseMode);

    const float arm[3] = {-1.0f, 0.75f, 0.125f};
    ASSERT_EQ(zuvEComCmdOdoSetLeverArm(&handle, arm), ZUV_NO_ERROR);
    float armBack[3] = {};
    ASSERT_EQ(zuvEComCmdOdoGetLeverArm(&handle, armBack), ZUV_NO_ERROR);
    EXPECT_EQ(0, std::memcmp(arm, armBack, sizeof(arm)));

    const ZuvEComOdoRejectionConf rejection{ZUV_ECOM_ALWAYS_ACCEPT_MODE};
    ASSERT_EQ(zuvEComCmdOdoSetRejection(&handle, &rejection), ZUV_NO_ERROR);
    ZuvEComOdoRejectionConf rejectionBack{};
    ASSERT_EQ(zuvEComCmdOdoGetRejection(&handle, &rejectionBack), ZUV_NO_ERROR);
    EXPECT_EQ(rejectionBack.velocity, ZUV_ECOM_ALWAYS_ACCEPT_MODE);

    const ZuvEComAdvancedConf advanced{ZUV_ECOM_TIME_REFERENCE_UTC_GPS_1};
    ASSERT_EQ(zuvEComCmdAdvancedSetConf(&handle, &advanced), ZUV_NO_ERROR);
    ZuvEComAdvancedConf advancedBack{};
    ASSERT_EQ(zuvEComCmdAdvancedGetConf(&handle, &advancedBack), ZUV_NO_ERROR);
    EXPECT_EQ(advancedBack.timeReferenceSrc, ZUV_ECOM_TIME_REFERENCE_UTC_GPS_1);
}

TEST_F(Commands, OutputAndUartConfigurationRoundTrip) {
    ASSERT_EQ(zuvEComCmdOutputSetConf(&handle, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_GPS2_RAW,
                                      ZUV_ECOM_OUTPUT_MODE_SYNC_D),
              ZUV_NO_ERROR);
    ZuvEComOutputMode mode = ZUV_ECOM_OUTPUT_MODE_DISABLED;
    ASSERT_EQ(zuvEComCmdOutputGetConf(&handle, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_GPS2_RAW,
                                      &mode),
              ZUV_NO_ERROR);
    EXPECT_EQ(mode, ZUV_ECOM_OUTPUT_MODE_SYNC_D);
    // Another log on the same port is untouched.
    ASSERT_EQ(
        zuvEComCmdOutputGetConf(&handle, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_STATUS, &mode),
        ZUV_NO_ERROR);
    EXPECT_EQ(mode, ZUV_ECOM_OUTPUT_MODE_DISABLED);

    const ZuvEComInterfaceConf uart{921600, ZUV_ECOM_UART_MODE_422};
    ASSERT_EQ(zuvEComCmdInterfaceSetUartConf(&handle, ZUV_ECOM_IF_COM_C, &uart), ZUV_NO_ERROR);
    ZuvEComInterfaceConf uartBack{};
    ASSERT_EQ(zuvEComCmdInterfaceGetUartConf(&handle, ZUV_ECOM_IF_COM_C, &uartBack), ZUV_NO_ERROR);
    EXPECT_EQ(uartBack.baudRate, 921600u);
    EXPECT_EQ(uartBack.mode, ZUV_ECOM_UART_MODE_422);
    ASSERT_EQ(zuvEComCmdInterfaceGetUartConf(&handle, ZUV_ECOM_IF_COM_A, &uartBack), ZUV_NO_ERROR);
    EXPECT_EQ(uartBack.baudRate, 115200u);
}

TEST_F(Commands, SettingsActionsWaitForTheirAck) {
    for (ZuvEComSettingsAction action :
         {ZUV_ECOM_REBOOT_ONLY, ZUV_ECOM_SAVE_SETTINGS, ZUV_ECOM_RESTORE_DEFAULT_SETTINGS}) {
        EXPECT_EQ(zuvEComCmdSettingsAction(&handle, action), ZUV_NO_ERROR);
        link.device().advance(2000000);  // back from a reboot
    }
    int taken[3] = {0, 0, 0};
    for (const sim::CommandRecord &command : link.device().commands()) {
        if (command.id == ZUV_ECOM_CMD_SETTINGS_ACTION && command.answerCode == 0) ++taken[command.payload.at(0)];
    }
    EXPECT_EQ(taken[0], 1);
    EXPECT_EQ(taken[1], 1);
    EXPECT_EQ(taken[2], 1);
    EXPECT_EQ(zuvEComCmdSettingsAction(&handle, static_cast<ZuvEComSettingsAction>(3)), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(link.requestCount(ZUV_ECOM_CMD_SETTINGS_ACTION), 3u);
}

TEST_F(Commands, TheDevicesRefusalIsReturnedAndOutputsStayUnchanged) {
    // The device checks the log id; the library passes any 8-bit id through.
    EXPECT_EQ(zuvEComCmdOutputSetConf(&handle, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 200,
                                      ZUV_ECOM_OUTPUT_MODE_DIV_200),
              ZUV_INVALID_PARAMETER);
    link.device().setCommandRefusal(ZUV_INVALID_PARAMETER);
    ZuvEComInitConditionConf init{};
    init.year = 1999;
    EXPECT_EQ(zuvEComCmdSensorGetInitCondition(&handle, &init), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(init.year, 1999);
    EXPECT_EQ(zuvEComCmdSensorSetInitCondition(&handle, &init), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(link.requestCount(ZUV_ECOM_CMD_INIT_CONDITION), 2u);  // a refusal is not retried
    // Codes the library does not know become a plain error.
    link.device().setCommandRefusal(300);
    ZuvEComOdoRejectionConf rejection{ZUV_ECOM_AUTOMATIC_MODE};
    EXPECT_EQ(zuvEComCmdOdoSetRejection(&handle, &rejection), ZUV_ERROR);
}

TEST_F(Commands, ValuesThatDoNotFitTheWireAreRefusedBeforeSending) {
    EXPECT_EQ(zuvEComCmdOutputSetConf(&handle, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 3,
                                      static_cast<ZuvEComOutputMode>(10002)),
              ZUV_INVALID_PARAMETER);
    EXPECT_EQ(
        zuvEComCmdOutputSetConf(&handle, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_CMD_0, 3, ZUV_ECOM_OUTPUT_MODE_DIV_2),
        ZUV_INVALID_PARAMETER);
    EXPECT_EQ(zuvEComCmdOutputSetConf(&handle, static_cast<ZuvEComOutputPort>(5), ZUV_ECOM_CLASS_LOG_ECOM_0, 3,
                                      ZUV_ECOM_OUTPUT_MODE_DIV_2),
              ZUV_INVALID_PARAMETER);
    ZuvEComGnssInstallation installation{};  // secondary mode 0 is not a mode
    EXPECT_EQ(zuvEComCmdGnss1InstallationSet(&handle, &installation), ZUV_INVALID_PARAMETER);
    const ZuvEComInterfaceConf uart{115200, static_cast<ZuvEComPortMode>(3)};
    EXPECT_EQ(zuvEComCmdInterfaceSetUartConf(&handle, ZUV_ECOM_IF_COM_A, &uart), ZUV_INVALID_PARAMETER);
    EXPECT_TRUE(link.requests().empty());
}

TEST_F(Commands, SilenceTimesOutAfterThreeAttempts) {
    silence();
    ZuvEComDeviceInfo info{};
    info.serialNumber = 77;
    EXPECT_EQ(zuvEComCmdGetInfo(&handle, &info), ZUV_TIME_OUT);
    EXPECT_EQ(info.serialNumber, 77u);
    EXPECT_EQ(link.requestCount(ZUV_ECOM_CMD_INFO), 3u);
    EXPECT_GE(clock.slept, 1500u);
    EXPECT_LE(clock.slept, 1510u);
}

// The caller's abort check abandons a wait at once; without it the retries stand.
struct AbortAfter {
    int checksLeft;
    int checks = 0;
    static int check(void *arg) {
        auto *self = static_cast<AbortAfter *>(arg);
        ++self->checks;
        return self->checksLeft-- <= 0 ? 1 : 0;
    }
};

TEST_F(Commands, AnAbortCheckAbandonsTheWaitWithCancelled) {
    silence();
    for (int checksLeft : {0, 1, 50, 700}) {
        SCOPED_TRACE(checksLeft);
        clock.slept = 0;
        AbortAfter abort{checksLeft};
        ASSERT_EQ(zuvEComSetAbortCheck(&handle, &AbortAfter::check, &abort), ZUV_NO_ERROR);
        const size_t before = link.requestCount(ZUV_ECOM_CMD_OUTPUT_CONF);
        EXPECT_EQ(zuvEComCmdOutputSetConf(&handle, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0,
                                          ZUV_ECOM_LOG_IMU_DATA, ZUV_ECOM_OUTPUT_MODE_DIV_8),
                  ZUV_OPERATION_CANCELLED);
        // Abandoned where it was asked: nothing sent before the first check, one
        // attempt per 500 ms of waiting after it.
        const size_t sent = link.requestCount(ZUV_ECOM_CMD_OUTPUT_CONF) - before;
        EXPECT_EQ(sent, checksLeft == 0 ? 0u : 1u + static_cast<size_t>(clock.slept / 500));
        EXPECT_LE(clock.slept, static_cast<uint32_t>(checksLeft) + 1);
    }
    ASSERT_EQ(zuvEComSetAbortCheck(&handle, nullptr, nullptr), ZUV_NO_ERROR);
    clock.slept = 0;
    EXPECT_EQ(zuvEComCmdSettingsAction(&handle, ZUV_ECOM_SAVE_SETTINGS), ZUV_TIME_OUT);
    EXPECT_GE(clock.slept, 6000u);
    EXPECT_EQ(zuvEComSetAbortCheck(nullptr, nullptr, nullptr), ZUV_NULL_POINTER);
}

TEST_F(Commands, SaveWaitsTwoSecondsPerAttempt) {
    silence();
    EXPECT_EQ(zuvEComCmdSettingsAction(&handle, ZUV_ECOM_SAVE_SETTINGS), ZUV_TIME_OUT);
    EXPECT_EQ(link.requestCount(ZUV_ECOM_CMD_SETTINGS_ACTION), 3u);
    EXPECT_GE(clock.slept, 6000u);
    EXPECT_LE(clock.slept, 6010u);
}

TEST_F(Commands, ALostAnswerIsRecoveredByTheNextAttempt) {
    const ZuvEComAdvancedConf set{ZUV_ECOM_TIME_REFERENCE_SYNC_IN_A};
    ASSERT_EQ(zuvEComCmdAdvancedSetConf(&handle, &set), ZUV_NO_ERROR);
    clock.slept = 0;
    int calls = 0;
    link.onCommand(ZUV_ECOM_CMD_ADVANCED_CONF, [&calls](SimLink &, const Bytes &) { return ++calls == 2; });
    ZuvEComAdvancedConf conf{};
    ASSERT_EQ(zuvEComCmdAdvancedGetConf(&handle, &conf), ZUV_NO_ERROR);
    EXPECT_EQ(conf.timeReferenceSrc, ZUV_ECOM_TIME_REFERENCE_SYNC_IN_A);
    EXPECT_EQ(calls, 2);
    EXPECT_GE(clock.slept, 500u);
    EXPECT_LT(clock.slept, 1000u);
}

TEST_F(Commands, LogsWhileWaitingReachTheCallbackAndLaterBytesStayHeld) {
    const Bytes after = imuFrame(3);
    link.onCommand(ZUV_ECOM_CMD_FEATURES, [&after](SimLink &l, const Bytes &) {
        l.queue(imuFrame(1));
        l.queueFrame(ZUV_ECOM_LOG_STATUS, 2, Bytes(26, 0));  // unknown class: dropped
        l.queue(imuFrame(2));
        l.answer(ZUV_ECOM_CMD_FEATURES, Bytes(ZUV_ECOM_FEATURES_SIZE, 0));
        l.queue(after);
        return false;
    });
    ZuvEComFeatures features{};
    ASSERT_EQ(zuvEComCmdGetFeatures(&handle, &features), ZUV_NO_ERROR);
    ASSERT_EQ(sink.entries.size(), 2u);
    EXPECT_EQ(sink.entries[0].log.imuData.timeStamp, 1u);
    EXPECT_EQ(sink.entries[1].log.imuData.timeStamp, 2u);
    // The log behind the answer is the package's or the next receive's to take.
    EXPECT_EQ(handle.protocolHandle.rxBufferSize, after.size());
    EXPECT_EQ(Bytes(handle.protocolHandle.rxBuffer, handle.protocolHandle.rxBuffer + after.size()), after);
    ASSERT_EQ(zuvEComHandle(&handle), ZUV_NO_ERROR);
    ASSERT_EQ(sink.entries.size(), 3u);
    EXPECT_EQ(sink.entries[2].log.imuData.timeStamp, 3u);
}

TEST_F(Commands, AnswersToOtherCommandsAreDropped) {
    // Ahead of the device's own ACK.
    link.onCommand(ZUV_ECOM_CMD_ODO_CONF, [](SimLink &l, const Bytes &) {
        l.ack(ZUV_ECOM_CMD_INFO, ZUV_INVALID_PARAMETER);                    // another command's refusal
        l.answer(ZUV_ECOM_CMD_ODO_LEVER_ARM, Bytes(12, 0));                 // another command's data
        l.answer(ZUV_ECOM_CMD_ACK, {ZUV_ECOM_CMD_ODO_CONF, 0x01, 9, 0});    // not a command class
        l.answer(ZUV_ECOM_CMD_ODO_CONF, Bytes(ZUV_ECOM_ODO_CONF_SIZE, 0));  // data where an ACK is due
        return true;
    });
    const ZuvEComOdoConf odo{1.0f, 2, false};
    EXPECT_EQ(zuvEComCmdOdoSetConf(&handle, &odo), ZUV_NO_ERROR);
    EXPECT_EQ(link.requestCount(ZUV_ECOM_CMD_ODO_CONF), 1u);
}

TEST_F(Commands, AnAckForAnotherCommandNeverCompletesThisOne) {
    link.onCommand(ZUV_ECOM_CMD_ODO_LEVER_ARM, [](SimLink &l, const Bytes &) {
        l.ack(ZUV_ECOM_CMD_ODO_CONF, ZUV_NO_ERROR);
        return false;
    });
    const float arm[3] = {1, 2, 3};
    EXPECT_EQ(zuvEComCmdOdoSetLeverArm(&handle, arm), ZUV_TIME_OUT);
    EXPECT_EQ(link.requestCount(ZUV_ECOM_CMD_ODO_LEVER_ARM), 3u);
}

TEST_F(Commands, MalformedAnswersAreInvalidFrames) {
    link.onCommand(ZUV_ECOM_CMD_INFO, [](SimLink &l, const Bytes &) {
        l.answer(ZUV_ECOM_CMD_INFO, Bytes(ZUV_ECOM_DEVICE_INFO_SIZE - 1, 0x41));
        return false;
    });
    ZuvEComDeviceInfo info{};
    info.serialNumber = 5;
    EXPECT_EQ(zuvEComCmdGetInfo(&handle, &info), ZUV_INVALID_FRAME);
    EXPECT_EQ(info.serialNumber, 5u);

    link.onCommand(ZUV_ECOM_CMD_INFO, [](SimLink &l, const Bytes &) {
        l.answer(ZUV_ECOM_CMD_INFO, Bytes(ZUV_ECOM_DEVICE_INFO_SIZE + 1, 0x41));
        return false;
    });
    EXPECT_EQ(zuvEComCmdGetInfo(&handle, &info), ZUV_INVALID_FRAME);

    // A success ACK where data was due.
    link.onCommand(ZUV_ECOM_CMD_FEATURES, [](SimLink &l, const Bytes &) {
        l.ack(ZUV_ECOM_CMD_FEATURES, 0);
        return false;
    });
    ZuvEComFeatures features{};
    EXPECT_EQ(zuvEComCmdGetFeatures(&handle, &features), ZUV_INVALID_FRAME);

    // A short ACK that names this command.
    link.onCommand(ZUV_ECOM_CMD_MOTION_PROFILE_ID, [](SimLink &l, const Bytes &) {
        l.answer(ZUV_ECOM_CMD_ACK, {ZUV_ECOM_CMD_MOTION_PROFILE_ID, 0x10});
        return false;
    });
    EXPECT_EQ(zuvEComCmdSensorSetMotionProfileId(&handle, 1), ZUV_INVALID_FRAME);

    // An answer about another log than the one asked for.
    link.onCommand(ZUV_ECOM_CMD_OUTPUT_CONF, [](SimLink &l, const Bytes &) {
        l.answer(ZUV_ECOM_CMD_OUTPUT_CONF, {0, 0, ZUV_ECOM_LOG_EKF_NAV, 1, 0});
        return false;
    });
    ZuvEComOutputMode mode = ZUV_ECOM_OUTPUT_MODE_DIV_40;
    EXPECT_EQ(zuvEComCmdOutputGetConf(&handle, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_IMU_DATA,
                                      &mode),
              ZUV_INVALID_FRAME);
    EXPECT_EQ(mode, ZUV_ECOM_OUTPUT_MODE_DIV_40);

    // An answer with a value outside its set.
    link.onCommand(ZUV_ECOM_CMD_SENSOR_ALIGNMENT, [](SimLink &l, const Bytes &) {
        Bytes bad(ZUV_ECOM_SENSOR_ALIGNMENT_SIZE, 0);
        bad[0] = 9;
        l.answer(ZUV_ECOM_CMD_SENSOR_ALIGNMENT, bad);
        return false;
    });
    ZuvEComSensorAlignmentInfo alignment{};
    float arm[3];
    EXPECT_EQ(zuvEComCmdSensorGetAlignmentAndLeverArm(&handle, &alignment, arm), ZUV_INVALID_PARAMETER);
}

TEST_F(Commands, LinkFailuresEndTheCommandAtOnce) {
    link.failWrites(ZUV_WRITE_ERROR);
    ZuvEComDeviceInfo info{};
    EXPECT_EQ(zuvEComCmdGetInfo(&handle, &info), ZUV_WRITE_ERROR);
    link.failWrites(ZUV_NO_ERROR);
    link.failReads(ZUV_READ_ERROR);
    EXPECT_EQ(zuvEComCmdGetInfo(&handle, &info), ZUV_READ_ERROR);
    EXPECT_EQ(clock.slept, 0u);
}

TEST(CommandArguments, NullsAreRefused) {
    SimLink link;
    ZuvEComHandle handle{};
    ZuvEComDeviceInfo info{};
    EXPECT_EQ(zuvEComCmdGetInfo(nullptr, &info), ZUV_NULL_POINTER);
    EXPECT_EQ(zuvEComCmdGetInfo(&handle, &info), ZUV_NULL_POINTER);  // not initialised
    ASSERT_EQ(zuvEComInit(&handle, link.interface()), ZUV_NO_ERROR);
    EXPECT_EQ(zuvEComCmdGetInfo(&handle, nullptr), ZUV_NULL_POINTER);
    EXPECT_EQ(zuvEComCmdOdoSetLeverArm(&handle, nullptr), ZUV_NULL_POINTER);
    EXPECT_EQ(zuvEComCmdSensorSetAlignmentAndLeverArm(&handle, nullptr, nullptr), ZUV_NULL_POINTER);
    EXPECT_EQ(zuvEComCmdOutputGetConf(&handle, ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 1, nullptr),
              ZUV_NULL_POINTER);
    EXPECT_EQ(zuvEComCmdExportSettings(&handle, nullptr, nullptr, 0), ZUV_NULL_POINTER);
    EXPECT_EQ(zuvEComCmdImportSettings(&handle, nullptr, 10), ZUV_NULL_POINTER);
    EXPECT_TRUE(link.requests().empty());
}

}  // namespace
}  // namespace zuv::test
