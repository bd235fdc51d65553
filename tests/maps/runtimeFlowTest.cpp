// Samples through FIFOs: order, back-pressure, stops, sources and the driven clock.
#include <atomic>
#include <cstdint>
#include <cstring>

#include "runtimeFixture.h"

namespace zuv::test {

using namespace std::chrono_literals;
using zuv::host::ElementType;
using zuv::host::SampleView;

namespace {

// Checks a stream of echoed counter values without storing it.
struct OrderCheck {
    std::atomic<int64_t> count{0};
    std::atomic<int64_t> firstBad{-1};
    void operator()(const SampleView &view) {
        int64_t expected = count.load();
        int64_t value;
        std::memcpy(&value, view.data, sizeof value);
        if ((value != expected || view.timestamp != expected || view.vectorSize != 2) && firstBad.load() < 0)
            firstBad.store(expected);
        count.store(expected + 1);
    }
};

bool WaitUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

}  // namespace

TEST_F(RuntimeTest, AMillionSamplesThroughDepth16ArriveCompleteAndInOrder) {
    constexpr int64_t kTotal = 1000000;
    auto &counter = runtime.CreateInstance("TestCounter", "counter");
    auto &echo = runtime.CreateInstance("TestEcho", "echo");
    counter.SetProperty("pTotal", zuv::host::PropertyValue::Integer(kTotal));
    echo.SetPropertyFromText("pSlowEvery", "50000");  // a reader that lags now and then
    ASSERT_EQ(counter.Outputs()[0].fifo, 16);
    runtime.Connect(counter, "oCount", echo, "iIn");
    auto check = std::make_shared<OrderCheck>();
    runtime.AttachSink(echo, "oEcho", [check](const SampleView &v) { (*check)(v); });
    runtime.Start();
    EXPECT_TRUE(WaitUntil([&] { return check->count.load() >= kTotal; }, 300s));
    runtime.Stop();
    EXPECT_EQ(check->count.load(), kTotal);
    EXPECT_EQ(check->firstBad.load(), -1);
}

TEST_F(RuntimeTest, AFullFifoHoldsTheWriterUntilTheStop) {
    auto &counter = runtime.CreateInstance("TestCounter", "counter");
    auto &idle = runtime.CreateInstance("TestDynamic", "idle");  // never reads
    idle.SetPropertyFromText("pExtra", "true");
    runtime.Connect(counter, "oCount", idle, "iExtra");
    zuv::host::SampleQueue published;
    runtime.AttachSink(counter, "oCount", published.Callback());
    runtime.Start();
    ASSERT_TRUE(published.WaitForCount(16, 20s));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(published.Size(), 16u);  // the writer waits; nothing is dropped or overwritten
    auto started = std::chrono::steady_clock::now();
    runtime.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    EXPECT_EQ(counter.LastEnd(), zuv::host::EndState::Stopped);
    auto samples = published.Take();
    for (int i = 0; i < 16; ++i) EXPECT_EQ(samples[static_cast<size_t>(i)].Integer64(0), i);
}

TEST_F(RuntimeTest, StartReadingEndsAtStopWithoutASample) {
    auto &lonely = runtime.CreateInstance("TestEcho", "lonely");  // input not connected
    auto &waiting = runtime.CreateInstance("TestEcho", "waiting");
    auto &source = runtime.CreateSource("player", ElementType::Stream8, 8, 4);
    runtime.Connect(source, waiting, "iIn");
    zuv::host::SampleQueue echoed;
    runtime.AttachSink(lonely, "oEcho", echoed.Callback());
    runtime.AttachSink(waiting, "oEcho", echoed.Callback());
    runtime.Start();
    std::this_thread::sleep_for(30ms);
    runtime.Stop();
    EXPECT_EQ(echoed.Size(), 0u);
    EXPECT_EQ(TextsOf("lonely"), (std::vector<std::string>{"Death"}));
    EXPECT_EQ(TextsOf("waiting"), (std::vector<std::string>{"Death"}));
    uint8_t byte = 1;
    EXPECT_FALSE(source.Push(1, &byte, 1));  // nothing is delivered after the stop
}

TEST_F(RuntimeTest, DrivenClockFollowsThePushedTimeStamps) {
    runtime.SetClockMode(zuv::host::ClockMode::Driven);
    auto &echo = runtime.CreateInstance("TestEcho", "echo");
    auto &source = runtime.CreateSource("player", ElementType::Stream8, 8, 4);
    runtime.Connect(source, echo, "iIn");
    zuv::host::SampleQueue echoed;
    runtime.AttachSink(echo, "oEcho", echoed.Callback());
    runtime.Start();
    EXPECT_EQ(runtime.Now(), 0);
    const int64_t stamps[] = {1000, 2000, 2000, 7500, 123456789};
    uint8_t value = 0;
    for (int64_t stamp : stamps) {
        ++value;
        ASSERT_TRUE(source.Push(stamp, &value, 1));
        ASSERT_TRUE(source.Drain(20s));
        EXPECT_EQ(runtime.Now(), stamp);
    }
    runtime.Stop();
    auto samples = echoed.Take();
    ASSERT_EQ(samples.size(), 5u);
    for (size_t i = 0; i < samples.size(); ++i) {
        EXPECT_EQ(samples[i].pin, "echo.oEcho");
        EXPECT_EQ(samples[i].timestamp, stamps[i]);
        EXPECT_EQ(samples[i].Integer64(0), static_cast<int64_t>(i + 1));
        EXPECT_EQ(samples[i].Integer64(1), stamps[i]);  // the component read the clock at the sample's time
    }
    EXPECT_EQ(runtime.Now(), 123456789);
}

TEST_F(RuntimeTest, DrainBeforeStopLosesNothing) {
    auto &echo = runtime.CreateInstance("TestEcho", "echo");
    echo.SetPropertyFromText("pSlowEvery", "7");
    auto &source = runtime.CreateSource("player", ElementType::Stream8, 8, 2);
    runtime.Connect(source, echo, "iIn");
    zuv::host::SampleQueue echoed;
    runtime.AttachSink(echo, "oEcho", echoed.Callback());
    runtime.Start();
    for (int i = 0; i < 200; ++i) {
        uint8_t byte = static_cast<uint8_t>(i);
        ASSERT_TRUE(source.Push(i, &byte, 1));
    }
    uint8_t big[9] = {};
    EXPECT_FALSE(source.Push(0, big, 9));  // larger than the source's maximum
    ASSERT_TRUE(source.Drain(60s));
    runtime.Stop();
    auto samples = echoed.Take();
    ASSERT_EQ(samples.size(), 200u);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(samples[static_cast<size_t>(i)].Integer64(0), i % 256);
}

// A stop ends producers first; their consumers take what was published
// before they stop, so a recording of the producer and the consumer's output
// cover the same samples.
TEST_F(RuntimeTest, AStopLetsConsumersTakeWhatTheirProducersPublished) {
    auto &counter = runtime.CreateInstance("TestCounter", "counter");
    auto &echo = runtime.CreateInstance("TestEcho", "echo");
    auto &echoAgain = runtime.CreateInstance("TestEcho", "echoAgain");
    counter.SetProperty("pTotal", zuv::host::PropertyValue::Integer(1000000));
    echo.SetPropertyFromText("pSlowEvery", "1");  // behind by a full FIFO at the stop
    runtime.Connect(counter, "oCount", echo, "iIn");
    runtime.Connect(echo, "oEcho", echoAgain, "iIn");
    zuv::host::SampleQueue published, echoed, echoedAgain;
    runtime.AttachSink(counter, "oCount", published.Callback());
    runtime.AttachSink(echo, "oEcho", echoed.Callback());
    runtime.AttachSink(echoAgain, "oEcho", echoedAgain.Callback());
    runtime.Start();
    ASSERT_TRUE(echoed.WaitForCount(40, 20s));
    const size_t echoedBeforeStop = echoed.Size();
    const auto started = std::chrono::steady_clock::now();
    runtime.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    const size_t count = published.Size();
    EXPECT_GT(count, echoedBeforeStop + 4) << "nothing to drain: the test lost its point";
    EXPECT_EQ(echoed.Size(), count);
    EXPECT_EQ(echoedAgain.Size(), count) << "the second consumer drains after the first";
    EXPECT_EQ(TextsOf("echoAgain"), (std::vector<std::string>{"Death"}));
}

TEST_F(RuntimeTest, ARunCanStartAgain) {
    auto &counter = runtime.CreateInstance("TestCounter", "counter");
    counter.SetPropertyFromText("pTotal", "100");
    zuv::host::SampleQueue published;
    runtime.AttachSink(counter, "oCount", published.Callback());
    for (int run = 0; run < 2; ++run) {
        runtime.Start();
        ASSERT_TRUE(published.WaitForCount(100, 20s));
        runtime.Stop();
        auto samples = published.Take();
        ASSERT_EQ(samples.size(), 100u);
        EXPECT_EQ(samples.front().Integer64(0), 0);
        EXPECT_EQ(samples.back().Integer64(0), 99);
    }
}

TEST_F(RuntimeTest, StopFromAnotherThreadReleasesTheControlThread) {
    auto &idle = runtime.CreateInstance("TestDynamic", "idle");  // never reads
    idle.SetPropertyFromText("pExtra", "true");
    auto &source = runtime.CreateSource("player", ElementType::Stream8, 8, 2);
    runtime.Connect(source, idle, "iExtra");
    runtime.Start();
    uint8_t byte = 0;
    ASSERT_TRUE(source.Push(0, &byte, 1));
    ASSERT_TRUE(source.Push(1, &byte, 1));
    std::thread stopper([&] {
        std::this_thread::sleep_for(50ms);
        runtime.Stop();
    });
    EXPECT_FALSE(source.Push(2, &byte, 1));  // was waiting on the full FIFO
    EXPECT_EQ(runtime.WaitForEnded(60s), nullptr);
    stopper.join();
    EXPECT_FALSE(runtime.Running());
}

// A source fed in bulk or sample by sample, through FIFOs of several depths,
// to a reader that keeps up or lags: every sample arrives once, in order.
struct SourceFlow {
    bool bulk;
    int depth;
    int slowEvery;
};

void PrintTo(const SourceFlow &flow, std::ostream *os) {
    *os << (flow.bulk ? "bulk" : "one by one") << ", depth " << flow.depth << ", slow every " << flow.slowEvery;
}

class SourceFlowTest : public RuntimeTest, public ::testing::WithParamInterface<SourceFlow> {};

TEST_P(SourceFlowTest, EverySampleArrivesOnceAndInOrder) {
    constexpr int kTotal = 20000;
    auto &echo = runtime.CreateInstance("TestEcho", "echo");
    echo.SetProperty("pSlowEvery", zuv::host::PropertyValue::Integer(GetParam().slowEvery));
    auto &source = runtime.CreateSource("player", ElementType::Stream8, 8, GetParam().depth);
    source.SetBulk(GetParam().bulk);
    runtime.Connect(source, echo, "iIn");
    zuv::host::SampleQueue echoed;
    runtime.AttachSink(echo, "oEcho", echoed.Callback());
    runtime.Start();
    for (int i = 0; i < kTotal; ++i) {
        uint8_t byte = static_cast<uint8_t>(i);
        ASSERT_TRUE(source.Push(i, &byte, 1));
    }
    ASSERT_TRUE(source.Drain(120s));
    runtime.Stop();
    auto samples = echoed.Take();
    ASSERT_EQ(samples.size(), static_cast<size_t>(kTotal));
    int firstBad = -1;
    for (int i = 0; i < kTotal && firstBad < 0; ++i) {
        const auto &s = samples[static_cast<size_t>(i)];
        if (s.timestamp != i || s.Integer64(0) != i % 256) firstBad = i;
    }
    EXPECT_EQ(firstBad, -1);
}

INSTANTIATE_TEST_SUITE_P(Depths, SourceFlowTest,
                         ::testing::Values(SourceFlow{true, 1, 0}, SourceFlow{true, 2, 0}, SourceFlow{true, 64, 0},
                                           SourceFlow{true, 64, 500}, SourceFlow{false, 64, 500},
                                           SourceFlow{true, 16, 40}, SourceFlow{false, 2, 40}),
                         [](const ::testing::TestParamInfo<SourceFlow> &flow) {
                             return std::string(flow.param.bulk ? "Bulk" : "OneByOne") + "Depth" +
                                    std::to_string(flow.param.depth) + "SlowEvery" +
                                    std::to_string(flow.param.slowEvery);
                         });

TEST_F(RuntimeTest, BulkSourceHandsOverAShortRunOnFlush) {
    auto &echo = runtime.CreateInstance("TestEcho", "echo");
    auto &source = runtime.CreateSource("player", ElementType::Stream8, 8, 64);
    source.SetBulk(true);
    runtime.Connect(source, echo, "iIn");
    zuv::host::SampleQueue echoed;
    runtime.AttachSink(echo, "oEcho", echoed.Callback());
    runtime.Start();
    for (int i = 0; i < 3; ++i) {
        uint8_t byte = static_cast<uint8_t>(i);
        ASSERT_TRUE(source.Push(i, &byte, 1));
    }
    // Far fewer than the half FIFO the waiting echo is woken for.
    source.Flush();
    EXPECT_TRUE(echoed.WaitForCount(3, 30s));
    // Turning bulk off hands over what waits too.
    uint8_t byte = 3;
    ASSERT_TRUE(source.Push(3, &byte, 1));
    source.SetBulk(false);
    EXPECT_TRUE(echoed.WaitForCount(4, 30s));
    runtime.Stop();
    EXPECT_EQ(echoed.Size(), 4u);
}

TEST_F(RuntimeTest, BulkSourceStopEndsTheWaitOfAReaderHoldingBack) {
    auto &echo = runtime.CreateInstance("TestEcho", "echo");
    auto &source = runtime.CreateSource("player", ElementType::Stream8, 8, 64);
    source.SetBulk(true);
    runtime.Connect(source, echo, "iIn");
    runtime.Start();
    uint8_t byte = 1;
    ASSERT_TRUE(source.Push(1, &byte, 1));
    runtime.Stop();  // a hang here is the fault
    EXPECT_FALSE(echo.Running());
}

}  // namespace zuv::test
