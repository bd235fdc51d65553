// The simulator's timing options: its clock against the host's, bursts, frames
// left out, the truth file, and their command line.
#include <gtest/gtest.h>

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "deliveryTiming.h"
#include "zuvEComProtocol.h"
#include "zuvSimCli.h"

namespace zuv::test {
using namespace zuv::sim;
namespace {

TEST(SimTiming, DriftMapsHostTimeToDeviceTimeAndBack) {
    struct Case {
        double ppm;
        int64_t hostUs;
        uint64_t deviceUs;
    };
    for (const Case &c : {Case{0.0, 1000000, 1000000}, Case{100.0, 1000000, 1000100}, Case{-50.0, 60000000, 59997000},
                          Case{1000.0, 5, 5}}) {
        TimingConfig config;
        config.clockDriftPpm = c.ppm;
        DeliveryTiming timing(config);
        EXPECT_EQ(timing.deviceUs(c.hostUs), c.deviceUs) << c.ppm;
        EXPECT_EQ(timing.hostUs(c.deviceUs), c.hostUs) << c.ppm;
    }
    DeliveryTiming ideal{TimingConfig{}};
    EXPECT_EQ(ideal.deviceUs(-10), 0u);  // before the epoch the device has not started
}

TEST(SimTiming, DropEveryLeavesOutEveryNthFrameOfEachLog) {
    TimingConfig config;
    config.dropEvery = 3;
    DeliveryTiming timing(config);
    std::vector<bool> imu;
    std::vector<bool> nav;
    for (int i = 0; i < 6; ++i) {
        imu.push_back(timing.dropLog(3));
        if (i % 2 == 0) nav.push_back(timing.dropLog(8));
    }
    EXPECT_EQ(imu, (std::vector<bool>{false, false, true, false, false, true}));
    EXPECT_EQ(nav, (std::vector<bool>{false, false, true}));
    DeliveryTiming never{TimingConfig{}};
    for (int i = 0; i < 10; ++i) ASSERT_FALSE(never.dropLog(3));
}

TEST(SimTiming, BurstsGoOutOnTheirGridAndRunUntilTheQueueIsEmpty) {
    TimingConfig config;
    config.burstMs = 16;
    DeliveryTiming timing(config);
    std::string error;
    ASSERT_TRUE(timing.open(error));
    EXPECT_FALSE(timing.mayFlush(5000));
    EXPECT_EQ(timing.untilNextBurst(5000), 11000);
    EXPECT_TRUE(timing.mayFlush(16000));
    EXPECT_TRUE(timing.mayFlush(16500));  // the port still writing: the burst goes on
    timing.burstDone();
    EXPECT_FALSE(timing.mayFlush(20000));
    EXPECT_EQ(timing.untilNextBurst(20000), 12000);
    // A late wake-up sends once and keeps the grid.
    EXPECT_TRUE(timing.mayFlush(70000));
    timing.burstDone();
    EXPECT_FALSE(timing.mayFlush(79999));
    EXPECT_TRUE(timing.mayFlush(80000));

    DeliveryTiming atOnce{TimingConfig{}};
    EXPECT_TRUE(atOnce.mayFlush(1));
    EXPECT_EQ(atOnce.untilNextBurst(1), -1);
}

std::vector<uint8_t> frame(uint8_t id, std::vector<uint8_t> payload) {
    std::vector<uint8_t> bytes(payload.size() + 9);
    size_t size = 0;
    EXPECT_EQ(zuvEComFrameBuild(id, 0, payload.data(), payload.size(), bytes.data(), bytes.size(), &size),
              ZUV_NO_ERROR);
    bytes.resize(size);
    return bytes;
}

TEST(SimTiming, TheTruthFileHasEveryFrameSentWithItsTsAndHostTime) {
    char path[] = "/tmp/zuv_sim_truth_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        TimingConfig config;
        config.truthFile = path;
        config.clockDriftPpm = 100.0;
        DeliveryTiming timing(config);
        std::string error;
        ASSERT_TRUE(timing.open(error)) << error;
        timing.setEpoch(5000000);
        std::vector<uint8_t> imuPayload(58, 0);
        imuPayload[0] = 0x78;  // ts 0x12345678
        imuPayload[1] = 0x56;
        imuPayload[2] = 0x34;
        imuPayload[3] = 0x12;
        std::vector<uint8_t> unit = {0xAA, 0xBB};  // two noise bytes first
        const std::vector<uint8_t> imu = frame(3, imuPayload);
        unit.insert(unit.end(), imu.begin(), imu.end());
        timing.sent(unit.data(), unit.size(), 2, 3, 1000100);
        const std::vector<uint8_t> raw = frame(31, {1, 2, 3});
        timing.sent(raw.data(), raw.size(), 0, 31, 2000200);
    }
    std::ifstream in(path);
    std::string line1;
    std::string line2;
    std::getline(in, line1);
    std::getline(in, line2);
    EXPECT_EQ(line1, "3 305419896 6000000");
    EXPECT_EQ(line2, "31 - 7000000");
    std::remove(path);

    TimingConfig unwritable;
    unwritable.truthFile = "/nonexistent-folder/truth.txt";
    DeliveryTiming timing(unwritable);
    std::string error;
    EXPECT_FALSE(timing.open(error));
    EXPECT_NE(error.find("/nonexistent-folder/truth.txt"), std::string::npos) << error;
}

TEST(SimTiming, CommandLineOptionsAndTheirLimits) {
    const auto parse = [](std::vector<std::string> args, SimConfig &config, std::string &error) {
        SimCliOptions options;
        CLI::App app;
        zuvSimAddOptions(app, options);
        args.insert(args.begin(), "--pty");
        std::reverse(args.begin(), args.end());
        app.parse(args);
        return zuvSimBuildConfig(options, config, error);
    };
    SimConfig config;
    std::string error;
    ASSERT_TRUE(
        parse({"--clock-drift-ppm", "-50", "--burst-ms", "16", "--drop-every", "7", "--truth", "t.txt"}, config, error))
        << error;
    EXPECT_DOUBLE_EQ(config.timing.clockDriftPpm, -50.0);
    EXPECT_EQ(config.timing.burstMs, 16u);
    EXPECT_EQ(config.timing.dropEvery, 7u);
    EXPECT_EQ(config.timing.truthFile, "t.txt");
    EXPECT_FALSE(parse({"--clock-drift-ppm", "1500"}, config, error));
    EXPECT_NE(error.find("--clock-drift-ppm"), std::string::npos);
    EXPECT_FALSE(parse({"--drop-every", "1"}, config, error));
    EXPECT_NE(error.find("--drop-every"), std::string::npos);
    EXPECT_THROW(parse({"--burst-ms", "5000"}, config, error), CLI::ValidationError);
}

}  // namespace
}  // namespace zuv::test
