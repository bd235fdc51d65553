// The zuv tool in a hostile environment, run as a user runs it: outputs that
// fail or go away, recordings that lie about their sizes, arguments and
// properties out of range, and stop signals while it waits.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "readerHarness.h"
#include "zuvScratch.h"
#include "zuvSim.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace zuv::test {
namespace {

// Sanitizers reserve terabytes of address space up front: a cap on virtual
// memory would stop them, not the tool.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZUV_TEST_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZUV_TEST_SANITIZED 1
#endif
#ifdef ZUV_TEST_SANITIZED
constexpr const char *kMemoryCap = "";
#else
constexpr const char *kMemoryCap = "ulimit -v 500000; ";
#endif

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string quoted(const std::vector<std::string> &arguments) {
    std::string command = "'" ZUV_TOOL "' --package '" ZUV_PACKAGE "'";
    for (const std::string &argument : arguments) command += " '" + argument + "'";
    return command;
}

struct ChildRun {
    int status = -1;  // exit status, -1 if killed or still running at the deadline
    bool inTime = false;
    double seconds = 0;
    std::string out, err;
};

// Runs `shell` (bash) with its stdout and stderr in files; `whileRunning` is
// called once it runs (to send a signal). Killed after `deadline`.
class Child {
public:
    Child(const Scratch &scratch, const std::string &shell) : scratch_(scratch) {
        start_ = Clock::now();
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);
            const std::string command = "{ " + shell + "\n} >'" + scratch.file("child.out") + "' 2>'" +
                                        scratch.file("child.err") + "' </dev/null";
            execl("/bin/bash", "bash", "-c", command.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
    }
    void signal(int sig) const { kill(pid_, sig); }
    ChildRun wait(milliseconds deadline) {
        ChildRun run;
        int wstatus = 0;
        for (;;) {
            const pid_t done = waitpid(pid_, &wstatus, WNOHANG);
            if (done == pid_) {
                run.inTime = true;
                break;
            }
            if (Clock::now() - start_ > deadline) {
                kill(-pid_, SIGKILL);
                waitpid(pid_, &wstatus, 0);
                break;
            }
            std::this_thread::sleep_for(milliseconds(10));
        }
        run.seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        if (run.inTime && WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
        run.out = readFile(scratch_.file("child.out"));
        run.err = readFile(scratch_.file("child.err"));
        return run;
    }

private:
    const Scratch &scratch_;
    pid_t pid_ = -1;
    Clock::time_point start_;
};

ChildRun runShell(const Scratch &scratch, const std::string &shell, milliseconds deadline = milliseconds(60000)) {
    return Child(scratch, shell).wait(deadline);
}

size_t countOf(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// ---- recordings written by hand

void putLe(std::string &out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

std::string zrecHeader() {
    return std::string("ZREC\x01\x00\x00\x00", 8);
}

std::string zrecRecord(int64_t t, const std::string &bytes) {
    std::string out;
    putLe(out, static_cast<uint64_t>(t), 8);
    putLe(out, bytes.size(), 4);
    return out + bytes;
}

// A recording of IMU frames taken from the simulator by `zuv record`.
std::string recordImuFrames(const Scratch &scratch, int count) {
    auto sim = StartStreamingPtySim({});
    const std::string path = scratch.file("imu.zrec");
    const ChildRun record = runShell(scratch, quoted({"record", "--port", sim->ptyPath(), "-p", "pImuData=200 Hz",
                                                      "--out", path, "--count", std::to_string(count)}));
    EXPECT_EQ(record.status, 0) << record.err;
    return readFile(path);
}

// ---- failing outputs

// One IMU frame of the simulator, repeated every 20 ms for a minute: replayed
// with --realtime, a run that does not stop early takes that minute.
std::string minuteOfFrames(const Scratch &scratch) {
    const std::string recorded = recordImuFrames(scratch, 3);
    EXPECT_GE(recorded.size(), 8u + 12u);
    if (recorded.size() < 20) return "";
    const uint8_t *size = reinterpret_cast<const uint8_t *>(recorded.data() + 16);
    const size_t frameSize = size[0] | (size[1] << 8);
    const std::string frame = recorded.substr(20, frameSize);
    std::string out = zrecHeader();
    for (int i = 0; i < 3000; ++i) out += zrecRecord(int64_t{i} * 20000, frame);
    const std::string path = scratch.file("minute.zrec");
    std::ofstream(path, std::ios::binary) << out;
    return path;
}

TEST(ToolFailures, DecodeIntoAReaderThatGoesAwayEndsQuietlyAtOnce) {
    Scratch scratch;
    const std::string minute = minuteOfFrames(scratch);
    ASSERT_FALSE(minute.empty());
    const ChildRun run = runShell(
        scratch,
        quoted({"decode", minute, "--realtime", "-p", "pImuData=Enabled"}) + " | head -1; exit ${PIPESTATUS[0]}",
        milliseconds(30000));
    ASSERT_TRUE(run.inTime);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_THAT(run.out, HasSubstr("\"pin\":\"decoder.oImu\""));
    EXPECT_EQ(countOf(run.out, "\n"), 1u);
    EXPECT_LT(run.seconds, 5.0) << "kept replaying into the closed pipe";
}

TEST(ToolFailures, LiveIntoAReaderThatGoesAwayEndsQuietlyAtOnce) {
    Scratch scratch;
    auto sim = StartStreamingPtySim({});
    const ChildRun run = runShell(
        scratch,
        quoted({"live", "--port", sim->ptyPath(), "-p", "reader.pImuData=50 Hz", "-p", "decoder.pImuData=Enabled"}) +
            " | head -1; exit ${PIPESTATUS[0]}",
        milliseconds(20000));
    ASSERT_TRUE(run.inTime) << "live never ended";
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, Not(HasSubstr("cannot write")));
    EXPECT_EQ(countOf(run.out, "\n"), 1u);
}

struct FullOutput {
    const char *name;
    std::vector<std::string> arguments;  // {PORT} stands for the simulator's port
    const char *stdoutTo = nullptr;
    const char *failingName = "/dev/full";
};

void PrintTo(const FullOutput &c, std::ostream *os) {
    *os << c.name;
}

class ToolFailuresFullDisk : public testing::TestWithParam<FullOutput> {};

TEST_P(ToolFailuresFullDisk, IsReportedOnceAndEndsTheRunWithStatus1) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "no /dev/full";
    }
    Scratch scratch;
    auto sim = StartStreamingPtySim({});
    std::vector<std::string> arguments;
    for (const std::string &a : GetParam().arguments) arguments.push_back(a == "{PORT}" ? sim->ptyPath() : a);
    std::string command = quoted(arguments);
    if (GetParam().stdoutTo != nullptr) command = "{ " + command + " >" + GetParam().stdoutTo + "; }";
    const ChildRun run = runShell(scratch, command, milliseconds(20000));
    ASSERT_TRUE(run.inTime) << "still running long after the first failed write";
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(countOf(run.err, std::string(GetParam().failingName) + ": cannot write: No space left on device"), 1u)
        << run.err;
    EXPECT_LT(run.seconds, 10.0) << "ran to its --duration of 60 s";
    if (GetParam().arguments[0] == "record") {
        EXPECT_THAT(run.err, HasSubstr("recorded 0 frames (0 bytes)"));
    }
}

INSTANTIATE_TEST_SUITE_P(Outputs, ToolFailuresFullDisk,
                         testing::Values(FullOutput{"LiveRecord",
                                                    {"live", "--port", "{PORT}", "-p", "reader.pImuData=50 Hz",
                                                     "--record", "/dev/full", "--duration", "60"}},
                                         FullOutput{
                                             "LiveJsonl",
                                             {"live", "--port", "{PORT}", "-p", "reader.pImuData=50 Hz", "-p",
                                              "decoder.pImuData=Enabled", "--jsonl", "/dev/full", "--duration", "60"}},
                                         FullOutput{"LiveStdout",
                                                    {"live", "--port", "{PORT}", "-p", "reader.pImuData=50 Hz", "-p",
                                                     "decoder.pImuData=Enabled", "--duration", "60"},
                                                    "/dev/full",
                                                    "standard output"},
                                         FullOutput{"Record",
                                                    {"record", "--port", "{PORT}", "-p", "pImuData=50 Hz", "--out",
                                                     "/dev/full", "--duration", "60"}}),
                         [](const testing::TestParamInfo<FullOutput> &i) { return i.param.name; });

TEST(ToolFailures, DecodeIntoAFullDiskIsReportedOnceAndStopsTheReplay) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "no /dev/full";
    }
    Scratch scratch;
    const std::string minute = minuteOfFrames(scratch);
    ASSERT_FALSE(minute.empty());
    const ChildRun run =
        runShell(scratch, quoted({"decode", minute, "--realtime", "-p", "pImuData=Enabled", "--jsonl", "/dev/full"}),
                 milliseconds(30000));
    ASSERT_TRUE(run.inTime);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(countOf(run.err, "/dev/full: cannot write: No space left on device"), 1u) << run.err;
    EXPECT_THAT(run.err, Not(HasSubstr("interrupted")));
    EXPECT_LT(run.seconds, 10.0) << "replayed the whole minute";
}

// ---- recordings that lie

TEST(ToolFailures, AFourGigabyteRecordCostsNeitherMemoryNorTime) {
    Scratch scratch;
    const std::string frames = recordImuFrames(scratch, 3).substr(8);
    ASSERT_FALSE(frames.empty());
    const std::string path = scratch.file("sparse.zrec");
    {
        std::ofstream out(path, std::ios::binary);
        std::string head = zrecHeader();
        putLe(head, 5, 8);
        putLe(head, 0xFFFFFFF0u, 4);
        out << head;
    }
    // The claimed bytes are a hole: 4 KB on disk, then real frames after it.
    const int fd = open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, frames.data(), frames.size(), 20 + 0xFFFFFFF0ll), static_cast<ssize_t>(frames.size()));
    close(fd);
    const ChildRun run = runShell(scratch, std::string(kMemoryCap) + quoted({"decode", path, "-p", "pImuData=Enabled"}),
                                  milliseconds(30000));
    ASSERT_TRUE(run.inTime);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_THAT(run.err, HasSubstr("record at byte offset 8 holds 4294967280 bytes, more than 65536; skipped"));
    EXPECT_GE(countOf(run.out, "\"pin\":\"decoder.oImu\""), 3u) << "the frames after it are decoded";
    EXPECT_LT(run.seconds, 5.0) << "the hole was read rather than skipped";
}

// ---- arguments and properties

struct BadValue {
    const char *name;
    std::vector<std::string> arguments;
    int status;
    const char *message;
};

void PrintTo(const BadValue &c, std::ostream *os) {
    *os << c.name;
}

class ToolBadValues : public testing::TestWithParam<BadValue> {};

TEST_P(ToolBadValues, AreRefusedWithTheReason) {
    Scratch scratch;
    const ChildRun run = runShell(scratch, quoted(GetParam().arguments), milliseconds(20000));
    ASSERT_TRUE(run.inTime);
    EXPECT_EQ(run.status, GetParam().status) << run.err;
    EXPECT_THAT(run.err, HasSubstr(GetParam().message));
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Refused, ToolBadValues,
    testing::Values(
        BadValue{"PortTooLarge",
                 {"live", "--udp", "127.0.0.1:9", "-p", "reader.pLocalPort=4294967296", "--duration", "5"},
                 1,
                 "pLocalPort 4294967296 is out of range (0 to 65535)."},
        BadValue{
            "RemotePortTooLarge",
            {"record", "--udp", "127.0.0.1:9", "-p", "pRemotePort=4294967301", "--out", "/dev/null", "--duration", "5"},
            1,
            "pRemotePort 4294967301 is out of range (0 to 65535)."},
        BadValue{"NegativePort",
                 {"record", "--udp", "127.0.0.1:9", "-p", "pLocalPort=-1", "--out", "/dev/null", "--duration", "5"},
                 1,
                 "pLocalPort -1 is out of range (0 to 65535)."},
        BadValue{
            "BaudTooLarge",
            {"record", "--port", "/dev/null", "-p", "pBaudRate=4294967296", "--out", "/dev/null", "--duration", "5"},
            1,
            "pBaudRate 4294967296 is out of range (1 to 4000000)."},
        BadValue{"BaudZero",
                 {"record", "--port", "/dev/null", "-p", "pBaudRate=0", "--out", "/dev/null", "--duration", "5"},
                 1,
                 "pBaudRate 0 is out of range (1 to 4000000)."}),
    [](const testing::TestParamInfo<BadValue> &i) { return i.param.name; });

// ---- prompt stops

TEST(ToolStops, SigintDuringRateConfigurationOfADeviceThatNeverAcknowledges) {
    Scratch scratch;
    zuv::sim::SimConfig config;
    config.clock = zuv::sim::ClockMode::RealTime;
    config.link = zuv::sim::LinkKind::Pty;
    config.faults.neverAcknowledge = true;
    zuv::sim::Simulator sim(config);
    ASSERT_EQ(sim.start(), ZUV_NO_ERROR) << sim.errorText();
    Child child(scratch, "exec " + quoted({"record", "--port", sim.ptyPath(), "-p", "pImuData=50 Hz", "--out",
                                           scratch.file("never.zrec")}));
    // The reader is busy with its 26 unanswered commands for about 39 s.
    std::this_thread::sleep_for(milliseconds(1500));
    const auto signalled = Clock::now();
    child.signal(SIGINT);
    const ChildRun run = child.wait(milliseconds(60000));
    const double afterSignal = std::chrono::duration<double>(Clock::now() - signalled).count();
    ASSERT_TRUE(run.inTime);
    EXPECT_LT(afterSignal, 2.0) << "the signal waited for the configuration to end";
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, Not(HasSubstr("configuration failed! ZUV Error Code: 17")));
    const std::string recording = readFile(scratch.file("never.zrec"));
    EXPECT_EQ(recording.substr(0, 4), "ZREC") << "the recording was completed";
}

TEST(ToolStops, SigintDuringADetectionScan) {
    Scratch scratch;
    // Every one of the 2048 attempts of this package's scan waits 100 ms for an answer.
    Child child(scratch, "exec '" ZUV_TOOL "' --package '" ZUV_SLOW_SCAN_PCK "' detect");
    std::this_thread::sleep_for(milliseconds(1000));
    const auto signalled = Clock::now();
    child.signal(SIGINT);
    const ChildRun run = child.wait(milliseconds(30000));
    const double afterSignal = std::chrono::duration<double>(Clock::now() - signalled).count();
    ASSERT_TRUE(run.inTime) << "the scan ran on after the signal";
    EXPECT_LT(afterSignal, 2.0);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("zuv detect: stopped before the scan ended"));
    EXPECT_EQ(run.out, "") << "no port is claimed for an interrupted scan";
}

TEST(ToolStops, SigintWhileAFifoWaitsForItsWriter) {
    Scratch scratch;
    const std::string fifo = scratch.file("input.zrec");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Child child(scratch, "exec " + quoted({"decode", fifo}));
    std::this_thread::sleep_for(milliseconds(700));
    const auto signalled = Clock::now();
    child.signal(SIGINT);
    const ChildRun run = child.wait(milliseconds(20000));
    const double afterSignal = std::chrono::duration<double>(Clock::now() - signalled).count();
    ASSERT_TRUE(run.inTime) << "the first SIGINT was ignored";
    EXPECT_LT(afterSignal, 2.0);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr(fifo + ": stopped while waiting for a writer"));
}

TEST(ToolStops, AFifoWithAWriterIsDecoded) {
    Scratch scratch;
    recordImuFrames(scratch, 5);
    const std::string fifo = scratch.file("input.zrec");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const ChildRun run = runShell(scratch,
                                  "(sleep 0.3; cat '" + scratch.file("imu.zrec") + "' >'" + fifo + "') & " +
                                      quoted({"decode", fifo, "-p", "pImuData=Enabled"}),
                                  milliseconds(20000));
    ASSERT_TRUE(run.inTime);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_GE(countOf(run.out, "\"pin\":\"decoder.oImu\""), 5u);
}

}  // namespace
}  // namespace zuv::test
