// `zuv decode` lets the player run ahead of the decoder and formats its JSON
// lines in batches on a writer thread. Its lines must be those of the plain
// way: each sample pushed and drained on its own into a decoder whose sink
// formats every line on the decoder's thread as it is published. A big
// recording of every log kind (the golden one, repeated with its time stamps
// moved on) goes both ways and must give the same bytes; and the writer
// thread's path allocates nothing per sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "jsonLinesSink.h"
#include "maps_runtime.h"
#include "player.h"
#include "toolRun.h"
#include "zrecReader.h"
#include "zrecWriter.h"
#include "zuvAllocationCounter.h"

namespace zuv::test {
namespace {

// The golden recording `times` over, each copy 10 ms after the last one's end.
void writeRepeated(const std::string &path, int times) {
    struct Rec {
        int64_t t;
        std::vector<uint8_t> bytes;
    };
    std::vector<Rec> records;
    recording::ZrecReader reader;
    ASSERT_TRUE(reader.open(ZUV_GOLDEN_DIR "/every_kind.zrec")) << reader.error();
    recording::ZrecRecord record;
    while (reader.next(record) == recording::ZrecStatus::Record)
        records.push_back({record.timestampUs, std::vector<uint8_t>(record.bytes, record.bytes + record.size)});
    ASSERT_GT(records.size(), 100u);
    const int64_t period = records.back().t - records.front().t + 10000;
    recording::ZrecWriter writer;
    ASSERT_TRUE(writer.open(path));
    for (int i = 0; i < times; ++i)
        for (const Rec &r : records)
            ASSERT_TRUE(writer.append(r.t + i * period, r.bytes.data(), static_cast<uint32_t>(r.bytes.size())));
    ASSERT_TRUE(writer.close());
}

// The plain way, in this process: lockstep replay, lines formatted on the
// decoder's thread.
std::string decodeOneByOne(const std::string &recordingPath, const std::string &jsonlPath,
                           const std::vector<std::string> &properties) {
    {
        host::Runtime rt;
        rt.SetReportCallback([](int, const std::string &, const std::string &) {});
        rt.LoadPackage(ZUV_PACKAGE);
        rt.SetClockMode(host::ClockMode::Driven);
        host::Instance &decoder = rt.CreateInstance("ZUV_FrameDecoder", "decoder");
        for (const std::string &assignment : properties) {
            const size_t eq = assignment.find('=');
            decoder.SetPropertyFromText(assignment.substr(0, eq), assignment.substr(eq + 1));
        }
        sinks::JsonLinesSink sink(stdout);
        EXPECT_TRUE(sink.openFile(jsonlPath)) << sink.error();
        sink.attachAll(rt, decoder);
        host::Source &source = rt.CreateSource("player", host::ElementType::Stream8, 65536, 16);
        rt.Connect(source, decoder, "iData");
        rt.Start();
        recording::ZrecReader reader;
        EXPECT_TRUE(reader.open(recordingPath)) << reader.error();
        recording::PlayOptions play;
        play.lockstep = true;
        const recording::PlayOutcome outcome = recording::playRecording(reader, source, play);
        rt.Stop();
        EXPECT_TRUE(outcome.complete()) << outcome.error;
        EXPECT_TRUE(sink.close()) << sink.error();
    }
    return readFile(jsonlPath);
}

struct BigCase {
    const char *name;
    std::vector<std::string> properties;  // after every kind is enabled
};

void PrintTo(const BigCase &c, std::ostream *os) {
    *os << c.name;
}

class BatchedDecode : public ::testing::TestWithParam<BigCase> {};

TEST_P(BatchedDecode, GivesTheLinesOfTheOneByOneReplayByteForByte) {
    Scratch dir;
    writeRepeated(dir.file("big.zrec"), 40);
    std::vector<std::string> properties;
    for (const std::string &kind : kEveryKind) properties.push_back(kind + "=Enabled");
    for (const std::string &property : GetParam().properties) properties.push_back(property);

    const std::string expected = decodeOneByOne(dir.file("big.zrec"), dir.file("plain.jsonl"), properties);
    ASSERT_GT(expected.size(), 1000000u);

    std::vector<std::string> arguments = {"decode", dir.file("big.zrec"), "--jsonl", dir.file("batched.jsonl")};
    for (const std::string &property : properties) {
        arguments.push_back("-p");
        arguments.push_back(property);
    }
    const ToolResult result = runTool(arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string lines = readFile(dir.file("batched.jsonl"));
    EXPECT_EQ(lines.size(), expected.size());
    EXPECT_TRUE(lines == expected)
        << "first difference at byte "
        << std::mismatch(lines.begin(), lines.end(), expected.begin(), expected.end()).first - lines.begin();
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, BatchedDecode,
    ::testing::Values(BigCase{"twins", {}}, BigCase{"framerates", {"pAddOriginalFramerate=true"}},
                      BigCase{"down_sampled", {"pAddOriginalFramerate=true", "pDownSampling=true", "pNewFramerate=5"}}),
    [](const ::testing::TestParamInfo<BigCase> &param) { return param.param.name; });

TEST(BatchedSink, HandingSamplesToTheWriterThreadAllocatesNothing) {
#ifdef ZUV_SANITIZED_HEAP
    GTEST_SKIP() << "sanitizers replace the allocation functions";
#endif
    Scratch dir;
    sinks::JsonLinesSink sink(stdout);
    ASSERT_TRUE(sink.openFile(dir.file("out.jsonl")));
    ASSERT_TRUE(sink.startWriterThread());
    host::SampleCallback imu = sink.callbackFor("decoder", "oImu");
    host::SampleCallback twin = sink.callbackFor("decoder", "oImuInternalTimestamp");
    const std::string instance = "decoder", imuName = "oImu", twinName = "oImuInternalTimestamp";
    const double values[14] = {0.1, -2.5, 9.75, 0.25, -0.125, 3, 1.5, -1.5, 0, 0.5, 0.75, -0.75, 36.5, 65535};
    const int64_t stamp = 4294967295;
    auto publish = [&](int64_t t) {
        imu(host::SampleView{&instance, &imuName, t, host::ElementType::Float64, 14, 0, values, sizeof values});
        twin(host::SampleView{&instance, &twinName, t, host::ElementType::Integer64, 1, 0, &stamp, sizeof stamp});
    };
    // Every batch and the writer's line buffer in use once before counting.
    int64_t t = 0;
    for (int i = 0; i < 20000; ++i) publish(t += 5000);
    ASSERT_TRUE(sink.flush());
    long allocations = 0;
    {
        AllocationWindow window;
        for (int i = 0; i < 100000; ++i) publish(t += 5000);
        ASSERT_TRUE(sink.flush());
        allocations = window.count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_TRUE(sink.close());
    EXPECT_EQ(sink.lines(), 240000u);
    EXPECT_EQ(sink.writtenLines(), 240000u);
}

}  // namespace
}  // namespace zuv::test
