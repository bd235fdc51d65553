// Device-clock time stamps and `zuv timing` end to end: the simulator on a
// pseudo-terminal (in this process), the zuv tool as a user runs it.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "toolRun.h"
#include "zuvSim.h"

namespace zuv::test {
namespace {

constexpr uint16_t kImuRate200Hz = 1;
constexpr uint16_t kImuRate50Hz = 4;

std::unique_ptr<sim::Simulator> startSim(uint16_t imuMode, const sim::TimingConfig &timing) {
    sim::SimConfig config;
    config.clock = sim::ClockMode::RealTime;
    config.link = sim::LinkKind::Pty;
    config.outputModes = {{3, imuMode}};
    config.timing = timing;
    auto simulator = std::make_unique<sim::Simulator>(config);
    if (simulator->start() != ZUV_NO_ERROR) {
        ADD_FAILURE() << simulator->errorText();
        return nullptr;
    }
    return simulator;
}

std::vector<nlohmann::json> jsonLines(const std::string &text, const std::string &pin) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        nlohmann::json value = nlohmann::json::parse(line);
        if (value["pin"] == pin) lines.push_back(value);
    }
    return lines;
}

TEST(DeviceClockEndToEnd, LiveRecordingDecodesToTheSameDeviceClockStamps) {
    Scratch scratch;
    sim::TimingConfig timing;
    timing.burstMs = 16;
    timing.clockDriftPpm = 50.0;
    auto simulator = startSim(kImuRate200Hz, timing);
    ASSERT_TRUE(simulator);
    const ToolResult live =
        runTool({"live", "--port", simulator->ptyPath(), "-p", "reader.pImuData=200 Hz", "-p",
                 "decoder.pImuData=Enabled", "-p", "decoder.pDeviceClockTimestamps=true", "--record",
                 scratch.file("run.zrec"), "--jsonl", scratch.file("live.jsonl"), "--duration", "4"});
    ASSERT_EQ(live.status, 0) << live.err;
    const ToolResult decode = runTool({"decode", scratch.file("run.zrec"), "-p", "pImuData=Enabled", "-p",
                                       "pDeviceClockTimestamps=true", "--jsonl", scratch.file("decoded.jsonl")});
    ASSERT_EQ(decode.status, 0) << decode.err;
    const std::string lines = readFile(scratch.file("live.jsonl"));
    EXPECT_EQ(lines, readFile(scratch.file("decoded.jsonl")));

    // Bursts give arrival stamps in clumps; the mapped ones keep the 5 ms of the device.
    const std::vector<nlohmann::json> imu = jsonLines(lines, "decoder.oImu");
    ASSERT_GT(imu.size(), 400u);
    size_t evenSteps = 0;
    const size_t from = imu.size() / 2;
    for (size_t i = from + 1; i < imu.size(); ++i) {
        const int64_t step = imu[i]["t"].get<int64_t>() - imu[i - 1]["t"].get<int64_t>();
        ASSERT_GE(step, 0) << i;
        evenSteps += (step > 4000 && step < 6000) ? 1 : 0;
    }
    EXPECT_GE(evenSteps, (imu.size() - from - 1) * 9 / 10);

    // The same recording decoded with arrival stamps shows the bursts.
    const ToolResult arrival = runTool({"decode", scratch.file("run.zrec"), "-p", "pImuData=Enabled"});
    ASSERT_EQ(arrival.status, 0) << arrival.err;
    const std::vector<nlohmann::json> stamped = jsonLines(arrival.out, "decoder.oImu");
    ASSERT_EQ(stamped.size(), imu.size());
    size_t clumped = 0;
    for (size_t i = 1; i < stamped.size(); ++i) {
        clumped += stamped[i]["t"].get<int64_t>() - stamped[i - 1]["t"].get<int64_t>() < 1000 ? 1 : 0;
    }
    EXPECT_GT(clumped, stamped.size() / 3);
}

struct TruthLine {
    unsigned id;
    uint32_t ts;
};

std::vector<TruthLine> readTruth(const std::string &path) {
    std::vector<TruthLine> truth;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        unsigned id = 0;
        std::string ts;
        long long host = 0;
        fields >> id >> ts >> host;
        if (ts != "-") truth.push_back({id, static_cast<uint32_t>(std::stoul(ts))});
    }
    return truth;
}

TEST(TimingCommand, FindsExactlyTheGapsTheSimulatorLeftOut) {
    Scratch scratch;
    sim::TimingConfig timing;
    timing.dropEvery = 10;
    timing.truthFile = scratch.file("truth.txt");
    auto simulator = startSim(kImuRate50Hz, timing);
    ASSERT_TRUE(simulator);
    const ToolResult record = runTool({"record", "--port", simulator->ptyPath(), "-p", "pImuData=50 Hz", "--out",
                                       scratch.file("gaps.zrec"), "--duration", "3"});
    ASSERT_EQ(record.status, 0) << record.err;
    simulator->stop();

    const ToolResult report = runTool({"timing", scratch.file("gaps.zrec"), "--json"});
    ASSERT_EQ(report.status, 0) << report.err;
    const nlohmann::json json = nlohmann::json::parse(report.out);
    nlohmann::json imu;
    for (const nlohmann::json &log : json["logs"]) {
        if (log["id"] == 3) imu = log;
    }
    ASSERT_FALSE(imu.is_null()) << report.out;
    EXPECT_EQ(imu["log"], "ImuData");
    EXPECT_EQ(imu["spacingUs"], 20000);
    EXPECT_EQ(imu["rateHz"], 50.0);

    // Between the first and the last frame recorded, the frames missing are
    // the ones the simulator never sent: every tenth, one at a time.
    std::set<uint32_t> sent;
    for (const TruthLine &line : readTruth(scratch.file("truth.txt"))) {
        if (line.id == 3) sent.insert(line.ts);
    }
    const uint64_t frames = imu["frames"];
    ASSERT_GT(frames, 50u);
    std::set<uint32_t> recorded;
    const ToolResult decoded = runTool({"decode", scratch.file("gaps.zrec"), "-p", "pImuData=Enabled"});
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    for (const nlohmann::json &twin : jsonLines(decoded.out, "decoder.oImuInternalTimestamp")) {
        recorded.insert(twin["data"][0].get<uint32_t>());
    }
    ASSERT_EQ(recorded.size(), frames);
    const uint32_t first = *recorded.begin();
    const uint32_t last = *recorded.rbegin();
    uint64_t neverSent = 0;
    for (uint32_t ts = first; ts <= last; ts += 20000) {
        if (recorded.count(ts) == 0) {
            EXPECT_EQ(sent.count(ts), 0u) << "frame " << ts << " was sent but is not in the recording";
            ++neverSent;
        }
    }
    ASSERT_GT(neverSent, 5u);
    EXPECT_EQ(imu["gaps"], neverSent);
    EXPECT_EQ(imu["missingFrames"], neverSent);
    EXPECT_EQ(imu["largestGapFrames"], 1);
    EXPECT_EQ(imu["largestGapUs"], 40000);
    EXPECT_EQ(json["clockJumps"].size(), 0u);
}

TEST(TimingCommand, TextReportAndUnreadableFiles) {
    Scratch scratch;
    const ToolResult missing = runTool({"timing", scratch.file("none.zrec")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.zrec"), std::string::npos) << missing.err;
    {
        std::ofstream empty(scratch.file("empty.zrec"), std::ios::binary);
        empty.write("ZREC\x01\x00\x00\x00", 8);
    }
    const ToolResult text = runTool({"timing", scratch.file("empty.zrec")});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("0 records, 0 frames, 0 clock jumps"), std::string::npos) << text.out;
}

}  // namespace
}  // namespace zuv::test
