// pDeviceClockTimestamps: samples stamped with the device time mapped onto the
// host clock, the same mapping a reference DeviceClockMap gives.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "decoderFixture.h"
#include "zuvDeviceClockMap.h"

namespace zuv::test {
namespace {

using Sample = StepSample;

FrameBytes imuAt(uint32_t ts) {
    ZuvBinaryLogData log = records::imu();
    log.imuData.timeStamp = ts;
    return logFrame(3, log);
}

std::vector<Sample> outputSamples(const std::vector<Sample> &samples, const std::string &output) {
    std::vector<Sample> found;
    for (const Sample &sample : samples) {
        if (sample.output == output) found.push_back(sample);
    }
    return found;
}

// 200 Hz IMU delivered three frames per sample, the sample stamped when the third arrived.
struct Burst {
    int64_t arrival;
    std::vector<uint32_t> ts;
};

std::vector<Burst> bursts(int count, uint32_t firstTs, int64_t firstArrival = 7000000) {
    std::vector<Burst> out;
    for (int i = 0; i < count; ++i) {
        Burst burst;
        for (int k = 0; k < 3; ++k) burst.ts.push_back(firstTs + static_cast<uint32_t>((3 * i + k) * 5000));
        burst.arrival = firstArrival + (3 * i + 2) * 5000 + 300 + (i % 4) * 150;
        out.push_back(burst);
    }
    return out;
}

void feedBursts(DecoderRun &run, const std::vector<Burst> &all) {
    for (const Burst &burst : all) {
        FrameBytes sample;
        for (const uint32_t ts : burst.ts) {
            const FrameBytes frame = imuAt(ts);
            sample.insert(sample.end(), frame.begin(), frame.end());
        }
        run.decode(burst.arrival, sample);
    }
}

TEST(DeviceClockTimestamps, MainAndTwinCarryTheMappedStampTheTwinKeepsTheRawTs) {
    DecoderRun run;
    run.enable("pImuData").set("pDeviceClockTimestamps", 1);
    run.start();
    const std::vector<Burst> all = bursts(400, 4294000000u);  // wraps on the way
    feedBursts(run, all);
    clocksync::DeviceClockMap reference;
    std::vector<int64_t> expected;
    std::vector<uint32_t> ts;
    for (const Burst &burst : all) {
        for (const uint32_t stamp : burst.ts) {
            expected.push_back(reference.map(3, stamp, burst.arrival).hostUs);
            ts.push_back(stamp);
        }
    }
    const std::vector<Sample> imu = outputSamples(run.decoder.Samples(), "oImu");
    const std::vector<Sample> twin = outputSamples(run.decoder.Samples(), "oImuInternalTimestamp");
    ASSERT_EQ(imu.size(), expected.size());
    ASSERT_EQ(twin.size(), expected.size());
    int distinctFromArrival = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(imu[i].timestamp, expected[i]) << i;
        ASSERT_EQ(twin[i].timestamp, expected[i]) << i;
        ASSERT_EQ(twin[i].Integer64(0), static_cast<int64_t>(ts[i])) << i;
        distinctFromArrival += imu[i].timestamp != all[i / 3].arrival ? 1 : 0;
    }
    // Two frames of three were made before their sample arrived.
    EXPECT_GE(distinctFromArrival, static_cast<int>(expected.size() / 2));
    // The burst's frames are 5 ms apart, not stamped together.
    EXPECT_EQ(imu[601].timestamp - imu[600].timestamp, 5000);
    EXPECT_TRUE(run.reportTexts().empty());
}

TEST(DeviceClockTimestamps, OffByDefaultAndForLogsWithoutTs) {
    for (const bool deviceClock : {false, true}) {
        SCOPED_TRACE(deviceClock);
        DecoderRun run;
        run.enable("pImuData").enable("pGps1Raw");
        if (deviceClock) run.set("pDeviceClockTimestamps", 1);
        run.start();
        run.decode(1000000, concat({imuAt(10), logFrame(31, records::raw({1, 2, 3}))}));
        run.decode(1020000, concat({imuAt(5010), logFrame(31, records::raw({4}))}));
        const std::vector<Sample> raw = outputSamples(run.decoder.Samples(), "oGps1Raw");
        const std::vector<Sample> imu = outputSamples(run.decoder.Samples(), "oImu");
        ASSERT_EQ(raw.size(), 2u);
        ASSERT_EQ(imu.size(), 2u);
        EXPECT_EQ(raw[0].timestamp, 1000000);
        EXPECT_EQ(raw[1].timestamp, 1020000);
        EXPECT_EQ(imu[0].timestamp, 1000000);
        // Device time 5 ms on, arrival 20 ms on: mapped 15 ms before its arrival.
        EXPECT_EQ(imu[1].timestamp, deviceClock ? 1005000 : 1020000);
    }
}

TEST(DeviceClockTimestamps, ADeviceRebootIsOneWarning) {
    DecoderRun run;
    run.enable("pImuData").set("pDeviceClockTimestamps", 1);
    run.start();
    feedBursts(run, bursts(200, 50000000));              // 3 s of a device up for 50 s
    feedBursts(run, bursts(100, 0, 7000000 + 4000000));  // 1 s later ts starts again
    const std::vector<std::string> texts = run.reportTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("Device clock jumped"), std::string::npos) << texts[0];
    EXPECT_EQ(run.decoder.Reports()[0].level, 1);
    const std::vector<Sample> imu = outputSamples(run.decoder.Samples(), "oImu");
    for (size_t i = 1; i < imu.size(); ++i) ASSERT_GE(imu[i].timestamp, imu[i - 1].timestamp) << i;
}

}  // namespace
}  // namespace zuv::test
