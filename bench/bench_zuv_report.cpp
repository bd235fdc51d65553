// `zuv report` of a ten-minute recording of the demo's logs (the simulator on
// its manual clock, no link: status and UTC 1 Hz, IMU 25 Hz, Euler and
// navigation 10 Hz, GNSS velocity and position on new data), arrival stamps a
// few milliseconds behind the device with every 3000th frame of each log
// dropped. Wall time of the whole process, from start to exit.
//
//   build/bin/bench_zuv_report
//   ZUV_BENCH_RECORDING=run.zrec build/bin/bench_zuv_report   # keeps the recording there
//
// Counter: page_bytes (size of the HTML page).
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "zrecWriter.h"
#include "zuvEComIds.h"
#include "zuvSim.h"

namespace {

constexpr uint64_t kDurationUs = 600ull * 1000000ull;

std::string toolPath() {
    std::vector<char> self(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", self.data(), self.size() - 1);
    std::string path(self.data(), n > 0 ? static_cast<size_t>(n) : 0);
    return path.substr(0, path.rfind('/') + 1) + "zuv";
}

bool writeRecording(const std::string &path) {
    zuv::sim::SimConfig config;
    config.clock = zuv::sim::ClockMode::Manual;
    config.timing.dropEvery = 3000;
    config.outputModes = {
        {ZUV_ECOM_LOG_STATUS, ZUV_ECOM_OUTPUT_MODE_DIV_200},    {ZUV_ECOM_LOG_UTC_TIME, ZUV_ECOM_OUTPUT_MODE_DIV_200},
        {ZUV_ECOM_LOG_IMU_DATA, ZUV_ECOM_OUTPUT_MODE_DIV_8},    {ZUV_ECOM_LOG_EKF_EULER, ZUV_ECOM_OUTPUT_MODE_DIV_20},
        {ZUV_ECOM_LOG_EKF_NAV, ZUV_ECOM_OUTPUT_MODE_DIV_20},    {ZUV_ECOM_LOG_GPS1_VEL, ZUV_ECOM_OUTPUT_MODE_NEW_DATA},
        {ZUV_ECOM_LOG_GPS1_POS, ZUV_ECOM_OUTPUT_MODE_NEW_DATA},
    };
    zuv::recording::ZrecWriter writer;
    if (!writer.open(path)) return false;
    std::mt19937 random(7);
    std::exponential_distribution<double> latencyMs(1.0);
    zuv::sim::Simulator sim(config);
    sim.setFrameTap([&](const zuv::sim::SentFrame &frame) {
        const int64_t arrival =
            static_cast<int64_t>(frame.deviceTimeUs) + 2000 + static_cast<int64_t>(latencyMs(random) * 1000.0);
        writer.append(arrival, frame.bytes, static_cast<uint32_t>(frame.size));
    });
    if (sim.start() != ZUV_NO_ERROR) return false;
    for (uint64_t t = 0; t < kDurationUs; t += 100000) sim.advance(100000);
    sim.stop();
    return writer.close();
}

void BM_ZuvReport_TenMinuteDemoRecording(benchmark::State &state) {
    const std::string tool = toolPath();
    if (access(tool.c_str(), X_OK) != 0) {
        state.SkipWithError("zuv not found beside this program");
        return;
    }
    char dir[] = "/tmp/zuv_bench_report_XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        state.SkipWithError("cannot make a folder");
        return;
    }
    const char *keep = std::getenv("ZUV_BENCH_RECORDING");
    const std::string recording = keep != nullptr ? keep : std::string(dir) + "/demo.zrec";
    if (!writeRecording(recording)) {
        state.SkipWithError("cannot write the recording");
        return;
    }
    const std::string page = std::string(dir) + "/demo.html";
    const std::string command = "'" + tool + "' report '" + recording + "' -o '" + page + "'";
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const auto end = std::chrono::steady_clock::now();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("zuv report failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    struct stat info {};
    state.counters["page_bytes"] = stat(page.c_str(), &info) == 0 ? static_cast<double>(info.st_size) : 0.0;
    std::system((std::string("rm -rf '") + dir + "'").c_str());
}

BENCHMARK(BM_ZuvReport_TenMinuteDemoRecording)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
