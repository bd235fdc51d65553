// Frames from the simulator to oData, over a pseudo-terminal and over UDP on
// 127.0.0.1: byte for byte, one frame per sample, non-log classes dropped.
// Each case runs with Core waiting on the link and with the 1 ms polling
// (ZUV_POLL_SLEEP=1): both give the same samples and the same reports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <tuple>

#include "readerHarness.h"
#include "routedLinkCalls.h"
#include "zuvEComProtocol.h"

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

namespace zuv::test {
namespace {

enum class Link { Pty, Udp };
enum class Pacing { Wait, PollSleep };

void PrintTo(Link link, std::ostream *os) {
    *os << (link == Link::Pty ? "pty" : "udp");
}
void PrintTo(Pacing pacing, std::ostream *os) {
    *os << (pacing == Pacing::Wait ? "wait" : "poll and sleep");
}

std::vector<uint8_t> payloadOf(size_t size) {
    std::vector<uint8_t> payload(size);
    for (size_t i = 0; i < size; ++i) {
        payload[i] = static_cast<uint8_t>(0xF0 + i * 7);
    }
    return payload;
}

std::vector<uint8_t> wireFrame(uint8_t id, uint8_t cls, const std::vector<uint8_t> &payload) {
    std::vector<uint8_t> frame(payload.size() + ZUV_ECOM_FRAME_OVERHEAD);
    size_t size = 0;
    EXPECT_EQ(zuvEComFrameBuild(id, cls, payload.data(), payload.size(), frame.data(), frame.size(), &size),
              ZUV_NO_ERROR);
    return frame;
}

class Acquisition : public ::testing::TestWithParam<std::tuple<Link, Pacing>> {
protected:
    void SetUp() override {
        // Read at Birth, on the component's thread, after this.
        if (std::get<1>(GetParam()) == Pacing::PollSleep) {
            setenv("ZUV_POLL_SLEEP", "1", 1);
        } else {
            unsetenv("ZUV_POLL_SLEEP");
        }
        if (std::get<0>(GetParam()) == Link::Pty) {
            sim_ = StartQuietPtySim();
            run_.useSerial(sim_->ptyPath());
            RouteSerial(sim_->ptyPath(), sim_->ptyPath());
        } else {
            const uint16_t readerPort = FreeUdpPort();
            sim_ = StartQuietUdpSim(readerPort);
            run_.useUdp(sim_->udpPort(), readerPort);
        }
    }

    void TearDown() override {
        run_.stop();
        unsetenv("ZUV_POLL_SLEEP");
    }

    std::vector<zuv::host::SampleQueue::Sample> receive(size_t count) {
        EXPECT_TRUE(run_.data.WaitForCount(count, 10s)) << "got " << run_.data.Size() << " of " << count;
        return run_.data.Take();
    }

    ReaderRun run_;
    std::unique_ptr<zuv::sim::Simulator> sim_;
};

TEST_P(Acquisition, EachLogFrameBecomesOneSampleExactlyAsSent) {
    run_.start();
    const auto imu = payloadOf(56), empty = payloadOf(0), raw = payloadOf(4086);
    sim_->sendFrame(3, 0, imu);
    sim_->sendFrame(1, 1, empty);
    sim_->sendFrame(31, 0, raw);
    const auto samples = receive(3);
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(samples[0].vectorSize, 65);
    EXPECT_EQ(samples[0].bytes, wireFrame(3, 0, imu));
    EXPECT_EQ(samples[1].vectorSize, 9);
    EXPECT_EQ(samples[1].bytes, wireFrame(1, 1, empty));
    EXPECT_EQ(samples[2].vectorSize, 4095);
    EXPECT_EQ(samples[2].bytes, wireFrame(31, 0, raw));
    EXPECT_LE(samples[0].timestamp, samples[1].timestamp);
    EXPECT_LE(samples[1].timestamp, samples[2].timestamp);
    EXPECT_EQ(samples[0].pin, "reader.oData");
}

TEST_P(Acquisition, FramesOfOtherClassesNeverReachTheOutput) {
    run_.start();
    sim_->sendFrame(3, 0x10, payloadOf(12));
    sim_->sendFrame(3, 2, payloadOf(12));
    sim_->sendFrame(6, 0, payloadOf(32));
    const auto samples = receive(1);
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].bytes[2], 6);
    EXPECT_EQ(run_.data.Size(), 0u);
}

TEST_P(Acquisition, TwoFramesArrivingTogetherGiveTwoSamplesInOrder) {
    run_.start();
    for (uint8_t id : {8, 7, 6, 3}) {
        sim_->sendFrame(id, 0, payloadOf(40));
    }
    const auto samples = receive(4);
    ASSERT_EQ(samples.size(), 4u);
    EXPECT_EQ(samples[0].bytes[2], 8);
    EXPECT_EQ(samples[1].bytes[2], 7);
    EXPECT_EQ(samples[2].bytes[2], 6);
    EXPECT_EQ(samples[3].bytes[2], 3);
}

// A silent link publishes nothing, and the reader still stops: Core comes back
// from each wait on its own.
TEST_P(Acquisition, ASilentLinkPublishesNothingAndStillStops) {
    run_.start();
    EXPECT_FALSE(run_.data.WaitForCount(1, 1200ms));
    const auto before = std::chrono::steady_clock::now();
    run_.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);
    EXPECT_TRUE(run_.reports().size() <= 1u) << "nothing reported on a silent link but the serial start";
}

TEST_P(Acquisition, AnAuxiliaryPortThatCannotOpenIsReportedAndFramesStillFlow) {
    run_.set("pAuxComPort", "/dev/ttyS9");
    run_.set("pAuxBaudRate", "57600");
    run_.start();
    sim_->sendFrame(3, 0, payloadOf(56));
    EXPECT_EQ(receive(1).size(), 1u);
    const auto reports = run_.reports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().level, 2);
    EXPECT_EQ(reports.back().text,
              "Unable to connect to the aux device /dev/ttyS9, baudrate: 57600. ZUV Error Code: 16.");
}

TEST_P(Acquisition, NoAuxiliaryPortMeansNoWordAboutIt) {
    run_.start();
    sim_->sendFrame(3, 0, payloadOf(56));
    EXPECT_EQ(receive(1).size(), 1u);
    EXPECT_THAT(run_.reportTexts(), Not(Contains(HasSubstr("aux"))));
}

// Frames that come while Core is deep in a wait on a silent link are taken at
// once, and the reader is still stopped on request.
TEST_P(Acquisition, FramesAfterASilenceAreTakenAndTheReaderStops) {
    run_.start();
    EXPECT_FALSE(run_.data.WaitForCount(1, 700ms));
    sim_->sendFrame(5, 0, payloadOf(24));
    const auto samples = receive(1);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].bytes, wireFrame(5, 0, payloadOf(24)));
    const auto before = std::chrono::steady_clock::now();
    run_.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Link, Pacing>> &p) {
    return std::string(std::get<0>(p.param) == Link::Pty ? "Pty" : "Udp") +
           (std::get<1>(p.param) == Pacing::Wait ? "Wait" : "PollSleep");
}

INSTANTIATE_TEST_SUITE_P(Links, Acquisition,
                         ::testing::Combine(::testing::Values(Link::Pty, Link::Udp),
                                            ::testing::Values(Pacing::Wait, Pacing::PollSleep)),
                         caseName);

}  // namespace
}  // namespace zuv::test
