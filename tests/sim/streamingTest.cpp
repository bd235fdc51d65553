// Streaming on the manual device clock: rates, time stamps, values, faults.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "tapRecorder.h"
#include "zuvEComProtocol.h"

namespace zuv::test {
namespace {

constexpr uint8_t kImu = ZUV_ECOM_LOG_IMU_DATA;

std::unique_ptr<Simulator> startManual(SimConfig config, TapRecorder &recorder) {
    auto sim = std::make_unique<Simulator>(std::move(config));
    sim->setFrameTap(recorder.tap());
    EXPECT_EQ(sim->start(), ZUV_NO_ERROR) << sim->errorText();
    return sim;
}

void expectEvenSpacing(const std::vector<uint32_t> &ts, uint32_t period, const std::string &what) {
    for (size_t i = 1; i < ts.size(); ++i) {
        ASSERT_EQ(static_cast<uint32_t>(ts[i] - ts[i - 1]), period) << what << " at frame " << i;
    }
}

class DivisorMode : public ::testing::TestWithParam<uint16_t> {};

TEST_P(DivisorMode, SpacesTimeStampsByTheDivisorOfTheMainLoop) {
    const uint16_t mode = GetParam();
    SimConfig config = manualConfig();
    config.outputModes = {{kImu, mode}};
    TapRecorder recorder;
    auto sim = startManual(config, recorder);
    sim->advance(2000000);  // cycles at 0, 5 ms, ..., 2 s

    const std::vector<uint32_t> ts = recorder.timeStamps(kImu);
    const uint32_t period = 5000u * mode;
    EXPECT_EQ(ts.size(), 2000000u / period + 1);
    EXPECT_EQ(ts.front(), 0u);
    expectEvenSpacing(ts, period, "mode " + std::to_string(mode));
}

INSTANTIATE_TEST_SUITE_P(AllDivisors, DivisorMode, ::testing::Values(1, 2, 4, 8, 10, 20, 40, 200));

TEST(Streaming, PpsModeSendsOnceASecond) {
    SimConfig config = manualConfig();
    config.outputModes = {{ZUV_ECOM_LOG_STATUS, ZUV_ECOM_OUTPUT_MODE_PPS}, {kImu, ZUV_ECOM_OUTPUT_MODE_PPS}};
    TapRecorder recorder;
    auto sim = startManual(config, recorder);
    sim->advance(3500000);
    for (const uint8_t id : {uint8_t{ZUV_ECOM_LOG_STATUS}, kImu}) {
        const std::vector<uint32_t> ts = recorder.timeStamps(id);
        EXPECT_EQ(ts.size(), 4u);
        expectEvenSpacing(ts, 1000000, "PPS");
    }
}

TEST(Streaming, NewDataFollowsEachSensorsOwnRate) {
    SimConfig config = manualConfig();
    for (uint8_t id = 1; id < 39; ++id) {
        if (newDataRateHz(id) != 0) {
            config.outputModes.push_back({id, ZUV_ECOM_OUTPUT_MODE_NEW_DATA});
        }
    }
    TapRecorder recorder;
    auto sim = startManual(config, recorder);
    sim->advance(2000000);

    // The sensors' own rates, as a device's data sheet gives them.
    const std::map<uint8_t, uint32_t> expectedHz = {
        {ZUV_ECOM_LOG_IMU_DATA, 200}, {ZUV_ECOM_LOG_EKF_NAV, 200}, {ZUV_ECOM_LOG_MAG, 100},
        {ZUV_ECOM_LOG_GPS1_POS, 5},   {ZUV_ECOM_LOG_GPS2_VEL, 5},  {ZUV_ECOM_LOG_GPS1_RAW, 5},
        {ZUV_ECOM_LOG_ODO_VEL, 50},   {ZUV_ECOM_LOG_AIR_DATA, 25}, {ZUV_ECOM_LOG_DVL_WATER_TRACK, 10},
        {ZUV_ECOM_LOG_USBL, 1}};
    for (const auto &[id, hz] : expectedHz) {
        EXPECT_EQ(newDataRateHz(id), hz) << "log " << int(id);
    }
    for (uint8_t id = 1; id < 39; ++id) {
        const uint32_t hz = newDataRateHz(id);
        if (hz == 0) {
            continue;
        }
        const std::vector<uint32_t> ts =
            FrameList::hasTimeStamp(id) ? recorder.timeStamps(id) : recorder.productionTimes(id);
        EXPECT_EQ(ts.size(), 2 * hz + 1) << "log " << int(id);
        expectEvenSpacing(ts, 1000000 / hz, "log " + std::to_string(id));
    }
    // Event markers stay quiet without pulses.
    EXPECT_TRUE(recorder.ofId(ZUV_ECOM_LOG_EVENT_A).empty());
}

TEST(Streaming, TimeStampsWrapAt32BitsWithoutLosingTheSpacing) {
    SimConfig config = manualConfig();
    config.tsStart = 0xFFFFFFFFu - 12344u;
    config.outputModes = {{kImu, 1}};
    TapRecorder recorder;
    auto sim = startManual(config, recorder);
    sim->advance(50000);
    const std::vector<uint32_t> ts = recorder.timeStamps(kImu);
    ASSERT_EQ(ts.size(), 11u);
    EXPECT_EQ(ts.front(), config.tsStart);
    EXPECT_LT(ts.back(), ts.front());  // wrapped
    expectEvenSpacing(ts, 5000, "across the wrap");
}

TEST(Streaming, BothLogClassesAndEveryKindKeepTheirOwnOrder) {
    SimConfig config = manualConfig();
    for (uint8_t id = 1; id < 39; ++id) {
        if (newDataRateHz(id) != 0) {
            config.outputModes.push_back({id, 1});
        }
    }
    config.outputModes.push_back({ZUV_ECOM_LOG_EVENT_A, ZUV_ECOM_OUTPUT_MODE_NEW_DATA});
    config.sync[0].rateHz = 333.0;
    TapRecorder recorder;
    auto sim = startManual(config, recorder);
    ASSERT_EQ(sim->setOutputMode(0, 1, kImu, 2), ZUV_NO_ERROR);
    sim->advance(300000);

    std::map<std::pair<uint8_t, uint8_t>, uint32_t> last;
    uint64_t previousTime = 0;
    for (const TappedFrame &frame : recorder.frames) {
        ASSERT_GE(frame.deviceTimeUs, previousTime);
        previousTime = frame.deviceTimeUs;
        const auto key = std::make_pair(frame.msgClass, frame.msgId);
        const auto found = last.find(key);
        if (!FrameList::hasTimeStamp(frame.msgId)) {
            continue;
        }
        if (found != last.end()) {
            EXPECT_GT(frame.timeStamp(), found->second)
                << "class " << int(frame.msgClass) << " log " << int(frame.msgId);
        }
        last[key] = frame.timeStamp();
    }
    EXPECT_EQ(recorder.timeStamps(kImu, 1).size(), 31u);
    EXPECT_GT(recorder.ofId(ZUV_ECOM_LOG_EVENT_A).size(), 50u);
}

// Distance in metres between two close points.
double metresBetween(double lat1, double lon1, double lat2, double lon2) {
    const double rad = 3.14159265358979323846 / 180.0;
    const double north = (lat2 - lat1) * rad * 6378137.0;
    const double east = (lon2 - lon1) * rad * 6378137.0 * std::cos(lat1 * rad);
    return std::hypot(north, east);
}

TEST(Streaming, ValuesDescribeTheVehicleOnItsCircle) {
    SimConfig config = manualConfig();
    config.latitude = 45.0;
    config.longitude = 5.0;
    config.radius = 40.0;
    config.speed = 8.0;
    config.outputModes = {{ZUV_ECOM_LOG_STATUS, 20},    {kImu, 20},
                          {ZUV_ECOM_LOG_EKF_EULER, 20}, {ZUV_ECOM_LOG_EKF_QUAT, 20},
                          {ZUV_ECOM_LOG_EKF_NAV, 20},   {ZUV_ECOM_LOG_GPS1_POS, ZUV_ECOM_OUTPUT_MODE_NEW_DATA},
                          {ZUV_ECOM_LOG_UTC_TIME, 200}, {ZUV_ECOM_LOG_GPS1_RAW, ZUV_ECOM_OUTPUT_MODE_NEW_DATA}};
    TapRecorder recorder;
    auto sim = startManual(config, recorder);
    sim->advance(5000000);

    // Before the fix: no solution, then attitude only; afterwards a full navigation solution.
    const auto nav = recorder.ofId(ZUV_ECOM_LOG_EKF_NAV);
    ASSERT_EQ(nav.size(), 51u);
    EXPECT_EQ(nav.front()->parse().ekfNavData.solutionStatus & ZUV_ECOM_SOL_MODE_MASK, 0u);
    EXPECT_EQ(nav[6]->parse().ekfNavData.solutionStatus & ZUV_ECOM_SOL_MODE_MASK, ZUV_ECOM_SOL_MODE_AHRS);
    for (size_t i = 10; i < nav.size(); ++i) {
        const ZuvLogEkfNavData n = nav[i]->parse().ekfNavData;
        EXPECT_EQ(n.solutionStatus & ZUV_ECOM_SOL_MODE_MASK, ZUV_ECOM_SOL_MODE_NAV_POSITION);
        EXPECT_TRUE(n.solutionStatus & ZUV_ECOM_SOL_POSITION_VALID);
        EXPECT_NEAR(metresBetween(45.0, 5.0, n.latitude, n.longitude), 40.0, 0.5);
        EXPECT_NEAR(std::hypot(n.velocity[0], n.velocity[1]), 8.0, 0.1);
    }
    const auto euler = recorder.ofId(ZUV_ECOM_LOG_EKF_EULER);
    const auto quat = recorder.ofId(ZUV_ECOM_LOG_EKF_QUAT);
    ASSERT_EQ(euler.size(), nav.size());
    for (size_t i = 10; i < nav.size(); ++i) {
        const ZuvLogEkfNavData n = nav[i]->parse().ekfNavData;
        const double course = std::atan2(n.velocity[1], n.velocity[0]);
        const double yaw = euler[i]->parse().ekfEulerData.euler[2];
        EXPECT_NEAR(std::remainder(yaw - course, 2 * 3.14159265358979323846), 0.0, 0.05);
        const ZuvLogEkfQuatData q = quat[i]->parse().ekfQuatData;
        EXPECT_NEAR(
            std::hypot(std::hypot(q.quaternion[0], q.quaternion[1]), std::hypot(q.quaternion[2], q.quaternion[3])), 1.0,
            1e-5);
    }
    for (const TappedFrame *frame : recorder.ofId(kImu)) {
        const ZuvLogImuData imu = frame->parse().imuData;
        EXPECT_NEAR(imu.accelerometers[2], -9.81, 0.2);
        EXPECT_NEAR(imu.accelerometers[1], 8.0 * 8.0 / 40.0, 0.2);  // centripetal
        EXPECT_NEAR(imu.gyroscopes[2], 8.0 / 40.0, 0.01);
    }
    const auto status = recorder.ofId(ZUV_ECOM_LOG_STATUS);
    EXPECT_EQ(status.front()->parse().statusData.aidingStatus, 0u);
    EXPECT_EQ(status.back()->parse().statusData.aidingStatus, 0x0Fu);
    EXPECT_EQ(status.back()->parse().statusData.upTime, 5u);

    const ZuvLogUtcData utc = recorder.ofId(ZUV_ECOM_LOG_UTC_TIME).back()->parse().utcData;
    EXPECT_EQ(utc.year, 2024);
    EXPECT_EQ(utc.month, 1);
    EXPECT_EQ(utc.day, 1);
    EXPECT_EQ(utc.second, 5);

    const ZuvLogGpsPos pos = recorder.ofId(ZUV_ECOM_LOG_GPS1_POS).back()->parse().gpsPosData;
    EXPECT_GT(pos.numSvUsed, 0);
    EXPECT_LT(metresBetween(45.0, 5.0, pos.latitude, pos.longitude), 50.0);

    const ZuvLogRawData raw = recorder.ofId(ZUV_ECOM_LOG_GPS1_RAW).back()->parse().gpsRawData;
    const std::string text(reinterpret_cast<const char *>(raw.rawBuffer), raw.bufferSize);
    ASSERT_EQ(text.rfind("$GPGGA,", 0), 0u) << text;
    const size_t star = text.find('*');
    uint8_t checksum = 0;
    for (size_t i = 1; i < star; ++i) {
        checksum ^= static_cast<uint8_t>(text[i]);
    }
    EXPECT_EQ(std::stoul(text.substr(star + 1, 2), nullptr, 16), checksum);
}

bool crcIsRight(const std::vector<uint8_t> &frame) {
    std::vector<uint8_t> rebuilt(ZUV_ECOM_MAX_FRAME_SIZE);
    size_t size = 0;
    zuvEComFrameBuild(frame[2], frame[3], frame.data() + 6, frame.size() - 9, rebuilt.data(), rebuilt.size(), &size);
    return rebuilt[size - 3] == frame[frame.size() - 3] && rebuilt[size - 2] == frame[frame.size() - 2];
}

TEST(Streaming, FaultsHitEveryNthLogFrameAndNothingElse) {
    SimConfig config = manualConfig();
    config.outputModes = {{kImu, 1}};
    config.faults.badCrcEvery = 4;
    config.faults.noiseEvery = 5;
    config.faults.badEndEvery = 7;
    config.faults.oversizedLengthEvery = 11;
    TapRecorder recorder;
    auto sim = startManual(config, recorder);
    sim->advance(5000 * 199);
    ASSERT_EQ(recorder.frames.size(), 200u);

    for (size_t i = 0; i < recorder.frames.size(); ++i) {
        const TappedFrame &frame = recorder.frames[i];
        const size_t n = i + 1;
        const uint16_t length = static_cast<uint16_t>(frame.bytes[4] | (frame.bytes[5] << 8));
        EXPECT_EQ(length > ZUV_ECOM_MAX_PAYLOAD_SIZE, n % 11 == 0) << n;
        EXPECT_EQ(frame.bytes.back() != ZUV_ECOM_ETX, n % 7 == 0) << n;
        EXPECT_EQ(frame.noiseBytes > 0, n % 5 == 0) << n;
        EXPECT_LE(frame.noiseBytes, 16u);
        if (n % 11 != 0) {
            EXPECT_EQ(!crcIsRight(frame.bytes), n % 4 == 0) << n;
        }
    }
    const SimStats stats = sim->stats();
    EXPECT_EQ(stats.crcCorrupted, 50u);
    EXPECT_EQ(stats.noiseInjected, 40u);
    EXPECT_EQ(stats.endCorrupted, 28u);
    EXPECT_EQ(stats.lengthCorrupted, 18u);

    // Switched off, the stream is clean again.
    sim->setFaults(FaultConfig{});
    recorder.frames.clear();
    sim->advance(5000 * 50);
    for (const TappedFrame &frame : recorder.frames) {
        EXPECT_EQ(frame.faults, 0u);
        EXPECT_TRUE(crcIsRight(frame.bytes));
    }
}

TEST(Streaming, SilentDeviceSendsNothing) {
    SimConfig config = manualConfig();
    config.outputModes = {{kImu, 1}};
    config.faults.silent = true;
    TapRecorder recorder;
    auto sim = startManual(config, recorder);
    sim->advance(100000);
    EXPECT_TRUE(recorder.frames.empty());
    EXPECT_EQ(sim->stats().logFrames, 21u);  // produced, never sent
}

TEST(Streaming, RefusesConfigurationsItCannotRun) {
    SimConfig config = manualConfig();
    config.outputModes = {{kImu, 3}};
    Simulator badMode(config);
    EXPECT_EQ(badMode.start(), ZUV_INVALID_PARAMETER);
    EXPECT_NE(badMode.errorText().find("mode 3"), std::string::npos);

    config.outputModes = {{ZUV_ECOM_LOG_IMU_DATA, 1}};
    config.baudRate = 12345;
    Simulator badBaud(config);
    EXPECT_EQ(badBaud.start(), ZUV_INVALID_PARAMETER);

    SimConfig udp = manualConfig();
    udp.link = LinkKind::Udp;
    udp.udpPeer = "10.1.2.3:5000";
    Simulator offLoopback(udp);
    EXPECT_EQ(offLoopback.start(), ZUV_INVALID_PARAMETER);
    EXPECT_NE(offLoopback.errorText().find("loopback"), std::string::npos);

    TapRecorder recorder;
    auto sim = startManual(manualConfig(), recorder);
    EXPECT_EQ(sim->setOutputMode(0, 0, 10, 1), ZUV_INVALID_PARAMETER);  // no such log
    EXPECT_EQ(sim->setOutputMode(5, 0, kImu, 1), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(sim->setOutputMode(0, 2, kImu, 1), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(sim->setOutputMode(0, 0, kImu, 10002), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(sim->setOutputMode(2, 0, kImu, 10001), ZUV_NO_ERROR);
    sim->advance(100000);
    EXPECT_TRUE(recorder.frames.empty());  // only port A reaches this host
}

}  // namespace
}  // namespace zuv::test
