// The reader over a simulated device on a pseudo-terminal behind a symbolic
// link, unplugged and plugged in again while frames stream.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "readerHarness.h"
#include "routedLinkCalls.h"
#include "zuvEComIds.h"

using ::testing::StartsWith;
using namespace std::chrono_literals;

namespace zuv::test {
namespace {

using Bytes = std::vector<uint8_t>;

class Unplugging : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/zuv_reconnect_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
        link_ = dir_ + "/device";
        zuv::sim::SimConfig config;
        config.clock = zuv::sim::ClockMode::RealTime;
        config.link = zuv::sim::LinkKind::Pty;
        config.linkPath = link_;
        sim_ = std::make_unique<zuv::sim::Simulator>(config);
        sim_->setFrameTap([this](const zuv::sim::SentFrame &sent) {
            if (sent.msgClass > 1) return;
            std::lock_guard<std::mutex> lock(mutex_);
            sent_.emplace_back(sent.bytes + sent.noiseBytes, sent.bytes + sent.size);
        });
        ASSERT_EQ(sim_->start(), ZUV_NO_ERROR) << sim_->errorText();
        RouteSerial(link_, link_);
        run_.useSerial(link_);
        run_.set("pImuData", "50 Hz");
        run_.set("pEkfNav", "25 Hz");
    }
    void TearDown() override {
        run_.stop();
        sim_->stop();
        unlink(link_.c_str());
        rmdir(dir_.c_str());
    }

    // Quiet first, so that no frame is in the line when it goes: what the
    // kernel held at that moment is lost with the line, whoever reads it.
    void unplug() {
        zuv::sim::FaultConfig quiet;
        quiet.silent = true;
        sim_->setFaults(quiet);
        ASSERT_TRUE(sim_->waitForOutput(5000));
        std::this_thread::sleep_for(100ms);
        sim_->unplug();
        sim_->setFaults({});
    }

    size_t reportsStartingWith(const std::string &head, int level) const {
        size_t n = 0;
        for (const auto &line : run_.reports()) {
            n += line.text.rfind(head, 0) == 0 && line.level == level ? 1 : 0;
        }
        return n;
    }
    bool waitForReports(const std::string &head, int level, size_t count, std::chrono::seconds timeout) const {
        const auto until = std::chrono::steady_clock::now() + timeout;
        while (reportsStartingWith(head, level) < count) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(10ms);
        }
        return true;
    }
    // Distinct rate commands: a command the device acknowledged too late for
    // the reader (a loaded machine) is sent again, as the retries are meant to.
    size_t rateCommands() const {
        std::set<std::vector<uint8_t>> distinct;
        for (const auto &command : sim_->commands()) {
            if (command.id == ZUV_ECOM_CMD_OUTPUT_CONF) distinct.insert(command.payload);
        }
        return distinct.size();
    }

    std::string dir_, link_;
    std::unique_ptr<zuv::sim::Simulator> sim_;
    ReaderRun run_;
    std::mutex mutex_;
    std::vector<Bytes> sent_;
};

TEST_F(Unplugging, ThreeTimesLosesNoFrameSentWhilePluggedIn) {
    run_.start();
    ASSERT_TRUE(run_.reader().Running());
    ASSERT_TRUE(run_.data.WaitForCount(10, 10s));
    const std::string lost = "Link to " + link_ + " lost: ";
    const std::string back = "Link to " + link_ + " back after ";
    for (size_t k = 1; k <= 3; ++k) {
        std::this_thread::sleep_for(1500ms);
        sim_->clearCommands();
        unplug();
        ASSERT_TRUE(waitForReports(lost, 1, k, 5s)) << k;
        std::this_thread::sleep_for(1000ms);
        ASSERT_EQ(sim_->replug(), ZUV_NO_ERROR) << sim_->errorText();
        ASSERT_TRUE(waitForReports(back, 0, k, 10s)) << k;
        EXPECT_EQ(rateCommands(), 26u) << "the rates are set again after return " << k;
    }
    std::this_thread::sleep_for(1500ms);
    zuv::sim::FaultConfig quiet;
    quiet.silent = true;
    sim_->setFaults(quiet);
    ASSERT_TRUE(sim_->waitForOutput(5000));
    std::this_thread::sleep_for(1000ms);
    run_.stop();

    EXPECT_EQ(reportsStartingWith(lost, 1), 3u);
    EXPECT_EQ(reportsStartingWith(back, 0), 3u);
    EXPECT_EQ(reportsStartingWith("no data", 1), 0u);
    std::vector<Bytes> published;
    for (const auto &sample : run_.data.Take()) {
        published.push_back(sample.bytes);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    // Frames sent while the rates were first set went to the commands' wait;
    // from the first published frame on, every frame sent is there, in order.
    ASSERT_FALSE(published.empty());
    size_t first = 0;
    while (first < sent_.size() && sent_[first] != published.front()) ++first;
    ASSERT_LT(first, sent_.size());
    const std::vector<Bytes> expected(sent_.begin() + static_cast<std::ptrdiff_t>(first), sent_.end());
    EXPECT_EQ(published.size(), expected.size());
    EXPECT_TRUE(published == expected);
    EXPECT_GT(published.size(), 300u);
}

TEST_F(Unplugging, WithoutReconnectTheReaderReportsTheLossOnceAndStops) {
    run_.set("pReconnect", "false");
    run_.start();
    ASSERT_TRUE(run_.data.WaitForCount(5, 10s));
    unplug();
    EXPECT_EQ(run_.runtime().WaitForEnded(10s), &run_.reader());
    ASSERT_EQ(sim_->replug(), ZUV_NO_ERROR);
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(reportsStartingWith("Link to " + link_ + " lost: ", 1), 1u);
    EXPECT_EQ(reportsStartingWith("Link to " + link_ + " back", 0), 0u);
}

// Silence is one warning when it begins and one report when data returns,
// however long it lasts; the link itself is never reported lost.
TEST_F(Unplugging, SilenceOfFiveSecondsIsOneWarningAndItsEndOneReport) {
    run_.start();
    ASSERT_TRUE(run_.data.WaitForCount(10, 10s));
    zuv::sim::FaultConfig quiet;
    quiet.silent = true;
    sim_->setFaults(quiet);
    ASSERT_TRUE(sim_->waitForOutput(5000));
    EXPECT_FALSE(waitForReports("no data from the device for 5 s", 1, 1, 4s)) << "warned before 5 s";
    ASSERT_TRUE(waitForReports("no data from the device for 5 s", 1, 1, 5s));
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(reportsStartingWith("no data", 1), 1u) << "one warning however long it stays silent";
    EXPECT_EQ(reportsStartingWith("Data from the device again", 0), 0u);

    sim_->setFaults({});
    ASSERT_TRUE(waitForReports("Data from the device again", 0, 1, 5s));
    const size_t before = run_.data.Take().size();
    ASSERT_TRUE(run_.data.WaitForCount(20, 5s)) << before;
    run_.stop();
    EXPECT_EQ(reportsStartingWith("no data", 1), 1u);
    EXPECT_EQ(reportsStartingWith("Data from the device again", 0), 1u);
    EXPECT_EQ(reportsStartingWith("Link to ", 1), 0u) << "a silent link is not a lost one";
}

}  // namespace
}  // namespace zuv::test
