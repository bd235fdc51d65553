// The detection actions: the /dev/ttyUSB scan through routed library calls (no
// /dev is touched), alone and while the reader is running.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "readerHarness.h"
#include "routedLinkCalls.h"

using ::testing::Contains;
using ::testing::Each;
using ::testing::Not;
using ::testing::StartsWith;
using namespace std::chrono_literals;

namespace zuv::test {
namespace {

size_t countId(const std::vector<zuv::host::SampleQueue::Sample> &samples, uint8_t id) {
    size_t n = 0;
    for (const auto &s : samples) {
        n += s.bytes.size() > 2 && s.bytes[2] == id;
    }
    return n;
}

TEST(AutoDetection, NoDeviceAnywhereWarnsAndLeavesThePropertiesAlone) {
    ReaderRun run;
    run.set("pComPort", "/dev/ttyS3");
    run.set("pBaudRate", "38400");
    run.reader().RunAction("aAutoDetection");
    ASSERT_EQ(run.reports().size(), 1u);
    EXPECT_EQ(run.reports()[0].level, 1);
    EXPECT_EQ(run.reports()[0].text, "No device detected.");
    EXPECT_EQ(run.reader().GetProperty("pComPort").text, "/dev/ttyS3");
    EXPECT_EQ(run.reader().GetProperty("pBaudRate").integer, 38400);
    const auto attempts = SerialOpenAttempts();
    EXPECT_EQ(attempts.size(), 256u * 8u);
    EXPECT_THAT(attempts, Each(StartsWith("/dev/ttyUSB")));
    EXPECT_EQ(attempts.back(), "/dev/ttyUSB255");
}

TEST(AutoDetection, ADeviceOnTheThirdScanNameAt921600IsWrittenIntoTheProperties) {
    auto sim = StartQuietPtySim(921600);
    RouteSerial("/dev/ttyUSB2", sim->ptyPath());
    ReaderRun run;
    run.reader().RunAction("aAutoDetection");
    EXPECT_TRUE(run.reports().empty());
    EXPECT_EQ(run.reader().GetProperty("pComPort").text, "/dev/ttyUSB2");
    EXPECT_EQ(run.reader().GetProperty("pBaudRate").integer, 921600);
}

TEST(AutoAuxDetection, AlwaysWarnsAndChangesNothing) {
    ReaderRun run;
    run.set("pAuxComPort", "/dev/ttyUSB1");
    run.reader().RunAction("aAutoAuxDetection");
    ASSERT_EQ(run.reports().size(), 1u);
    EXPECT_EQ(run.reports()[0].level, 1);
    EXPECT_EQ(run.reports()[0].text, "No auxiliary device detected.");
    EXPECT_EQ(run.reader().GetProperty("pAuxComPort").text, "/dev/ttyUSB1");
    EXPECT_EQ(run.reader().GetProperty("pAuxBaudRate").integer, 115200);
}

// A detection while Core reads: the reader ends up reading the device found.
TEST(AutoDetectionWhileRunning, SwitchesTheRunningReaderToTheDeviceFound) {
    auto first = StartStreamingPtySim({});
    auto second = StartStreamingPtySim({{6, 2}}, 921600);  // Euler at 100 Hz, left as it is by the scan
    RouteSerial(first->ptyPath(), first->ptyPath());
    ReaderRun run;
    run.useSerial(first->ptyPath());
    run.set("pImuData", "100 Hz");
    run.start();
    ASSERT_TRUE(run.data.WaitForCount(10, 10s));

    RouteSerial("/dev/ttyUSB2", second->ptyPath());
    run.reader().RunAction("aAutoDetection");
    EXPECT_THAT(run.reportTexts(), Not(Contains("No device detected.")));
    run.data.Take();
    ASSERT_TRUE(run.data.WaitForCount(20, 10s));
    const auto after = run.data.Take();
    EXPECT_GE(countId(after, 6), 15u) << "samples now come from the device found";
    EXPECT_TRUE(run.reader().Running());
    run.stop();
}

// A detection that finds nothing leaves the link closed under a running Core:
// no sample, no crash, and the reader still stops.
TEST(AutoDetectionWhileRunning, FindingNothingLeavesCoreIdleButAlive) {
    auto sim = StartStreamingPtySim({});
    RouteSerial(sim->ptyPath(), sim->ptyPath());
    ReaderRun run;
    run.useSerial(sim->ptyPath());
    run.set("pImuData", "100 Hz");
    run.start();
    ASSERT_TRUE(run.data.WaitForCount(10, 10s));

    ClearRoutes();
    run.reader().RunAction("aAutoDetection");
    EXPECT_THAT(run.reportTexts(), Contains("No device detected."));
    std::this_thread::sleep_for(50ms);
    run.data.Take();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(run.data.Size(), 0u);
    EXPECT_TRUE(run.reader().Running());
    const auto before = std::chrono::steady_clock::now();
    run.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);
}

}  // namespace
}  // namespace zuv::test
