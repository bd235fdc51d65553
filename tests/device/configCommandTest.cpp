// `zuv config` as a user runs it, against the simulated device on a pseudo-terminal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "zuvEComIds.h"
#include "zuvSim.h"

using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace zuv::test {
namespace {

struct ToolRun {
    int status = -1;
    std::string output;  // stdout and stderr together
};

ToolRun runZuv(const std::string &arguments) {
    ToolRun run;
    const std::string command = std::string(ZUV_TOOL_PATH) + " " + arguments + " 2>&1";
    std::FILE *pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[512];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.output.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<uint8_t> readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class ConfigCommand : public ::testing::Test {
protected:
    void SetUp() override {
        zuv::sim::SimConfig config;
        config.clock = zuv::sim::ClockMode::Manual;
        config.link = zuv::sim::LinkKind::Pty;
        sim = std::make_unique<zuv::sim::Simulator>(config);
        ASSERT_EQ(sim->start(), ZUV_NO_ERROR) << sim->errorText();
        port = " --port " + sim->ptyPath();
    }
    void TearDown() override {
        sim->stop();
        std::remove(file.c_str());
    }

    // Commands the device took beyond the link's presence check.
    std::vector<uint8_t> commandIds() {
        std::vector<uint8_t> ids;
        for (const auto &command : sim->commands()) {
            if (command.id != ZUV_ECOM_CMD_INFO) ids.push_back(command.id);
        }
        return ids;
    }

    std::unique_ptr<zuv::sim::Simulator> sim;
    std::string port;
    std::string file = ::testing::TempDir() + "zuv_config_" + std::to_string(::getpid()) + ".bin";
};

TEST_F(ConfigCommand, ExportThenImportTheSameFile) {
    ToolRun run = runZuv("config export " + file + port);
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<uint8_t> image = readFile(file);
    EXPECT_FALSE(image.empty());
    EXPECT_THAT(run.output, HasSubstr("exported " + std::to_string(image.size()) + " bytes"));

    run = runZuv("config import " + file + port);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(commandIds().back(), ZUV_ECOM_CMD_IMPORT_SETTINGS);
}

TEST_F(ConfigCommand, RebootAndRestoreAreSent) {
    EXPECT_EQ(runZuv("config restore" + port).status, 0);
    EXPECT_EQ(runZuv("config reboot" + port).status, 0);
    const auto commands = sim->commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands.back().payload, std::vector<uint8_t>{0});
}

TEST_F(ConfigCommand, FileProblemsAreNamedAndCostNoDeviceTraffic) {
    ToolRun run = runZuv("config export " + ::testing::TempDir() + "no_such_folder_" + std::to_string(::getpid()) +
                         "/s.bin" + port);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("cannot write"));

    run = runZuv("config import " + file + port);  // absent
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("cannot read"));

    std::ofstream(file, std::ios::binary) << std::string(150000, 'x');
    run = runZuv("config import " + file + port);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("at most 100000 bytes"));
    EXPECT_THAT(commandIds(), IsEmpty());
}

TEST_F(ConfigCommand, AnImageTheDeviceCannotUseIsReportedAsRefused) {
    std::ofstream(file, std::ios::binary) << "not a settings image";
    const ToolRun run = runZuv("config import " + file + port);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("refused the settings image"));
}

TEST_F(ConfigCommand, LinkProblems) {
    ToolRun run = runZuv("config save");
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.output, HasSubstr("--port PATH or --udp ADDR:PORT"));

    run = runZuv("config save --port /dev/zuv-no-such-port");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("no such device"));

    run = runZuv("config reboot --baud 9600" + port);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr("no answer from a device"));

    run = runZuv("config reboot --udp not-an-address:5000");
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(commandIds(), IsEmpty());
}

}  // namespace
}  // namespace zuv::test
