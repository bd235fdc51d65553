// The reader's subcommands of the zuv tool, run as a user runs them, against
// the simulator on a pseudo-terminal.
#include <glob.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "readerHarness.h"
#include "zuvScratch.h"

using ::testing::HasSubstr;

namespace zuv::test {
namespace {

struct ToolResult {
    int status = -1;
    std::string out, err;
};

ToolResult runTool(const Scratch &scratch, const std::vector<std::string> &arguments) {
    std::string command = "'" ZUV_TOOL "' --package '" ZUV_PACKAGE "'";
    for (const std::string &argument : arguments) command += " '" + argument + "'";
    command += " >" + scratch.file("tool.out") + " 2>" + scratch.file("tool.err") + " </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(scratch.file("tool.out")),
            readFile(scratch.file("tool.err"))};
}

TEST(ReaderCli, LiveRecordingDecodesToTheSameJsonLines) {
    Scratch scratch;
    auto sim = StartStreamingPtySim({});
    const ToolResult live = runTool(scratch, {"live",
                                              "--port",
                                              sim->ptyPath(),
                                              "-p",
                                              "reader.pImuData=25 Hz",
                                              "-p",
                                              "reader.pEkfNav=10 Hz",
                                              "-p",
                                              "reader.pGps1Pos=On New Data",
                                              "-p",
                                              "decoder.pImuData=Enabled",
                                              "-p",
                                              "decoder.pEkfNav=Enabled",
                                              "-p",
                                              "decoder.pGps1Pos=Enabled",
                                              "--record",
                                              scratch.file("run.zrec"),
                                              "--jsonl",
                                              scratch.file("live.jsonl"),
                                              "--duration",
                                              "2"});
    ASSERT_EQ(live.status, 0) << live.err;
    const ToolResult decode =
        runTool(scratch, {"decode", scratch.file("run.zrec"), "-p", "pImuData=Enabled", "-p", "pEkfNav=Enabled", "-p",
                          "pGps1Pos=Enabled", "--jsonl", scratch.file("decoded.jsonl")});
    ASSERT_EQ(decode.status, 0) << decode.err;
    const std::string lines = readFile(scratch.file("live.jsonl"));
    EXPECT_THAT(lines, HasSubstr("\"pin\":\"decoder.oImu\""));
    EXPECT_THAT(lines, HasSubstr("\"pin\":\"decoder.oEkfNav\""));
    EXPECT_EQ(lines, readFile(scratch.file("decoded.jsonl")));
}

TEST(ReaderCli, RecordStopsAfterTheCountAndKeepsEveryFrame) {
    Scratch scratch;
    auto sim = StartStreamingPtySim({});
    const ToolResult record = runTool(scratch, {"record", "--port", sim->ptyPath(), "-p", "pImuData=100 Hz", "--out",
                                                scratch.file("imu.zrec"), "--count", "50"});
    ASSERT_EQ(record.status, 0) << record.err;
    const std::string bytes = readFile(scratch.file("imu.zrec"));
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(0, 4), "ZREC");
    size_t records = 0;
    for (size_t at = 8; at + 12 <= bytes.size(); ++records) {
        const auto *p = reinterpret_cast<const uint8_t *>(bytes.data() + at + 8);
        const size_t size = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<size_t>(p[3]) << 24);
        EXPECT_EQ(size, 67u) << "an IMU frame: 58 bytes of payload and 9 of framing";
        at += 12 + size;
    }
    EXPECT_GE(records, 50u);
    EXPECT_THAT(record.err, HasSubstr("recorded"));
}

TEST(ReaderCli, DetectWithoutADeviceFailsWithTheWarning) {
    glob_t found{};
    const bool anyUsbSerial = glob("/dev/ttyUSB*", 0, nullptr, &found) == 0;
    globfree(&found);
    if (anyUsbSerial) {
        GTEST_SKIP() << "this machine has /dev/ttyUSB ports";
    }
    Scratch scratch;
    const ToolResult detect = runTool(scratch, {"detect"});
    EXPECT_EQ(detect.status, 1);
    EXPECT_THAT(detect.err, HasSubstr("warning reader: No device detected."));
    EXPECT_EQ(detect.out, "");
}

TEST(ReaderCli, DemoShowsValuesAndLeavesARecordingThatReplaysIdentically) {
    Scratch scratch;
    const ToolResult demo = runTool(scratch, {"demo", "--duration", "2", "--out", scratch.file("demo")});
    ASSERT_EQ(demo.status, 0) << demo.err;
    EXPECT_THAT(demo.out, HasSubstr("IMU"));
    EXPECT_THAT(demo.out, HasSubstr("attitude"));
    EXPECT_THAT(demo.out, HasSubstr("nav"));
    EXPECT_THAT(demo.out, HasSubstr("GNSS1"));
    EXPECT_THAT(demo.out, HasSubstr("identical to demo.jsonl"));
    EXPECT_THAT(demo.out, HasSubstr("zuv decode " + scratch.file("demo") + "/demo.zrec"));
    EXPECT_FALSE(readFile(scratch.file("demo/demo.zrec")).empty());
    EXPECT_FALSE(readFile(scratch.file("demo/demo.jsonl")).empty());
}

}  // namespace
}  // namespace zuv::test
