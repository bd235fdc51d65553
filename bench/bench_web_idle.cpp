// What `zuv web` costs with no browser attached, against `zuv live` at the
// same rates: each runs on its own simulated device for a while, and the
// child's CPU time (utime + stime from /proc/PID/stat) over a steady window
// is given as a share of one core.
//   bench_web_idle [SECONDS]   (default 10; other arguments are ignored)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "zuvSim.h"

namespace {

const std::vector<std::string> kReaderRates = {
    "reader.pStatus=10 Hz",        "reader.pUtcTime=10 Hz",       "reader.pImuData=200 Hz",
    "reader.pEkfEuler=200 Hz",     "reader.pEkfNav=200 Hz",       "reader.pGps1Vel=On New Data",
    "reader.pGps1Pos=On New Data", "reader.pLinkStatistics=true",
};
const std::vector<std::string> kDecoderKinds = {"pStatus", "pUtcTime", "pImuData", "pEkfEuler",
                                                "pEkfNav", "pGps1Vel", "pGps1Pos"};

// utime + stime in seconds.
double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) {
            stime = std::stoull(field);
            break;
        }
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Measure {
    double share = -1;  // of one core
    int status = -1;
};

Measure run(const std::vector<std::string> &args, double seconds) {
    zuv::sim::SimConfig config;
    config.link = zuv::sim::LinkKind::Pty;
    zuv::sim::Simulator sim(config);
    if (sim.start() != ZUV_NO_ERROR) {
        std::fprintf(stderr, "cannot start the simulator: %s\n", sim.errorText().c_str());
        return {};
    }
    std::vector<std::string> full = args;
    full.insert(full.begin() + 2, {"--port", sim.ptyPath()});
    std::vector<char *> argv;
    for (std::string &a : full) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    // Past the start (reader Birth, rate commands), then a steady window.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = cpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double c1 = cpuSeconds(pid);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    sim.stop();
    Measure m;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (c0 >= 0 && c1 >= 0) m.share = (c1 - c0) / wall;
    return m;
}

}  // namespace

int main(int argc, char **argv) {
    double seconds = 10;
    if (argc > 1 && argv[1][0] != '-') seconds = std::atof(argv[1]);
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::string zuv = (self.parent_path() / "zuv").string();
    if (error || !std::filesystem::exists(zuv)) {
        std::fprintf(stderr, "bench_web_idle: no zuv beside this program\n");
        return 1;
    }
    std::vector<std::string> live = {zuv, "live", "--jsonl", "/dev/null"};
    std::vector<std::string> web = {zuv, "web", "--listen", "127.0.0.1:0"};
    for (const std::string &rate : kReaderRates) {
        for (auto *args : {&live, &web}) {
            args->push_back("-p");
            args->push_back(rate);
        }
    }
    for (const std::string &kind : kDecoderKinds) {
        live.push_back("-p");
        live.push_back("decoder." + kind + "=Enabled");
    }
    std::printf("reader rates: IMU, Euler, navigation 200 Hz; status, UTC 10 Hz; GNSS1 on new data; %.0f s each\n",
                seconds);
    const Measure l = run(live, seconds);
    const Measure w = run(web, seconds);
    if (l.share < 0 || w.share < 0 || l.status != 0 || w.status != 0) {
        std::fprintf(stderr, "bench_web_idle: a run failed (live status %d, web status %d)\n", l.status, w.status);
        return 1;
    }
    std::printf("zuv live --jsonl /dev/null  %6.2f %% of a core\n", 100 * l.share);
    std::printf("zuv web, no browser         %6.2f %% of a core\n", 100 * w.share);
    std::printf("web - live                  %+6.2f %% of a core (bound: +2 %%)\n", 100 * (w.share - l.share));
    return 0;
}
