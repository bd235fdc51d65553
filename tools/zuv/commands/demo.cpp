// zuv demo [--duration S] [--out DIR]: the whole package on a simulated device.
// Starts the simulator on a pseudo-terminal, runs reader → decoder with IMU,
// attitude, navigation and GNSS logs enabled, shows the decoded values once a
// second, records reader.oData and the JSON lines into a folder, replays the
// recording through the decoder and checks that it gives the same lines.
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>

#include "commands.h"
#include "jsonLinesSink.h"
#include "limitChecks.h"
#include "readerTap.h"
#include "recorder.h"
#include "replay.h"
#include "runControl.h"
#include "session.h"
#include "stopSignal.h"
#include "toolError.h"
#include "zuvSim.h"

namespace zuv::tool {

namespace {

struct DemoOptions {
    double durationSeconds = 10;
    std::string out;
};

// Rates asked of the device, and the decoder outputs that show them.
const std::vector<std::string> kReaderRates = {
    "reader.pStatus=1 Hz",  "reader.pUtcTime=1 Hz",        "reader.pImuData=25 Hz",       "reader.pEkfEuler=10 Hz",
    "reader.pEkfNav=10 Hz", "reader.pGps1Vel=On New Data", "reader.pGps1Pos=On New Data",
};
const std::vector<std::string> kDecoderKinds = {"pStatus", "pUtcTime", "pImuData", "pEkfEuler",
                                                "pEkfNav", "pGps1Vel", "pGps1Pos"};
const std::vector<std::string> kShownOutputs = {"oImu", "oEkfEuler", "oEkfNav", "oGps1Pos"};

std::vector<std::string> decoderAssignments(const std::string &prefix) {
    std::vector<std::string> out;
    for (const std::string &kind : kDecoderKinds) {
        out.push_back(prefix + kind + "=Enabled");
    }
    return out;
}

// The newest sample of each shown output.
class LatestValues {
public:
    host::SampleCallback callbackFor(const std::string &output) {
        return [this, output](const host::SampleView &sample) {
            std::lock_guard<std::mutex> lock(mutex_);
            std::vector<double> &values = latest_[output];
            values.resize(static_cast<size_t>(sample.vectorSize));
            const auto *data = static_cast<const double *>(sample.data);
            values.assign(data, data + sample.vectorSize);
        };
    }
    std::vector<double> get(const std::string &output) const {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = latest_.find(output);
        return it == latest_.end() ? std::vector<double>{} : it->second;
    }

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::vector<double>> latest_;
};

constexpr double kDegrees = 180.0 / M_PI;

void printBlock(double seconds, const ReaderTap &tap, const LatestValues &latest) {
    std::string text = fmt::format("{:5.1f} s  frames {}  ({:.1f} kB)  CRC errors {}\n", seconds, tap.frames(),
                                   static_cast<double>(tap.bytes()) / 1000.0, tap.crcErrors());
    const auto imu = latest.get("oImu");
    if (imu.size() >= 6) {
        text += fmt::format("  IMU       accel {:+7.3f} {:+7.3f} {:+7.3f} m/s2   gyro {:+.4f} {:+.4f} {:+.4f} rad/s\n",
                            imu[0], imu[1], imu[2], imu[3], imu[4], imu[5]);
    }
    const auto euler = latest.get("oEkfEuler");
    if (euler.size() >= 3) {
        text += fmt::format("  attitude  roll {:+6.2f} deg  pitch {:+6.2f} deg  yaw {:+7.2f} deg\n",
                            euler[0] * kDegrees, euler[1] * kDegrees, euler[2] * kDegrees);
    }
    const auto nav = latest.get("oEkfNav");
    if (nav.size() >= 9) {
        text +=
            fmt::format("  nav       lat {:.6f}  lon {:.6f}  alt {:.1f} m   vel N {:+.2f} E {:+.2f} D {:+.2f} m/s\n",
                        nav[6], nav[7], nav[8], nav[0], nav[1], nav[2]);
    }
    const auto gnss = latest.get("oGps1Pos");
    if (gnss.size() >= 10) {
        text += fmt::format("  GNSS1     lat {:.6f}  lon {:.6f}  alt {:.1f} m   satellites {:.0f}\n", gnss[0], gnss[1],
                            gnss[2], gnss[9]);
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string makeOutputFolder(const std::string &requested) {
    if (!requested.empty()) {
        std::error_code error;
        std::filesystem::create_directories(requested, error);
        if (error) {
            throw runError("cannot create the folder " + requested + ": " + error.message());
        }
        return requested;
    }
    // A new folder of the working directory: each run keeps its own files, and
    // none land beside the program (which may be a read-only system folder).
    std::string pattern = "zuv-demo-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        const int error = errno;
        std::error_code ignored;
        throw runError("cannot create a folder for the demo in " + std::filesystem::current_path(ignored).string() +
                       ": " + std::strerror(error) + " (choose one with --out DIR)");
    }
    return pattern;
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The running zuv, so that the replay command can be pasted as it is.
std::string programPath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("zuv") : self.string();
}

struct LiveResult {
    uint64_t frames = 0;
    uint64_t lines = 0;
    bool failed = false;
};

LiveResult runLivePart(ToolContext &context, const DemoOptions &options, const std::string &folder,
                       const std::string &ptyPath) {
    Session session(context);
    session.loadPackage();
    host::Instance &reader = session.createInstance("ZUV_FrameReader", "reader");
    host::Instance &decoder = session.createInstance("ZUV_FrameDecoder", "decoder");
    session.applyProperties({"reader.pInterface=Serial", "reader.pComPort=" + ptyPath, "reader.pBaudRate=115200"});
    session.applyProperties(kReaderRates);
    session.applyProperties(decoderAssignments("decoder."));
    session.runtime().Connect(reader, "oData", decoder, "iData");

    sinks::JsonLinesSink sink(stdout);
    if (!sink.openFile(folder + "/demo.jsonl")) throw runError(sink.error());
    sink.attachAll(session.runtime(), decoder);
    recording::Recorder recorder;
    if (!recorder.open(folder + "/demo.zrec")) throw runError(recorder.error());
    recorder.attach(session.runtime(), reader, "oData");
    ReaderTap tap;
    session.runtime().AttachSink(reader, "oData", tap.callback());
    LatestValues latest;
    for (const std::string &output : kShownOutputs) {
        session.runtime().AttachSink(decoder, output, latest.callbackFor(output));
    }

    host::Runtime &rt = session.runtime();
    // Sleeps until the next block, the end, a stop or a component's end.
    RunWait wait(rt);
    startDiagram(session);
    LiveResult result;
    const int64_t endUs = static_cast<int64_t>(options.durationSeconds * 1e6);
    int64_t nextBlockUs = 1000000;
    for (;;) {
        if (host::Instance *ended = rt.WaitForEnded(std::chrono::milliseconds(0))) {
            context.printError("the " + ended->Name() + " stopped itself");
            result.failed = true;
            break;
        }
        const int64_t now = rt.Now();
        if (now >= nextBlockUs) {
            printBlock(static_cast<double>(now) * 1e-6, tap, latest);
            nextBlockUs += 1000000;
        }
        if (StopSignal::stopRequested() || now >= endUs) {
            break;
        }
        const int64_t untilUs = std::min(nextBlockUs, endUs) - rt.Now();
        wait.sleep(std::chrono::milliseconds(std::clamp<int64_t>((untilUs + 999) / 1000, 1, 1000)));
    }
    rt.Stop();
    if (!recorder.close()) {
        context.printError(recorder.error());
        result.failed = true;
    }
    if (!sink.close()) {
        context.printError(sink.error());
        result.failed = true;
    }
    result.lines = sink.writtenLines();
    result.frames = recorder.records();
    return result;
}

void runDemo(ToolContext &context, const DemoOptions &options) {
    const std::string folder = makeOutputFolder(options.out);
    zuv::sim::SimConfig config;
    config.link = zuv::sim::LinkKind::Pty;
    config.linkPath = folder + "/device";
    zuv::sim::Simulator sim(config);
    if (sim.start() != ZUV_NO_ERROR) {
        throw runError("cannot start the simulator: " + sim.errorText());
    }
    std::printf("zuv demo: a simulated ZUV device on %s (%s), reader -> decoder for %.0f s\n\n",
                config.linkPath.c_str(), sim.ptyPath().c_str(), options.durationSeconds);
    std::fflush(stdout);

    const LiveResult live = runLivePart(context, options, folder, config.linkPath);
    sim.stop();

    // The same frames, replayed from the recording, must decode to the same lines.
    std::vector<std::string> decodeProperties = decoderAssignments("");
    std::string replayCommand = programPath() + " decode " + folder + "/demo.zrec";
    for (const std::string &p : decodeProperties) {
        replayCommand += " -p " + p;
    }
    replayCommand += " --jsonl " + folder + "/replay.jsonl";
    int replayStatus = 0;
    {
        Session session(context);
        session.loadPackage();
        host::Instance &decoder = session.createInstance("ZUV_FrameDecoder", "decoder");
        session.applyProperties(decodeProperties);
        sinks::JsonLinesSink sink(stdout);
        if (!sink.openFile(folder + "/replay.jsonl")) throw runError(sink.error());
        sink.attachAll(session.runtime(), decoder);
        ReplayOptions replay;
        replay.path = folder + "/demo.zrec";
        replayStatus = replayRecording(session, decoder, "iData", replay).status;
        if (!sink.close()) replayStatus = kExitRunFailed;
    }
    const bool same = replayStatus == 0 && readFile(folder + "/demo.jsonl") == readFile(folder + "/replay.jsonl");

    std::printf("\n%llu frames recorded, %llu JSON lines written, in %s:\n",
                static_cast<unsigned long long>(live.frames), static_cast<unsigned long long>(live.lines),
                folder.c_str());
    std::printf("  demo.zrec     the raw frames of reader.oData\n");
    std::printf("  demo.jsonl    every decoder output sample of the live run\n");
    std::printf("  replay.jsonl  the same recording decoded again: %s\n",
                same ? "identical to demo.jsonl" : "DIFFERENT from demo.jsonl");
    std::printf("Replay it yourself with:\n  %s\n", replayCommand.c_str());
    std::fflush(stdout);
    context.exitStatus = live.failed || !same ? kExitRunFailed : kExitOk;
}

}  // namespace

void addDemoCommand(CLI::App &parent, ToolContext &context) {
    auto options = std::make_shared<DemoOptions>();
    CLI::App *cmd = parent.add_subcommand(
        "demo",
        "Run the package on a simulated device: show decoded values live, leave a recording and its JSON lines");
    cmd->add_option("--duration", options->durationSeconds, "Seconds to run (default 10)")
        ->type_name("S")
        ->check(durationSecondsCheck())
        ->check(CLI::PositiveNumber);
    cmd->add_option(
           "--out", options->out,
           "Folder for the recording and the JSON lines (default: a new zuv-demo-XXXXXX in the current folder)")
        ->type_name("DIR");
    cmd->callback([&context, options] { runDemo(context, *options); });
}

}  // namespace zuv::tool
