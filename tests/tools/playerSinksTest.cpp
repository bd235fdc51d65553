// The player, the JSON lines sink and the recorder on the host runtime, with the
// runtime's test package: TestEcho writes [first byte, host clock] with the
// time stamp of each sample it takes; TestCounter writes 0, 1, 2...
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "jsonLinesSink.h"
#include "maps_runtime.h"
#include "player.h"
#include "recorder.h"
#include "toolTestFiles.h"
#include "zrecReader.h"
#include "zrecWriter.h"

namespace zuv::test {

using namespace zuv;

namespace {

struct Rec {
    int64_t t;
    std::vector<uint8_t> bytes;
};

std::vector<Rec> makeRecords(int n) {
    std::vector<Rec> out;
    for (int i = 0; i < n; ++i) out.push_back({1000 + 37 * int64_t{i}, {static_cast<uint8_t>(i), 0xAA}});
    return out;
}

void writeRecording(const std::string &path, const std::vector<Rec> &records) {
    recording::ZrecWriter w;
    ASSERT_TRUE(w.open(path));
    for (const auto &r : records) w.append(r.t, r.bytes.data(), static_cast<uint32_t>(r.bytes.size()));
    ASSERT_TRUE(w.close());
}

// Source "player" feeding TestEcho "echo", whose outputs land in a queue.
class EchoDiagram {
public:
    explicit EchoDiagram(int slowEvery, int maxSize = 4096) {
        rt.SetReportCallback([](int, const std::string &, const std::string &) {});
        rt.LoadPackage(ZUV_TEST_PACKAGE);
        rt.SetClockMode(host::ClockMode::Driven);
        auto &echo = rt.CreateInstance("TestEcho", "echo");
        echo.SetProperty("pSlowEvery", host::PropertyValue::Integer(slowEvery));
        source = &rt.CreateSource("player", host::ElementType::Stream8, maxSize, 16);
        rt.Connect(*source, echo, "iIn");
        rt.AttachSink(echo, "oEcho", queue.Callback());
        rt.Start();
    }
    recording::PlayOutcome play(const std::string &path, recording::PlayOptions options) {
        recording::ZrecReader reader;
        EXPECT_TRUE(reader.open(path)) << reader.error();
        auto outcome = recording::playRecording(reader, *source, options);
        rt.Stop();  // right away: whatever was not drained is lost
        return outcome;
    }

    host::Runtime rt;
    host::Source *source = nullptr;
    host::SampleQueue queue;
};

TEST(Player, LockstepDeliversEverySampleWithTheClockAtItsTimeStamp) {
    TempPath file;
    auto records = makeRecords(300);
    writeRecording(file.path(), records);
    EchoDiagram d(7);
    auto outcome = d.play(file.path(), {});
    EXPECT_TRUE(outcome.complete()) << outcome.error;
    EXPECT_EQ(outcome.delivered, records.size());
    auto got = d.queue.Take();
    ASSERT_EQ(got.size(), records.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].timestamp, records[i].t);
        EXPECT_EQ(got[i].Integer64(0), records[i].bytes[0]);
        EXPECT_EQ(got[i].Integer64(1), records[i].t) << "clock at sample " << i;
    }
}

TEST(Player, PipelinedDrainsBeforeReturningAndClockNeverLags) {
    TempPath file;
    auto records = makeRecords(200);
    writeRecording(file.path(), records);
    EchoDiagram d(1);  // a slow consumer: samples queue up behind it
    recording::PlayOptions options;
    options.lockstep = false;
    auto outcome = d.play(file.path(), options);
    EXPECT_TRUE(outcome.complete()) << outcome.error;
    auto got = d.queue.Take();
    ASSERT_EQ(got.size(), records.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].timestamp, records[i].t);
        EXPECT_GE(got[i].Integer64(1), records[i].t);
    }
}

TEST(Player, TruncatedLastRecordAfterTheOthersAreDelivered) {
    TempPath file;
    auto records = makeRecords(5);
    writeRecording(file.path(), records);
    std::string bytes = file.text();
    bytes.resize(bytes.size() - 1);
    file.write(bytes);
    EchoDiagram d(0);
    auto outcome = d.play(file.path(), {});
    EXPECT_EQ(outcome.end, recording::ZrecStatus::Truncated);
    EXPECT_FALSE(outcome.complete());
    EXPECT_EQ(outcome.delivered, 4u);
    EXPECT_NE(outcome.error.find("byte offset " + std::to_string(8 + 4 * 14)), std::string::npos) << outcome.error;
    EXPECT_EQ(d.queue.Take().size(), 4u);
}

TEST(Player, OversizedRecordSkippedAndCounted) {
    TempPath file;
    writeRecording(file.path(), {{1, {1, 2}}, {2, {1, 2, 3, 4, 5}}, {3, {3}}});
    EchoDiagram d(0, 4);
    recording::PlayOptions options;
    options.maxRecordSize = 4;
    auto outcome = d.play(file.path(), options);
    EXPECT_EQ(outcome.delivered, 2u);
    EXPECT_EQ(outcome.oversized, 1u);
    EXPECT_FALSE(outcome.complete());
    EXPECT_NE(outcome.error.find("byte offset 22 holds 5 bytes"), std::string::npos) << outcome.error;
    auto got = d.queue.Take();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].timestamp, 3);
}

TEST(Player, RealtimePacesByRecordedDifferencesAndStops) {
    TempPath file;
    writeRecording(file.path(), {{5000000, {1}}, {5100000, {2}}, {5250000, {3}}});
    {
        EchoDiagram d(0);
        recording::PlayOptions options;
        options.realtime = true;
        auto start = std::chrono::steady_clock::now();
        auto outcome = d.play(file.path(), options);
        auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(outcome.complete());
        EXPECT_GE(elapsed, std::chrono::milliseconds(240));
    }
    EchoDiagram d(0);
    recording::PlayOptions options;
    options.realtime = true;
    int polls = 0;
    options.shouldStop = [&polls] { return ++polls > 3; };
    auto outcome = d.play(file.path(), options);
    EXPECT_TRUE(outcome.interrupted);
    EXPECT_LT(outcome.delivered, 3u);
}

TEST(JsonLinesSink, WritesEveryPublishedSampleInOrder) {
    CapturedStream out;
    {
        host::Runtime rt;
        rt.LoadPackage(ZUV_TEST_PACKAGE);
        auto &counter = rt.CreateInstance("TestCounter", "counter");
        counter.SetProperty("pTotal", host::PropertyValue::Integer(300));
        sinks::JsonLinesSink sink(out.file());
        sink.attachAll(rt, counter);
        rt.Start();
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (sink.lines() < 300 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        rt.Stop();
        EXPECT_TRUE(sink.close());
        EXPECT_EQ(sink.lines(), 300u);
    }
    std::string expected;
    for (int i = 0; i < 300; ++i) {
        expected += "{\"t\":" + std::to_string(i) + ",\"pin\":\"counter.oCount\",\"type\":\"Integer64\",\"data\":[" +
                    std::to_string(i) + "]}\n";
    }
    EXPECT_EQ(out.text(), expected);
}

host::SampleView view(const std::string &instance, const std::string &output, host::ElementType type, int64_t t,
                      const void *data, int count) {
    return host::SampleView{&instance, &output, t,    type,
                            count,     0,       data, static_cast<size_t>(count) * host::ElementSize(type)};
}

TEST(JsonLinesSink, WriteFailureIsKept) {
    std::FILE *full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full";
    sinks::JsonLinesSink sink(full);
    sink.setFlushEachLine(true);
    std::vector<std::string> failures;
    sink.setFailureHandler([&failures](const std::string &e) { failures.push_back(e); });
    auto cb = sink.callbackFor("decoder", "oImu");
    const double v = 1.0;
    const std::string inst = "decoder", out = "oImu";
    cb(view(inst, out, host::ElementType::Float64, 1, &v, 1));
    EXPECT_FALSE(sink.ok());
    EXPECT_NE(sink.error().find("cannot write"), std::string::npos) << sink.error();
    cb(view(inst, out, host::ElementType::Float64, 2, &v, 1));
    EXPECT_FALSE(sink.flush());
    EXPECT_EQ(sink.lines(), 1u);
    ASSERT_EQ(failures.size(), 1u) << "the handler runs once";
    EXPECT_EQ(failures[0], sink.error());
    std::fclose(full);
}

TEST(JsonLinesSink, LineNamesTheTypeTheSampleCarries) {
    CapturedStream out;
    sinks::JsonLinesSink sink(out.file());
    auto cb = sink.callbackFor("reader", "oAuxData");
    const std::string inst = "reader", output = "oAuxData";
    cb(view(inst, output, host::ElementType::TextAscii, 9, "$GP\"x", 5));
    const float f = 0.1f;
    cb(view(inst, output, host::ElementType::Float32, 10, &f, 1));
    ASSERT_TRUE(sink.flush());
    EXPECT_EQ(out.text(),
              "{\"t\":9,\"pin\":\"reader.oAuxData\",\"type\":\"TextAscii\",\"data\":\"$GP\\\"x\"}\n"
              "{\"t\":10,\"pin\":\"reader.oAuxData\",\"type\":\"Float32\",\"data\":[0.10000000149011612]}\n");
}

TEST(Recorder, Stream8SamplesBecomeRecordsOthersAreSkipped) {
    TempPath file;
    recording::Recorder recorder;
    ASSERT_TRUE(recorder.open(file.path()));
    auto cb = recorder.callback();
    const std::string inst = "reader", out = "oData";
    const uint8_t frame[] = {0xFF, 0x5A, 3, 0, 0, 0, 1, 2, 0x33};
    const int64_t number = 5;
    cb(view(inst, out, host::ElementType::Stream8, 100, frame, 9));
    cb(view(inst, out, host::ElementType::Integer64, 101, &number, 1));
    cb(view(inst, out, host::ElementType::Stream8, 102, frame, 0));
    ASSERT_TRUE(recorder.close()) << recorder.error();
    EXPECT_EQ(recorder.records(), 2u);
    EXPECT_EQ(recorder.skipped(), 1u);

    recording::ZrecReader reader;
    ASSERT_TRUE(reader.open(file.path()));
    recording::ZrecRecord r;
    ASSERT_EQ(reader.next(r), recording::ZrecStatus::Record);
    EXPECT_EQ(r.timestampUs, 100);
    EXPECT_EQ(std::vector<uint8_t>(r.bytes, r.bytes + r.size), std::vector<uint8_t>(frame, frame + 9));
    ASSERT_EQ(reader.next(r), recording::ZrecStatus::Record);
    EXPECT_EQ(r.timestampUs, 102);
    EXPECT_EQ(r.size, 0u);
    EXPECT_EQ(reader.next(r), recording::ZrecStatus::End);
}

// A slow output is still flushed every so often, so that a failing one shows
// within that time and not when a buffer fills; only lines that left count
// as written.
TEST(JsonLinesSink, AFailureShowsWithinTheFlushIntervalAndNothingCountsAsWritten) {
    std::FILE *full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full";
    sinks::JsonLinesSink sink(full);
    int failures = 0;
    sink.setFailureHandler([&failures](const std::string &) { ++failures; });
    auto cb = sink.callbackFor("decoder", "oImu");
    const double v = 1.0;
    const std::string inst = "decoder", out = "oImu";
    cb(view(inst, out, host::ElementType::Float64, 1, &v, 1));
    EXPECT_TRUE(sink.ok()) << "a single line stays in the buffer";
    std::this_thread::sleep_for(sinks::JsonLinesSink::kFlushEvery + std::chrono::milliseconds(50));
    cb(view(inst, out, host::ElementType::Float64, 2, &v, 1));
    EXPECT_FALSE(sink.ok());
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(sink.errorNumber(), ENOSPC);
    EXPECT_EQ(sink.writtenLines(), 0u);
    std::fclose(full);
}

TEST(JsonLinesSink, WrittenLinesCountWhatReachedTheStream) {
    CapturedStream captured;
    sinks::JsonLinesSink sink(captured.file());
    auto cb = sink.callbackFor("decoder", "oImu");
    const double v = 1.0;
    const std::string inst = "decoder", out = "oImu";
    for (int i = 0; i < 3; ++i) cb(view(inst, out, host::ElementType::Float64, i, &v, 1));
    EXPECT_EQ(sink.lines(), 3u);
    ASSERT_TRUE(sink.flush());
    EXPECT_EQ(sink.writtenLines(), 3u);
    EXPECT_EQ(sink.errorNumber(), 0);
}

TEST(Recorder, AFailingDiskIsReportedOnceWithinTheFlushInterval) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    recording::Recorder recorder;
    ASSERT_TRUE(recorder.open("/dev/full"));
    std::vector<std::string> failures;
    recorder.setFailureHandler([&failures](const std::string &e) { failures.push_back(e); });
    auto cb = recorder.callback();
    const std::string inst = "reader", out = "oData";
    const uint8_t frame[] = {0xFF, 0x5A, 3, 0, 0, 0, 1, 2, 0x33};
    const auto deadline = std::chrono::steady_clock::now() + recording::Recorder::kFlushEvery * 5;
    while (failures.empty() && std::chrono::steady_clock::now() < deadline) {
        cb(view(inst, out, host::ElementType::Stream8, 100, frame, 9));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (int i = 0; i < 5; ++i) cb(view(inst, out, host::ElementType::Stream8, 100, frame, 9));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], "/dev/full: cannot write: No space left on device");
    EXPECT_FALSE(recorder.close());
    EXPECT_EQ(recorder.errorNumber(), ENOSPC);
    EXPECT_EQ(recorder.records(), 0u) << "nothing reached the file";
    EXPECT_EQ(recorder.bytes(), 0u);
}

// Whatever the source does, the player returns an outcome.
class ThrowingSource final : public host::Source {
public:
    const std::string &Name() const override { return name_; }
    bool Push(int64_t, const void *, int) override { throw std::runtime_error("no room"); }
    bool Drain(std::chrono::milliseconds) override { return true; }

private:
    std::string name_ = "player";
};

TEST(Player, NothingThrowsOutOfIt) {
    TempPath file;
    writeRecording(file.path(), makeRecords(3));
    recording::ZrecReader reader;
    ASSERT_TRUE(reader.open(file.path()));
    ThrowingSource source;
    recording::PlayOutcome outcome;
    EXPECT_NO_THROW(outcome = recording::playRecording(reader, source, {}));
    EXPECT_TRUE(outcome.interrupted);
    EXPECT_FALSE(outcome.complete());
    EXPECT_EQ(outcome.error, "replay failed: no room");
}

// The reader's own limit: the record is never read, yet counted and reported.
TEST(Player, RecordsAboveTheReadersLimitAreSkippedWithoutBeingRead) {
    TempPath file;
    writeRecording(file.path(), {{1, {1, 2}}, {2, std::vector<uint8_t>(70000, 5)}, {3, {3}}});
    EchoDiagram d(0);
    auto outcome = d.play(file.path(), {});
    EXPECT_EQ(outcome.delivered, 2u);
    EXPECT_EQ(outcome.oversized, 1u);
    EXPECT_NE(outcome.error.find("record at byte offset 22 holds 70000 bytes, more than 65536; skipped"),
              std::string::npos)
        << outcome.error;
}

}  // namespace

namespace {

std::string readAll(const std::string &path) {
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return {};
    std::string out;
    char buf[65536];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
    return out;
}

// Feeds the same mixed samples to a sink: several batches' worth, all types,
// and one sample larger than a whole batch.
// `between(i)` runs before the samples of step i.
void feedMixed(sinks::JsonLinesSink &sink, const std::function<void(int)> &between = {}) {
    auto imu = sink.callbackFor("decoder", "oImu");
    auto aux = sink.callbackFor("reader", "oAuxData");
    const std::string decoder = "decoder", oImu = "oImu", reader = "reader", oAux = "oAuxData";
    std::vector<uint8_t> big(300000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
    for (int i = 0; i < 6000; ++i) {
        if (between) between(i);
        const double d[3] = {0.1 * i, -1e22, 1.0 / (i + 1)};
        const float f = 0.1f * static_cast<float>(i);
        const int32_t n32 = -i;
        const int64_t n64 = int64_t{1} << (i % 63);
        imu(view(decoder, oImu, host::ElementType::Float64, i, d, 3));
        aux(view(reader, oAux, host::ElementType::TextAscii, i, "$GP\"\n\x01\xe9", 7));
        aux(view(reader, oAux, host::ElementType::Float32, i, &f, 1));
        aux(view(reader, oAux, host::ElementType::Integer32, i, &n32, 1));
        imu(view(decoder, oImu, host::ElementType::Integer64, i, &n64, 1));
        if (i == 3000) aux(view(reader, oAux, host::ElementType::Stream8, i, big.data(), static_cast<int>(big.size())));
    }
}

// What the sink writes without its writer thread: the reference for the threaded paths.
void writeDirect(const std::string &path) {
    sinks::JsonLinesSink sink(stdout);
    ASSERT_TRUE(sink.openFile(path));
    feedMixed(sink);
    ASSERT_TRUE(sink.close());
}

}  // namespace

TEST(JsonLinesSink, WriterThreadWritesTheLinesOfTheDirectPath) {
    TempPath direct, threaded;
    writeDirect(direct.path());
    {
        sinks::JsonLinesSink sink(stdout);
        ASSERT_TRUE(sink.openFile(threaded.path()));
        ASSERT_TRUE(sink.startWriterThread());
        EXPECT_FALSE(sink.startWriterThread()) << "one writer thread";
        feedMixed(sink);
        ASSERT_TRUE(sink.flush());
        EXPECT_EQ(sink.lines(), 30001u);
        EXPECT_EQ(sink.writtenLines(), 30001u);
        ASSERT_TRUE(sink.close());
    }
    const std::string expected = readAll(direct.path());
    ASSERT_GT(expected.size(), 1000000u);
    EXPECT_TRUE(readAll(threaded.path()) == expected);
}

// Batches handed over while another thread flushes, or taken by the timed
// flush from a producer that pauses (the writer takes it) or trickles (taken
// well before it fills): the bytes stay those of the direct path.
enum class Interference { FlushingThread, PausingProducer, TricklingProducer };
class WriterThreadHandOver : public ::testing::TestWithParam<Interference> {};

TEST_P(WriterThreadHandOver, KeepsTheLinesOfTheDirectPath) {
    TempPath direct, threaded;
    writeDirect(direct.path());
    sinks::JsonLinesSink sink(stdout);
    ASSERT_TRUE(sink.openFile(threaded.path()));
    ASSERT_TRUE(sink.startWriterThread());
    std::atomic<bool> fed{false};
    std::thread flusher([&] {
        while (GetParam() == Interference::FlushingThread && !fed) EXPECT_TRUE(sink.flush());
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int leftAt = -1;
    uint64_t before = 0;
    feedMixed(sink, [&](int i) {
        if (GetParam() == Interference::PausingProducer && i == 2000) {
            while (sink.writtenLines() < 5 * 2000 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            EXPECT_EQ(sink.writtenLines(), 5u * 2000) << "five lines a step, all out while the producer waits";
        }
        // From an empty batch about 1210 steps (216 bytes each) fill one.
        if (GetParam() == Interference::TricklingProducer && i >= 1000 && leftAt < 0) {
            if (i == 1000) {
                EXPECT_TRUE(sink.flush());
                before = sink.writtenLines();
            }
            if (sink.writtenLines() > before) leftAt = i;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    fed = true;
    flusher.join();
    ASSERT_TRUE(sink.close());
    EXPECT_EQ(sink.writtenLines(), 30001u);
    if (GetParam() == Interference::TricklingProducer) {
        EXPECT_TRUE(leftAt > 1000 && leftAt < 2150) << "lines left at step " << leftAt;
    }
    EXPECT_TRUE(readAll(threaded.path()) == readAll(direct.path()));
}

INSTANTIATE_TEST_SUITE_P(JsonLinesSink, WriterThreadHandOver,
                         ::testing::Values(Interference::FlushingThread, Interference::PausingProducer,
                                           Interference::TricklingProducer));

// Callbacks on several threads at once: each thread's lines whole and in its order.
TEST(JsonLinesSink, WriterThreadTakesSamplesFromSeveralThreads) {
    TempPath file;
    constexpr int kThreads = 3;
    constexpr int64_t kEach = 40000;
    sinks::JsonLinesSink sink(stdout);
    ASSERT_TRUE(sink.openFile(file.path()));
    ASSERT_TRUE(sink.startWriterThread());
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t) {
        producers.emplace_back([&sink, t] {
            const std::string inst = "p" + std::to_string(t), out = "o";
            auto cb = sink.callbackFor(inst, out);
            for (int64_t i = 0; i < kEach; ++i) cb(view(inst, out, host::ElementType::Integer64, i, &i, 1));
        });
    }
    for (auto &p : producers) p.join();
    ASSERT_TRUE(sink.close());
    std::vector<int64_t> next(kThreads, 0);
    const std::string text = readAll(file.path());
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        const size_t t = static_cast<size_t>(text[text.find("\"pin\":\"p", at) + 8] - '0') % kThreads;
        const std::string n = std::to_string(next[t]++);
        ASSERT_EQ(text.substr(at, end - at), "{\"t\":" + n + ",\"pin\":\"p" + std::to_string(t) +
                                                 ".o\",\"type\":\"Integer64\",\"data\":[" + n + "]}");
    }
    for (int64_t n : next) EXPECT_EQ(n, kEach);
}

TEST(JsonLinesSink, WriterThreadLinesLeaveWithinTheFlushIntervalUnasked) {
    TempPath file;
    sinks::JsonLinesSink sink(stdout);
    ASSERT_TRUE(sink.openFile(file.path()));
    ASSERT_TRUE(sink.startWriterThread());
    auto cb = sink.callbackFor("decoder", "oImu");
    const double v = 2.5;
    const std::string inst = "decoder", out = "oImu";
    cb(view(inst, out, host::ElementType::Float64, 7, &v, 1));
    const std::string line = "{\"t\":7,\"pin\":\"decoder.oImu\",\"type\":\"Float64\",\"data\":[2.5]}\n";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (readAll(file.path()) != line && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(readAll(file.path()), line);
    EXPECT_EQ(sink.writtenLines(), 1u);
    EXPECT_TRUE(sink.close());
}

TEST(JsonLinesSink, WriterThreadFailureIsKeptAndReportedOnce) {
    std::FILE *full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full";
    std::vector<std::string> failures;
    std::mutex failuresMutex;
    {
        sinks::JsonLinesSink sink(full);
        sink.setFailureHandler([&](const std::string &e) {
            std::lock_guard<std::mutex> lock(failuresMutex);
            failures.push_back(e);
        });
        ASSERT_TRUE(sink.startWriterThread());
        auto cb = sink.callbackFor("decoder", "oImu");
        const double v = 1.0;
        const std::string inst = "decoder", out = "oImu";
        // Enough to fill every batch: the callbacks must not hang on a writer that failed.
        for (int i = 0; i < 200000; ++i) cb(view(inst, out, host::ElementType::Float64, i, &v, 1));
        EXPECT_FALSE(sink.flush());
        EXPECT_FALSE(sink.ok());
        EXPECT_NE(sink.error().find("cannot write"), std::string::npos) << sink.error();
        EXPECT_EQ(sink.errorNumber(), ENOSPC);
        EXPECT_EQ(sink.writtenLines(), 0u);
        EXPECT_LT(sink.lines(), 200000u) << "lines after the failure are dropped";
        EXPECT_FALSE(sink.close());
        std::lock_guard<std::mutex> lock(failuresMutex);
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0], sink.error());
    }
    std::fclose(full);
}

TEST(JsonLinesSink, WriterThreadIsRefusedWhenEachLineIsFlushed) {
    CapturedStream out;
    sinks::JsonLinesSink sink(out.file());
    sink.setFlushEachLine(true);
    EXPECT_FALSE(sink.startWriterThread());
    auto cb = sink.callbackFor("decoder", "oImu");
    const double v = 1.0;
    const std::string inst = "decoder", o = "oImu";
    cb(view(inst, o, host::ElementType::Float64, 1, &v, 1));
    EXPECT_EQ(sink.writtenLines(), 1u) << "still written at once";
}

}  // namespace zuv::test
