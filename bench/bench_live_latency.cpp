// `zuv live` as a person runs it, measured from outside: the tool beside this
// program reads a pseudo-terminal that this program plays the device on, and
// its JSON lines come back on a pipe.
//
//   build/bin/bench_live_latency [--seconds S] [google benchmark flags]
//
// The device: an in-process simulator on a second pseudo-terminal answers the
// reader's start-up commands through a relay; once they are done, a writer
// thread puts IMU frames on the link at 200 Hz, each stamped (steady clock)
// as it is written and carrying its sequence number as the IMU time stamp.
// Each frame gives a decoder.oImu line and then its decoder.oImuInternalTimestamp
// line (the IMU time stamp); the latter is timed as it is read and matched to
// its frame by that number.
//   BM_LiveImu200Hz: latency write -> JSON line (median, p99) and the CPU
//     share of the `zuv live` process, from /proc/PID/task/*/schedstat.
//   BM_LiveSilent: the same link with nothing on it: CPU share only.
//   BM_LiveUdpAllLogs: the simulator streams all 26 log kinds at 200 Hz over
//     UDP on loopback; CPU share of `zuv live` (no decoder output enabled, so
//     this is the reader and the hand-off to the decoder).
// Each runs twice: "wait" as built, "poll" with ZUV_POLL_SLEEP=1 (the reader
// sleeps 1 ms between empty reads, as it did before), in the same run, so the
// machine's load is shared; the ratios are printed at the end.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "zuvLogFrames.h"
#include "zuvSim.h"

namespace {

double gSeconds = 5.0;

int64_t steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string besideProgram(const char *name) {
    std::vector<char> self(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", self.data(), self.size() - 1);
    std::string path(self.data(), n > 0 ? static_cast<size_t>(n) : 0);
    return path.substr(0, path.rfind('/') + 1) + name;
}

// CPU time of every thread of `pid` so far, in seconds (the scheduler's own
// nanosecond count, not clock ticks).
double processCpuSeconds(pid_t pid) {
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR *tasks = opendir(dir.c_str());
    if (tasks == nullptr) return 0;
    double total = 0;
    while (dirent *entry = readdir(tasks)) {
        if (entry->d_name[0] == '.') continue;
        const std::string path = dir + "/" + entry->d_name + "/schedstat";
        if (std::FILE *file = std::fopen(path.c_str(), "r")) {
            unsigned long long ns = 0;
            if (std::fscanf(file, "%llu", &ns) == 1) total += static_cast<double>(ns) * 1e-9;
            std::fclose(file);
        }
    }
    closedir(tasks);
    return total;
}

void setRaw(int fd, speed_t speed) {
    termios options{};
    if (tcgetattr(fd, &options) != 0) return;
    cfmakeraw(&options);
    cfsetispeed(&options, speed);
    cfsetospeed(&options, speed);
    tcsetattr(fd, TCSANOW, &options);
}

bool writeAll(int fd, const uint8_t *p, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n > 0) {
            p += n;
            size -= static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd pfd{fd, POLLOUT, 0};
            ::poll(&pfd, 1, 100);
        } else {
            return false;
        }
    }
    return true;
}

// `zuv live ARGS`, its standard output on a pipe, its standard error dropped.
struct Child {
    pid_t pid = -1;
    int out = -1;

    bool start(const std::vector<std::string> &args, bool pollSleep) {
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
        const std::string tool = besideProgram("zuv");
        pid = fork();
        if (pid == 0) {
            dup2(pipeFds[1], 1);
            const int devNull = open("/dev/null", O_WRONLY);
            dup2(devNull, 2);
            if (pollSleep) {
                setenv("ZUV_POLL_SLEEP", "1", 1);
            } else {
                unsetenv("ZUV_POLL_SLEEP");
            }
            std::vector<char *> argv;
            argv.push_back(const_cast<char *>(tool.c_str()));
            for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            execv(tool.c_str(), argv.data());
            _exit(127);
        }
        close(pipeFds[1]);
        out = pipeFds[0];
        return pid > 0;
    }
    void stop() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status = 0;
            waitpid(pid, &status, 0);
            pid = -1;
        }
        if (out >= 0) close(out);
        out = -1;
    }
    ~Child() { stop(); }
};

// Pseudo-terminal A is the tool's port; the simulator sits on B. The relay
// carries the reader's commands to B and the answers back; the writer's frames
// go on A under the same lock, so that they never split an answer.
class PtyDevice {
public:
    bool open(std::string &error) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            error = "no pseudo-terminal";
            return false;
        }
        slavePath_ = ptsname(master_);
        // Held open (raw, no echo) so that the master never sees a hang-up
        // between the tool's open and close.
        slaveHold_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        setRaw(slaveHold_, B115200);
        zuv::sim::SimConfig config;
        config.clock = zuv::sim::ClockMode::RealTime;
        config.link = zuv::sim::LinkKind::Pty;
        config.baudRate = 115200;
        sim_ = std::make_unique<zuv::sim::Simulator>(config);
        if (sim_->start() != ZUV_NO_ERROR) {
            error = "simulator: " + sim_->errorText();
            return false;
        }
        simSide_ = ::open(sim_->ptyPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (simSide_ < 0) {
            error = "cannot open the simulator's pseudo-terminal";
            return false;
        }
        setRaw(simSide_, B115200);
        relay_ = std::thread([this] { relay(); });
        return true;
    }
    ~PtyDevice() {
        stopping_ = true;
        if (relay_.joinable()) relay_.join();
        if (sim_) sim_->stop();
        for (int fd : {simSide_, slaveHold_, master_})
            if (fd >= 0) ::close(fd);
    }
    const std::string &port() const { return slavePath_; }
    // True once answers came and then nothing for `quietMs`.
    bool waitStartupDone(int quietMs, int timeoutMs) {
        const int64_t end = steadyNs() + int64_t{timeoutMs} * 1000000;
        while (steadyNs() < end) {
            const int64_t last = lastAnswerNs_.load();
            if (last != 0 && steadyNs() - last > int64_t{quietMs} * 1000000) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    bool writeFrame(const uint8_t *bytes, size_t size, int64_t &stampNs) {
        std::lock_guard<std::mutex> lock(writeMutex_);
        stampNs = steadyNs();
        return writeAll(master_, bytes, size);
    }

private:
    void relay() {
        uint8_t buffer[4096];
        while (!stopping_) {
            pollfd fds[2] = {{master_, POLLIN, 0}, {simSide_, POLLIN, 0}};
            if (::poll(fds, 2, 50) <= 0) continue;
            if (fds[0].revents & POLLIN) {
                const ssize_t n = ::read(master_, buffer, sizeof buffer);
                if (n > 0) writeAll(simSide_, buffer, static_cast<size_t>(n));
            }
            if (fds[1].revents & POLLIN) {
                const ssize_t n = ::read(simSide_, buffer, sizeof buffer);
                if (n > 0) {
                    std::lock_guard<std::mutex> lock(writeMutex_);
                    writeAll(master_, buffer, static_cast<size_t>(n));
                    lastAnswerNs_ = steadyNs();
                }
            }
            if ((fds[0].revents | fds[1].revents) & (POLLHUP | POLLERR)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the tool is between opens
            }
        }
    }

    int master_ = -1;
    int slaveHold_ = -1;
    int simSide_ = -1;
    std::string slavePath_;
    std::unique_ptr<zuv::sim::Simulator> sim_;
    std::thread relay_;
    std::mutex writeMutex_;
    std::atomic<bool> stopping_{false};
    std::atomic<int64_t> lastAnswerNs_{0};
};

// Reads the child's lines; for each IMU time stamp line, the stamp (the
// writer's sequence number) and when the line was read.
class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd) {}
    // Reads what is there within `timeoutMs`; false at end of file.
    bool pump(int timeoutMs, std::vector<std::pair<uint32_t, int64_t>> &imu) {
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, timeoutMs) <= 0) return true;
        char chunk[65536];
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n <= 0) return false;
        const int64_t now = steadyNs();
        pending_.append(chunk, static_cast<size_t>(n));
        size_t start = 0;
        for (size_t end; (end = pending_.find('\n', start)) != std::string::npos; start = end + 1) {
            const std::string line = pending_.substr(start, end - start);
            if (line.find("\"pin\":\"decoder.oImuInternalTimestamp\"") == std::string::npos) continue;
            const size_t data = line.find("\"data\":[");
            if (data == std::string::npos) continue;
            imu.emplace_back(static_cast<uint32_t>(std::strtoull(line.c_str() + data + 8, nullptr, 10)), now);
        }
        pending_.erase(0, start);
        return true;
    }

private:
    int fd_;
    std::string pending_;
};

struct Figures {
    double p50Ms = 0, p99Ms = 0, cpuPercent = 0;
};
std::map<std::string, Figures> gFigures;

const char *modeName(bool pollSleep) {
    return pollSleep ? "poll" : "wait";
}

void drainFor(LineReader &reader, std::vector<std::pair<uint32_t, int64_t>> &imu, double seconds) {
    const int64_t end = steadyNs() + static_cast<int64_t>(seconds * 1e9);
    while (steadyNs() < end) {
        if (!reader.pump(20, imu)) break;
    }
}

// At 200 Hz through the pseudo-terminal, or nothing at all (`silent`).
void runPty(benchmark::State &state, bool pollSleep, bool silent) {
    std::string error;
    PtyDevice device;
    if (!device.open(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    Child child;
    if (!child.start({"live", "--port", device.port(), "-p", "decoder.pImuData=Enabled"}, pollSleep)) {
        state.SkipWithError("cannot start zuv live");
        return;
    }
    if (!device.waitStartupDone(500, 15000)) {
        state.SkipWithError("the reader never configured the device");
        return;
    }
    LineReader reader(child.out);
    std::vector<std::pair<uint32_t, int64_t>> imu;
    const size_t frames = static_cast<size_t>(gSeconds * 200);
    imu.reserve(frames + 16);
    std::vector<int64_t> written(frames + 1, 0);
    std::atomic<bool> writing{!silent};
    std::thread writer([&] {
        if (silent) return;
        auto next = std::chrono::steady_clock::now();
        for (size_t i = 1; i <= frames && writing; ++i) {
            ZuvBinaryLogData log = zuv::test::records::imu();
            log.imuData.timeStamp = static_cast<uint32_t>(i);
            const zuv::test::FrameBytes frame = zuv::test::logFrame(3, log);
            next += std::chrono::microseconds(5000);
            std::this_thread::sleep_until(next);
            if (!device.writeFrame(frame.data(), frame.size(), written[i])) break;
        }
    });
    for (auto _ : state) {
        // Settle one second, then measure; the writer runs on meanwhile.
        drainFor(reader, imu, 1.0);
        const double cpu0 = processCpuSeconds(child.pid);
        const int64_t t0 = steadyNs();
        drainFor(reader, imu, gSeconds - 1.5);
        const double cpu1 = processCpuSeconds(child.pid);
        const int64_t t1 = steadyNs();
        drainFor(reader, imu, 1.0);
        state.SetIterationTime(static_cast<double>(t1 - t0) * 1e-9);
        Figures figures;
        figures.cpuPercent = 100.0 * (cpu1 - cpu0) / (static_cast<double>(t1 - t0) * 1e-9);
        std::vector<double> latencies;
        for (const auto &[sequence, readNs] : imu) {
            if (sequence >= 1 && sequence <= frames && written[sequence] != 0) {
                latencies.push_back(static_cast<double>(readNs - written[sequence]) * 1e-6);
            }
        }
        std::sort(latencies.begin(), latencies.end());
        if (!latencies.empty()) {
            figures.p50Ms = latencies[latencies.size() / 2];
            figures.p99Ms = latencies[latencies.size() * 99 / 100];
        }
        if (!silent && latencies.size() < frames / 2) {
            state.SkipWithError("fewer than half of the frames came back as lines");
        }
        state.counters["cpu_pct"] = figures.cpuPercent;
        if (!silent) {
            state.counters["p50_ms"] = figures.p50Ms;
            state.counters["p99_ms"] = figures.p99Ms;
            state.counters["lines"] = static_cast<double>(latencies.size());
        }
        gFigures[std::string(silent ? "silent/" : "imu/") + modeName(pollSleep)] = figures;
    }
    writing = false;
    writer.join();
}

void runUdp(benchmark::State &state, bool pollSleep) {
    // The tool binds a port of its own choosing on loopback; the simulator sends to it.
    int probe = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof local;
    if (probe < 0 || bind(probe, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
        getsockname(probe, reinterpret_cast<sockaddr *>(&local), &length) != 0) {
        state.SkipWithError("no loopback port");
        return;
    }
    const unsigned toolPort = ntohs(local.sin_port);
    close(probe);

    zuv::sim::SimConfig config;
    config.clock = zuv::sim::ClockMode::RealTime;
    config.link = zuv::sim::LinkKind::Udp;
    config.udpBind = "127.0.0.1:0";
    config.udpPeer = "127.0.0.1:" + std::to_string(toolPort);
    for (uint8_t id :
         {1, 2, 3, 4, 5, 6, 7, 8, 13, 14, 15, 16, 17, 18, 19, 24, 25, 26, 27, 28, 29, 30, 31, 36, 37, 38}) {
        config.outputModes.push_back({id, 1});
    }
    for (auto &pulses : config.sync) pulses.rateHz = 200;
    zuv::sim::Simulator sim(config);
    if (sim.start() != ZUV_NO_ERROR) {
        state.SkipWithError(("simulator: " + sim.errorText()).c_str());
        return;
    }
    Child child;
    if (!child.start(
            {"live", "--udp", "127.0.0.1:" + std::to_string(sim.udpPort()), "--local-port", std::to_string(toolPort)},
            pollSleep)) {
        state.SkipWithError("cannot start zuv live");
        return;
    }
    LineReader reader(child.out);
    std::vector<std::pair<uint32_t, int64_t>> unused;
    for (auto _ : state) {
        drainFor(reader, unused, 1.5);
        const double cpu0 = processCpuSeconds(child.pid);
        const int64_t t0 = steadyNs();
        drainFor(reader, unused, gSeconds - 1.5);
        const double cpu1 = processCpuSeconds(child.pid);
        const int64_t t1 = steadyNs();
        state.SetIterationTime(static_cast<double>(t1 - t0) * 1e-9);
        Figures figures;
        figures.cpuPercent = 100.0 * (cpu1 - cpu0) / (static_cast<double>(t1 - t0) * 1e-9);
        state.counters["cpu_pct"] = figures.cpuPercent;
        int status = 0;
        if (waitpid(child.pid, &status, WNOHANG) != 0) {
            child.pid = -1;
            state.SkipWithError("zuv live ended early");
        }
        gFigures[std::string("udp/") + modeName(pollSleep)] = figures;
    }
    child.stop();
    sim.stop();
}

void BM_LiveImu200Hz(benchmark::State &state) {
    runPty(state, state.range(0) != 0, false);
}
void BM_LiveSilent(benchmark::State &state) {
    runPty(state, state.range(0) != 0, true);
}
void BM_LiveUdpAllLogs(benchmark::State &state) {
    runUdp(state, state.range(0) != 0);
}

// Argument 0: the wait as built; 1: ZUV_POLL_SLEEP=1.
BENCHMARK(BM_LiveImu200Hz)->ArgName("poll")->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_LiveSilent)->ArgName("poll")->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_LiveUdpAllLogs)->ArgName("poll")->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void printComparison() {
    std::printf("\nzuv live, wait on the link vs. 1 ms polling (ZUV_POLL_SLEEP=1), same run:\n");
    for (const char *kind : {"imu", "silent", "udp"}) {
        const auto wait = gFigures.find(std::string(kind) + "/wait");
        const auto poll = gFigures.find(std::string(kind) + "/poll");
        if (wait == gFigures.end() || poll == gFigures.end()) continue;
        const Figures &w = wait->second, &p = poll->second;
        std::printf("  %-6s CPU %6.2f %% vs %6.2f %% (x%.2f)", kind, w.cpuPercent, p.cpuPercent,
                    w.cpuPercent > 0 ? p.cpuPercent / w.cpuPercent : 0.0);
        if (std::string(kind) == "imu") {
            std::printf("; latency median %.3f vs %.3f ms, p99 %.3f vs %.3f ms", w.p50Ms, p.p50Ms, w.p99Ms, p.p99Ms);
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<char *> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            gSeconds = std::max(3.0, std::atof(argv[++i]));
        } else {
            rest.push_back(argv[i]);
        }
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    if (access(besideProgram("zuv").c_str(), X_OK) != 0) {
        std::fprintf(stderr, "zuv not found beside this program\n");
        return 1;
    }
    signal(SIGPIPE, SIG_IGN);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printComparison();
    return 0;
}
