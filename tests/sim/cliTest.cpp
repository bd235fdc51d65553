// `zuv sim`'s command line: the option texts, and a real run in a child process.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "hostLink.h"
#include "zuvSimCli.h"

namespace zuv::test {
namespace {

TEST(SimCli, RateOptionsSpeakTheReadersChoices) {
    struct Case {
        const char *text;
        uint8_t id;
        uint16_t mode;
    };
    const Case cases[] = {
        {"ImuData=100 Hz", 3, 2},           {"pEventB=On Sync B Event", 25, 10004},
        {"gps2raw=1 hz", 38, 200},          {"pStatus=On PPS", 1, 10000},
        {"Gps1Pos=On New Data", 14, 10001}, {"9=200 Hz", 9, 1},
        {"Usbl=10001", 37, 10001},          {"EkfNav= 25 Hz", 8, 8},
        {"pUtcTime=Disabled", 2, 0},
    };
    for (const Case &test : cases) {
        std::vector<OutputModeSetting> settings;
        std::string error;
        ASSERT_TRUE(parseRateOption(test.text, settings, error)) << test.text << ": " << error;
        ASSERT_EQ(settings.size(), 1u) << test.text;
        EXPECT_EQ(settings[0].logId, test.id) << test.text;
        EXPECT_EQ(settings[0].mode, test.mode) << test.text;
    }
    std::vector<OutputModeSetting> all;
    std::string error;
    ASSERT_TRUE(parseRateOption("all=50 Hz", all, error));
    EXPECT_EQ(all.size(), 26u);

    for (const char *bad : {"ImuData", "Foo=1 Hz", "ImuData=3 Hz", "ImuData=10002", "10=1 Hz", "ImuData=3"}) {
        std::vector<OutputModeSetting> none;
        EXPECT_FALSE(parseRateOption(bad, none, error)) << bad;
        EXPECT_TRUE(none.empty()) << bad;
    }
    for (uint16_t mode : {0, 1, 2, 4, 8, 10, 20, 40, 200, 10000, 10001, 10003, 10004, 10005, 10006}) {
        ASSERT_NE(outputModeText(mode), nullptr) << mode;
        EXPECT_EQ(outputModeFromText(outputModeText(mode)), mode);
    }
}

TEST(SimCli, OptionsBecomeAConfigurationOrANamedError) {
    SimConfig config;
    std::string error;
    SimCliOptions options;
    EXPECT_FALSE(zuvSimBuildConfig(options, config, error));  // no link
    options.pty = true;
    options.udpBind = "127.0.0.1:0";
    EXPECT_FALSE(zuvSimBuildConfig(options, config, error));  // two links
    options.pty = false;
    EXPECT_FALSE(zuvSimBuildConfig(options, config, error));
    EXPECT_NE(error.find("--udp-peer"), std::string::npos);
    options = SimCliOptions{};
    options.link = "/tmp/x";
    EXPECT_FALSE(zuvSimBuildConfig(options, config, error));
    EXPECT_NE(error.find("--link"), std::string::npos);

    options = SimCliOptions{};
    options.pty = true;
    ASSERT_TRUE(zuvSimBuildConfig(options, config, error)) << error;
    EXPECT_FALSE(config.outputModes.empty());  // a fresh device streams something
    EXPECT_EQ(config.clock, ClockMode::RealTime);

    options.rates = {"all=Disabled", "ImuData=200 Hz"};
    options.position = "43.5,1.25,150";
    options.sync = {"b=2.5"};
    options.baud = 921600;
    ASSERT_TRUE(zuvSimBuildConfig(options, config, error)) << error;
    ASSERT_EQ(config.outputModes.size(), 27u);
    EXPECT_EQ(config.outputModes.back().logId, 3);
    EXPECT_EQ(config.outputModes.back().mode, 1);
    EXPECT_EQ(config.latitude, 43.5);
    EXPECT_EQ(config.altitude, 150.0);
    EXPECT_EQ(config.sync[1].rateHz, 2.5);
    EXPECT_EQ(config.baudRate, 921600u);

    for (const char *position : {"91,0", "1", "a,b", "1,2,3,4"}) {
        options.position = position;
        EXPECT_FALSE(zuvSimBuildConfig(options, config, error)) << position;
        EXPECT_NE(error.find("--position"), std::string::npos);
    }
    options.position.clear();
    for (const char *sync : {"F=1", "A=0", "A=-3", "A", "AB=2", "A=20000"}) {
        options.sync = {sync};
        EXPECT_FALSE(zuvSimBuildConfig(options, config, error)) << sync;
        EXPECT_NE(error.find("--sync"), std::string::npos);
    }
}

TEST(SimCli, UsageErrorsExitWith2BeforeAnythingStarts) {
    const char *unknownOption[] = {"sim", "--pty", "--frobnicate"};
    EXPECT_EQ(zuvSimMainArgs(3, unknownOption), 2);
    const char *badRate[] = {"sim", "--pty", "--rate", "ImuData=7 Hz"};
    EXPECT_EQ(zuvSimMainArgs(4, badRate), 2);
    const char *offLoopback[] = {"sim", "--udp-bind", "127.0.0.1:0", "--udp-peer", "192.168.1.20:5000"};
    EXPECT_EQ(zuvSimMainArgs(5, offLoopback), 1);  // refused by the simulator itself
}

TEST(SimCli, ACallersStopFunctionEndsTheRun) {
    SimCliOptions options;
    options.pty = true;
    int calls = 0;
    const int status = zuvSimMain(options, [&calls](int ms) {
        EXPECT_GT(ms, 0);
        return ++calls == 3;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(calls, 3);
    options.udpPeer = "127.0.0.1:9";
    EXPECT_EQ(zuvSimMain(options, [](int) { return true; }), 2);  // two links
}

// Runs `zuv sim ARGS` in a child whose standard output comes back through a pipe:
// in-process through zuvSimMainArgs, or the built tool when `program` is given.
class Child {
public:
    explicit Child(std::vector<std::string> args, const char *program = nullptr) {
        int fds[2];
        if (::pipe(fds) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(fds[1], STDOUT_FILENO);
            ::close(fds[0]);
            ::close(fds[1]);
            std::vector<const char *> argv;
            if (program != nullptr) {
                argv.push_back(program);
            }
            for (const std::string &arg : args) {
                argv.push_back(arg.c_str());
            }
            if (program != nullptr) {
                argv.push_back(nullptr);
                ::execv(program, const_cast<char *const *>(argv.data()));
                ::_exit(127);
            }
            ::_exit(zuvSimMainArgs(static_cast<int>(argv.size()), argv.data()));
        }
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~Child() {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) {
            ::close(out_);
        }
    }
    std::string line(int timeoutMs) {
        std::string text;
        char c = 0;
        pollfd pfd{out_, POLLIN, 0};
        while (::poll(&pfd, 1, timeoutMs) > 0 && ::read(out_, &c, 1) == 1 && c != '\n') {
            text += c;
        }
        return text;
    }
    int terminate() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        reaped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool reaped_ = false;
};

TEST(SimCli, ServesAPtyUntilSigterm) {
    Child child({"sim", "--pty", "--rate", "all=Disabled", "--rate", "ImuData=100 Hz", "--duration", "60"});
    const std::string first = child.line(10000);
    ASSERT_EQ(first.rfind("pty: /dev/", 0), 0u) << first;
    EXPECT_EQ(child.line(5000), "baud: 115200");
    auto host = HostLink::serial(first.substr(5), 115200);
    ASSERT_NE(host, nullptr);
    ZuvEComDeviceInfo info{};
    EXPECT_EQ(zuvEComCmdGetInfo(&host->handle, &info), ZUV_NO_ERROR);
    host->pump(200);
    EXPECT_GT(host->logsById[ZUV_ECOM_LOG_IMU_DATA], 0);
    EXPECT_EQ(host->logsById[ZUV_ECOM_LOG_STATUS], 0);
    EXPECT_EQ(child.terminate(), 0);
}

TEST(SimCli, UnplugsAndReplugsAsOftenAsAsked) {
    Child child(
        {"sim", "--pty", "--unplug-after", "0.3", "--replug-after", "0.2", "--unplug-times", "3", "--duration", "60"});
    ASSERT_EQ(child.line(10000).rfind("pty: /dev/", 0), 0u);
    EXPECT_EQ(child.line(5000), "baud: 115200");
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(child.line(10000), "unplugged") << k;
        EXPECT_EQ(child.line(10000).rfind("pty: /dev/", 0), 0u) << k;
    }
    EXPECT_EQ(child.line(1500), "") << "no fourth unplug";
    EXPECT_EQ(child.terminate(), 0);

    SimCliOptions options;
    options.pty = true;
    options.unplugAfter = 1.0;
    options.unplugTimes = 2;
    SimConfig config;
    std::string error;
    EXPECT_FALSE(zuvSimBuildConfig(options, config, error));
    EXPECT_EQ(error, "--unplug-times goes with --replug-after");
}

TEST(SimCli, ServesUdpToItsPeer) {
    const uint16_t hostPort = freeUdpPort();
    const std::string peer = "127.0.0.1:" + std::to_string(hostPort);
    Child child({"sim", "--udp-bind", "127.0.0.1:0", "--udp-peer", peer, "--rate", "EkfNav=50 Hz", "--duration", "60"});
    const std::string first = child.line(10000);
    ASSERT_EQ(first.rfind("udp: 127.0.0.1:", 0), 0u) << first;
    const size_t colon = first.find(':', 5);
    const uint16_t simPort = static_cast<uint16_t>(std::stoul(first.substr(colon + 1)));
    EXPECT_NE(first.find("-> " + peer), std::string::npos) << first;
    auto host = HostLink::udp(simPort, hostPort);
    ASSERT_NE(host, nullptr);
    ZuvEComDeviceInfo info{};
    EXPECT_EQ(zuvEComCmdGetInfo(&host->handle, &info), ZUV_NO_ERROR);
    host->pump(200);
    EXPECT_GT(host->logsById[ZUV_ECOM_LOG_EKF_NAV], 0);
    EXPECT_EQ(child.terminate(), 0);
}

#ifdef ZUV_TOOL_PATH
TEST(SimCli, TheToolRunsTheSimulatorAndStopsCleanlyOnSigterm) {
    Child child({"sim", "--pty", "--rate", "Status=On PPS"}, ZUV_TOOL_PATH);
    const std::string first = child.line(10000);
    ASSERT_EQ(first.rfind("pty: /dev/", 0), 0u) << first;
    auto host = HostLink::serial(first.substr(5), 115200);
    ASSERT_NE(host, nullptr);
    ZuvEComModelInfo model{};
    EXPECT_EQ(zuvEComCmdSensorGetMotionProfileInfo(&host->handle, &model), ZUV_NO_ERROR);
    EXPECT_EQ(child.terminate(), 0);
}
#endif

}  // namespace
}  // namespace zuv::test
