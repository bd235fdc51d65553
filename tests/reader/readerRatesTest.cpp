// The output-rate commands of a serial start, as the simulator received them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>

#include "readerHarness.h"
#include "routedLinkCalls.h"

using ::testing::ElementsAre;
using namespace std::chrono_literals;

namespace zuv::test {
namespace {

constexpr uint8_t kOutputConfigurationCommand = 0x11;
const uint8_t kLogOrder[26] = {1,  2,  3,  4,  5,  6,  7,  8,  13, 14, 15, 31, 16,
                               17, 18, 38, 19, 24, 25, 26, 27, 28, 29, 30, 36, 37};

struct RateCommand {
    uint8_t port, msgClass, logId;
    uint16_t mode;
};

std::vector<RateCommand> rateCommands(const zuv::sim::Simulator &sim) {
    std::vector<RateCommand> out;
    for (const auto &command : sim.commands()) {
        if (command.id == kOutputConfigurationCommand && command.payload.size() == 5) {
            const auto &p = command.payload;
            out.push_back({p[0], p[1], p[2], static_cast<uint16_t>(p[3] | (p[4] << 8))});
        }
    }
    return out;
}

struct RateCase {
    const char *name;
    std::vector<std::pair<std::string, std::string>> settings;
    size_t order;  // 1-based row that changes; 0 none
    uint16_t mode;
};

std::string rateCaseName(const ::testing::TestParamInfo<RateCase> &rateCase) {
    return rateCase.param.name;
}

void PrintTo(const RateCase &c, std::ostream *os) {
    *os << c.name;
}

class RateConfiguration : public ::testing::TestWithParam<RateCase> {};

TEST_P(RateConfiguration, TwentySixCommandsInTableOrder) {
    auto sim = StartQuietPtySim();
    RouteSerial(sim->ptyPath(), sim->ptyPath());
    ReaderRun run;
    run.useSerial(sim->ptyPath());
    for (const auto &setting : GetParam().settings) {
        run.set(setting.first, setting.second);
    }
    run.start();  // Birth, and so every command, is over when this returns
    const auto commands = rateCommands(*sim);
    ASSERT_EQ(commands.size(), 26u);
    for (size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i].port, 0);
        EXPECT_EQ(commands[i].msgClass, 0);
        EXPECT_EQ(commands[i].logId, kLogOrder[i]) << "row " << i + 1;
        EXPECT_EQ(commands[i].mode, i + 1 == GetParam().order ? GetParam().mode : 0) << "row " << i + 1;
    }
    EXPECT_EQ(sim->outputMode(0, 0, kLogOrder[GetParam().order ? GetParam().order - 1 : 0]),
              GetParam().order ? GetParam().mode : 0);
    EXPECT_EQ(run.reportTexts(), std::vector<std::string>{"Start if serial"});
}

INSTANTIATE_TEST_SUITE_P(Cases, RateConfiguration,
                         ::testing::Values(RateCase{"AllDisabled", {}, 0, 0},
                                           RateCase{"Imu100Hz", {{"pImuData", "100 Hz"}}, 3, 2},
                                           RateCase{"EventBOnSyncB", {{"pEventB", "On Sync B Event"}}, 19, 10004},
                                           RateCase{"Gps2Raw1Hz", {{"pGps2Raw", "1 Hz"}}, 16, 200},
                                           RateCase{"StatusByIndex", {{"pStatus", "14"}}, 1, 10006}),
                         rateCaseName);

// The device answers its presence check, then refuses everything: only the
// row that asked for output is worth a word.
TEST(RateConfigurationRefused, OneReportForTheOnlyRowThatWasNotDisabled) {
    auto sim = StartQuietPtySim();
    RouteSerial(sim->ptyPath(), sim->ptyPath());
    zuv::sim::Simulator *device = sim.get();
    AfterPresenceCheck([device] { device->setCommandRefusal(ZUV_ERROR); });
    ReaderRun run;
    run.useSerial(sim->ptyPath());
    run.set("pStatus", "1 Hz");
    run.start();
    EXPECT_EQ(rateCommands(*sim).size(), 26u);
    const auto reports = run.reports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].level, 2);
    EXPECT_EQ(reports[1].text, "pStatus configuration failed! ZUV Error Code: 1.");
    EXPECT_TRUE(run.reader().Running());
}

TEST(RateConfigurationUdp, NoCommandAtAll) {
    const uint16_t readerPort = FreeUdpPort();
    auto sim = StartQuietUdpSim(readerPort);
    ReaderRun run;
    run.useUdp(sim->udpPort(), readerPort);
    run.start();
    sim->sendFrame(3, 0, std::vector<uint8_t>(56, 1));
    ASSERT_TRUE(run.data.WaitForCount(1, 10s));
    EXPECT_TRUE(sim->commands().empty());
}

}  // namespace
}  // namespace zuv::test
