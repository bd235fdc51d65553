// The reader's link in the field: UDP datagrams from its device only, link
// counts against the simulator's fault injection, the budget warning.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "readerHarness.h"
#include "routedLinkCalls.h"
#include "zuvEComProtocol.h"

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace std::chrono_literals;

namespace zuv::test {
namespace {

// Elements of oLinkStatistics.
enum : size_t {
    kBytesReceived = 0,
    kFramesPublished = 1,
    kCrcDrops = 2,
    kBytesDiscarded = 3,
    kClassDrops = 4,
    kReadErrors = 5,
    kLinkLosses = 6,
    kReconnections = 7,
    kKernelDrops = 8,
};

std::vector<uint8_t> frameBytes(uint8_t id, size_t payloadSize) {
    std::vector<uint8_t> payload(payloadSize, 0x42), frame(payloadSize + ZUV_ECOM_FRAME_OVERHEAD);
    size_t size = 0;
    EXPECT_EQ(zuvEComFrameBuild(id, 0, payload.data(), payload.size(), frame.data(), frame.size(), &size),
              ZUV_NO_ERROR);
    return frame;
}

// A loopback socket on a port of its own, sending to `port`.
class Sender {
public:
    explicit Sender(uint16_t port) {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        to_.sin_family = AF_INET;
        to_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to_.sin_port = htons(port);
    }
    ~Sender() { close(fd_); }
    bool send(const std::vector<uint8_t> &bytes) {
        return sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr *>(&to_), sizeof to_) ==
               static_cast<ssize_t>(bytes.size());
    }

private:
    int fd_;
    sockaddr_in to_{};
};

bool canBind(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    const bool bound = bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return bound;
}

std::vector<int64_t> lastStatistics(zuv::host::SampleQueue &queue) {
    std::vector<int64_t> counts;
    for (const auto &sample : queue.Take()) {
        EXPECT_EQ(sample.vectorSize, 9);
        counts.clear();
        for (int i = 0; i < sample.vectorSize; ++i) {
            counts.push_back(sample.Integer64(i));
        }
    }
    return counts;
}

TEST(ReaderUdp, TakesDatagramsFromItsDeviceOnlyAndHoldsItsPort) {
    const uint16_t readerPort = FreeUdpPort();
    auto sim = StartQuietUdpSim(readerPort);
    ReaderRun run;
    run.useUdp(sim->udpPort(), readerPort);
    run.start();
    ASSERT_TRUE(run.reader().Running());
    EXPECT_FALSE(canBind(readerPort)) << "a second process must not share the reader's port";

    Sender foreign(readerPort);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(foreign.send(frameBytes(3, 56)));
    }
    sim->sendFrame(8, 0, std::vector<uint8_t>(72, 0x01));
    ASSERT_TRUE(run.data.WaitForCount(1, 10s));
    std::this_thread::sleep_for(300ms);
    const auto samples = run.data.Take();
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].bytes[2], 8) << "only the device's frame is published";
    run.stop();
    EXPECT_TRUE(canBind(readerPort));
}

TEST(ReaderUdp, KernelDropsUnderAFloodAppearInTheStatistics) {
    const uint16_t readerPort = FreeUdpPort();
    ReaderRun run;
    run.useUdp(0, readerPort);
    run.set("pRemoteAdress", "0.0.0.0");  // any sender
    run.set("pLinkStatistics", "true");
    zuv::host::SampleQueue statistics;
    run.runtime().AttachSink(run.reader(), "oLinkStatistics", statistics.Callback());
    run.start();
    Sender device(readerPort);
    // No sync byte: each datagram costs the reader one read, the kernel a full buffer soon.
    const std::vector<uint8_t> datagram(4000, 0x00);
    int64_t sent = 0;
    for (; sent < 5000; ++sent) {
        ASSERT_TRUE(device.send(datagram));
    }
    // The drop count rides on the next datagram the kernel keeps: send one now
    // and then until bytes read plus drops account for every datagram sent.
    std::vector<int64_t> counts;
    const auto until = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < until) {
        statistics.WaitForCount(1, 3s);
        const auto latest = lastStatistics(statistics);
        if (!latest.empty()) counts = latest;
        if (!counts.empty() && counts[kBytesReceived] / 4000 + counts[kKernelDrops] == sent) break;
        ASSERT_TRUE(device.send(datagram));
        ++sent;
    }
    ASSERT_EQ(counts.size(), 9u);
    EXPECT_GT(counts[kKernelDrops], 0);
    EXPECT_EQ(counts[kBytesReceived] % 4000, 0);
    EXPECT_EQ(counts[kBytesReceived] / 4000 + counts[kKernelDrops], sent);
    EXPECT_EQ(counts[kBytesDiscarded], counts[kBytesReceived]);
    EXPECT_EQ(counts[kFramesPublished], 0);
}

TEST(ReaderStatistics, CountsAgreeWithWhatTheSimulatorInjected) {
    auto sim = StartStreamingPtySim({});
    RouteSerial(sim->ptyPath(), sim->ptyPath());
    ReaderRun run;
    run.useSerial(sim->ptyPath());
    run.set("pImuData", "50 Hz");
    run.set("pEkfNav", "25 Hz");
    run.set("pLinkStatistics", "true");
    zuv::host::SampleQueue statistics;
    run.runtime().AttachSink(run.reader(), "oLinkStatistics", statistics.Callback());

    std::mutex mutex;
    bool counting = false;
    size_t noiseBytes = 0, badCrc = 0, published = 0;
    sim->setFrameTap([&](const zuv::sim::SentFrame &sent) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!counting) return;
        noiseBytes += sent.noiseBytes;
        if (sent.faults & zuv::sim::kFaultBadCrc)
            ++badCrc;
        else if (sent.msgClass <= 1)
            ++published;
    });
    run.start();
    ASSERT_TRUE(run.data.WaitForCount(5, 10s));
    {
        std::lock_guard<std::mutex> lock(mutex);
        counting = true;
    }
    size_t samples = run.data.Take().size();
    zuv::sim::FaultConfig faults;
    faults.noiseEvery = 3;
    faults.badCrcEvery = 5;
    sim->setFaults(faults);
    std::this_thread::sleep_for(2500ms);
    faults = {};
    faults.silent = true;
    sim->setFaults(faults);
    ASSERT_TRUE(sim->waitForOutput(5000));
    std::this_thread::sleep_for(2500ms);  // two more statistics samples
    const auto counts = lastStatistics(statistics);
    ASSERT_EQ(counts.size(), 9u);
    // The tap runs under the simulator's lock: ask the simulator before taking ours.
    const uint64_t bytesWritten = sim->stats().bytesWritten;
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_GT(badCrc, 10u);
    EXPECT_GT(noiseBytes, 100u);
    EXPECT_EQ(counts[kCrcDrops], static_cast<int64_t>(badCrc));
    EXPECT_EQ(counts[kBytesDiscarded], static_cast<int64_t>(noiseBytes));
    EXPECT_EQ(counts[kReadErrors], 0);
    EXPECT_EQ(counts[kLinkLosses], 0);
    EXPECT_EQ(counts[kClassDrops], 0);
    samples += run.data.Take().size();
    EXPECT_EQ(counts[kFramesPublished], static_cast<int64_t>(samples));
    EXPECT_GE(samples, published);
    EXPECT_LE(counts[kBytesReceived], static_cast<int64_t>(bytesWritten));
}

TEST(ReaderBudget, AllLogsAt200HzAt115200BaudWarnOnceAndAreStillConfigured) {
    auto sim = StartQuietPtySim();
    RouteSerial(sim->ptyPath(), sim->ptyPath());
    ReaderRun run;
    run.useSerial(sim->ptyPath());
    for (const char *name :
         {"pStatus",  "pUtcTime",        "pImuData",       "pMag",     "pMagCalib", "pEkfEuler", "pEkfQuat",
          "pEkfNav",  "pGps1Vel",        "pGps1Pos",       "pGps1Hdt", "pGps1Raw",  "pGps2Vel",  "pGps2Pos",
          "pGps2Hdt", "pGps2Raw",        "pOdoVel",        "pEventA",  "pEventB",   "pEventC",   "pEventD",
          "pEventE",  "pDvlBottomTrack", "pDvlWaterTrack", "pAirData", "pUsbl"}) {
        run.set(name, "200 Hz");
    }
    run.start();
    std::vector<ReportLine> warnings;
    for (const auto &line : run.reports()) {
        if (line.text.rfind("Configured logs need ", 0) == 0) warnings.push_back(line);
    }
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].level, 1);
    EXPECT_THAT(warnings[0].text, HasSubstr("11520 bytes/s"));
    EXPECT_THAT(warnings[0].text, HasSubstr("largest: pGps1Raw"));
    EXPECT_EQ(sim->outputMode(0, 0, 3), 1) << "configured as asked";
}

TEST(ReaderBudget, TheDemoLogsGiveNoWarning) {
    auto sim = StartQuietPtySim();
    RouteSerial(sim->ptyPath(), sim->ptyPath());
    ReaderRun run;
    run.useSerial(sim->ptyPath());
    run.set("pStatus", "1 Hz");
    run.set("pUtcTime", "1 Hz");
    run.set("pImuData", "25 Hz");
    run.set("pEkfEuler", "10 Hz");
    run.set("pEkfNav", "10 Hz");
    run.set("pGps1Vel", "On New Data");
    run.set("pGps1Pos", "On New Data");
    run.start();
    EXPECT_THAT(run.reportTexts(), ::testing::ElementsAre("Start if serial"));
}

}  // namespace
}  // namespace zuv::test
