// `zuv decode` of a one-million-frame recording to a file, end to end: the
// tool beside this program loads zuv.pck, replays the recording through the
// runtime into the decoder (oImu and its twin enabled) and writes two JSON
// lines per frame. Wall time of the whole process, from start to exit.
// Beside it, in the same run, the decoder's Core alone over the same frames
// in this process (the runtime's step mode, no threads, no JSON), so the figure
// that matters is the share of the decoder's own speed the tool reaches.
//
//   build/bin/bench_zuv_decode
//
// Counters: frames_per_second (frames in the recording / wall seconds),
// core_frames_per_second (Core calls / wall seconds), decode_to_core (their
// ratio).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "zuvLinkedPackage.h"
#include "zuvLogFrames.h"

namespace {

constexpr int kFrames = 1000000;

std::string toolPath() {
    std::vector<char> self(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", self.data(), self.size() - 1);
    std::string path(self.data(), n > 0 ? static_cast<size_t>(n) : 0);
    return path.substr(0, path.rfind('/') + 1) + "zuv";
}

void putLe(std::FILE *file, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), file);
}

// One IMU frame per record, 200 Hz on the recorded clock.
bool writeRecording(const std::string &path) {
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    std::fputs("ZREC", file);
    putLe(file, 1, 4);
    const zuv::test::FrameBytes frame = zuv::test::logFrame(3, zuv::test::records::imu());
    for (int i = 1; i <= kFrames; ++i) {
        putLe(file, static_cast<uint64_t>(5000LL * i), 8);
        putLe(file, frame.size(), 4);
        std::fwrite(frame.data(), 1, frame.size(), file);
    }
    return std::fclose(file) == 0;
}

// The decoder's Core over kFrames copies of the recording's frame, with the
// properties the tool is given; frames per wall second.
double coreFramesPerSecond() {
    zuv::host::StepRuntime runtime;
    zuv::host::StepInstance &decoder = zuv::test::linkedPackage(runtime).CreateInstance("ZUV_FrameDecoder", "decoder");
    decoder.KeepSamples(false);
    decoder.Set("pImuData", 1);
    runtime.SetTime(0);
    decoder.Birth();
    decoder.PushForever(5000, 5000, zuv::test::logFrame(3, zuv::test::records::imu()));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFrames; ++i) decoder.Core();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    decoder.Death();
    return seconds > 0 ? kFrames / seconds : 0.0;
}

void BM_ZuvDecode_MillionImuFrames(benchmark::State &state) {
    const std::string tool = toolPath();
    if (access(tool.c_str(), X_OK) != 0) {
        state.SkipWithError("zuv not found beside this program");
        return;
    }
    char dir[] = "/tmp/zuv_bench_decode_XXXXXX";
    if (mkdtemp(dir) == nullptr || !writeRecording(std::string(dir) + "/imu.zrec")) {
        state.SkipWithError("cannot write the recording");
        return;
    }
    const std::string command =
        "'" + tool + "' decode '" + dir + "/imu.zrec' -p pImuData=Enabled --jsonl '" + dir + "/imu.jsonl' 2>/dev/null";
    // Each iteration times the tool and the Core back to back, so a load
    // that comes and goes on the machine weighs on both alike.
    double toolSeconds = 0;
    double coreRate = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const auto end = std::chrono::steady_clock::now();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("zuv decode failed");
            break;
        }
        const double seconds = std::chrono::duration<double>(end - start).count();
        toolSeconds += seconds;
        coreRate += coreFramesPerSecond();
        state.SetIterationTime(seconds);
    }
    const double iterations = static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * kFrames);
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(kFrames) * iterations, benchmark::Counter::kIsRate);
    if (iterations > 0 && toolSeconds > 0 && coreRate > 0) {
        const double toolRate = static_cast<double>(kFrames) * iterations / toolSeconds;
        coreRate /= iterations;
        state.counters["core_frames_per_second"] = benchmark::Counter(coreRate);
        state.counters["decode_to_core"] = benchmark::Counter(toolRate / coreRate);
    }
    std::system((std::string("rm -rf '") + dir + "'").c_str());
}

BENCHMARK(BM_ZuvDecode_MillionImuFrames)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
