// The tool's diagram pieces on the host runtime with the runtime's test package.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "instanceJson.h"
#include "jsonLinesSink.h"
#include "replay.h"
#include "runControl.h"
#include "session.h"
#include "stopSignal.h"
#include "toolError.h"
#include "toolTestFiles.h"
#include "zrecWriter.h"

namespace zuv::test {

using namespace zuv::tool;

namespace {

class SessionTest : public testing::Test {
protected:
    SessionTest() : context(errors.file()) { context.packageOption = ZUV_TEST_PACKAGE; }

    int statusOf(Session &session, const std::vector<std::string> &arguments, std::string *message = nullptr) {
        try {
            session.applyProperties(arguments);
        } catch (const ToolError &e) {
            if (message != nullptr) *message = e.what();
            return e.status();
        }
        return 0;
    }

    CapturedStream errors;
    ToolContext context;
};

TEST_F(SessionTest, EachPropertyChangeRunsDynamicBeforeTheNextOne) {
    Session session(context);
    session.loadPackage();
    auto &dyn = session.createInstance("TestDynamic", "dyn");
    session.applyProperties({"pExtra=true", "dyn.pExtraValue=9", "pMode=Text", "pOutputs=2"});
    EXPECT_EQ(dyn.GetProperty("pExtraValue").integer, 9);
    std::vector<std::string> outputs;
    for (const auto &o : dyn.Outputs()) outputs.push_back(o.name);
    EXPECT_EQ(outputs, (std::vector<std::string>{"oFixed", "oExtra0", "oExtra1", "oText"}));

    // The other way round the property does not exist yet.
    Session other(context);
    other.loadPackage();
    other.createInstance("TestDynamic", "dyn");
    std::string message;
    EXPECT_EQ(statusOf(other, {"pExtraValue=9", "pExtra=true"}, &message), kExitUsage);
    EXPECT_EQ(message, "unknown property \"pExtraValue\"");
}

TEST_F(SessionTest, ValuesOfEveryKindReachTheInstance) {
    Session session(context);
    session.loadPackage();
    auto &dyn = session.createInstance("TestDynamic", "dyn");
    session.applyProperties({"pMode=1", "pRatio=-0.25", "pLabel=a b=c", "pLive=-3", "pExtra=0"});
    EXPECT_EQ(dyn.GetProperty("pMode").SelectedText(), "Text");
    EXPECT_EQ(dyn.GetProperty("pRatio").real, -0.25);
    EXPECT_EQ(dyn.GetProperty("pLabel").text, "a b=c");
    EXPECT_EQ(dyn.GetProperty("pLive").integer, -3);
    EXPECT_FALSE(dyn.GetProperty("pExtra").boolean);
}

TEST_F(SessionTest, PrefixNeededOnlyWhereTheNameIsShared) {
    Session session(context);
    session.loadPackage();
    auto &one = session.createInstance("TestEcho", "echo1");
    auto &two = session.createInstance("TestEcho", "echo2");
    session.createInstance("TestCounter", "counter");
    std::string message;
    EXPECT_EQ(statusOf(session, {"pSlowEvery=3"}, &message), kExitUsage);
    EXPECT_EQ(message, "ambiguous property \"pSlowEvery\": give one of echo1.pSlowEvery, echo2.pSlowEvery");
    session.applyProperties({"echo2.pSlowEvery=3", "pTotal=12"});
    EXPECT_EQ(one.GetProperty("pSlowEvery").integer, 0);
    EXPECT_EQ(two.GetProperty("pSlowEvery").integer, 3);
    EXPECT_EQ(statusOf(session, {"echo2.pSlowEvery=fast"}, &message), kExitUsage);
    EXPECT_EQ(message, "\"fast\" does not fit echo2.pSlowEvery (integer: a decimal integer)");
}

TEST_F(SessionTest, PackageAndModelErrors) {
    Session session(context);
    context.packageOption = "/nonexistent/zuv.pck";
    try {
        session.loadPackage();
        ADD_FAILURE();
    } catch (const ToolError &e) {
        EXPECT_EQ(e.status(), kExitRunFailed);
        EXPECT_NE(std::string(e.what()).find("/nonexistent/zuv.pck (--package)"), std::string::npos) << e.what();
    }
    context.packageOption = ZUV_TEST_PACKAGE;
    session.loadPackage();
    try {
        session.createInstance("ZUV_Nothing", "x");
        ADD_FAILURE();
    } catch (const ToolError &e) {
        EXPECT_EQ(e.status(), kExitUsage);
        EXPECT_NE(std::string(e.what()).find("TestEcho"), std::string::npos) << e.what();
    }
}

TEST_F(SessionTest, DescribeJsonInInstanceOrder) {
    Session session(context);
    session.loadPackage();
    auto &dyn = session.createInstance("TestDynamic", "dyn");
    session.applyProperties({"pExtra=true", "pOutputs=1"});
    EXPECT_EQ(describeInstance(dyn).dump(),
              "{\"model\":\"TestDynamic\","
              "\"inputs\":[{\"name\":\"iFixed\",\"type\":\"Stream8\"},{\"name\":\"iExtra\",\"type\":\"Any\"}],"
              "\"outputs\":[{\"name\":\"oFixed\",\"type\":\"Stream8\",\"maxSize\":64,\"fifo\":16},"
              "{\"name\":\"oExtra0\",\"type\":\"Float64\",\"maxSize\":4,\"fifo\":8}],"
              "\"properties\":["
              "{\"name\":\"pMode\",\"type\":\"enum\",\"value\":\"None\",\"flags\":16777216,"
              "\"choices\":[\"None\",\"Text\",\"Broken\"]},"
              "{\"name\":\"pOutputs\",\"type\":\"integer\",\"value\":1,\"flags\":16777216},"
              "{\"name\":\"pExtra\",\"type\":\"bool\",\"value\":true,\"flags\":16777216},"
              "{\"name\":\"pLive\",\"type\":\"integer\",\"value\":1,\"flags\":16777472},"
              "{\"name\":\"pRatio\",\"type\":\"float\",\"value\":0.5,\"flags\":16777216},"
              "{\"name\":\"pLabel\",\"type\":\"text\",\"value\":\"label\",\"flags\":16777216},"
              "{\"name\":\"pExtraValue\",\"type\":\"integer\",\"value\":7,\"flags\":16777216}],"
              "\"actions\":[]}");
}

class RunControlTest : public SessionTest {
protected:
    void TearDown() override { StopSignal::reset(); }
};

TEST_F(RunControlTest, ComponentThatStopsItselfAtStartEndsTheRun) {
    Session session(context);
    session.loadPackage();
    session.createInstance("TestLifecycle", "life");
    session.applyProperties({"pSuicideInBirth=true"});
    RunEnd end = runDiagram(session, RunLimits{5.0, 0});
    EXPECT_EQ(end.reason, RunEndReason::ComponentEnded);
    EXPECT_EQ(end.endedInstance, "life");
    EXPECT_EQ(end.endState, zuv::host::EndState::Suicide);
    std::string lines = errors.text();
    EXPECT_NE(lines.find("info life: Birth\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("info life: Death cores=0\n"), std::string::npos) << lines;
}

TEST_F(RunControlTest, DurationCountsHostTimeAndDeathRuns) {
    Session session(context);
    session.loadPackage();
    session.createInstance("TestLifecycle", "life");
    RunEnd end = runDiagram(session, RunLimits{0.2, 0});
    EXPECT_EQ(end.reason, RunEndReason::Duration);
    EXPECT_GE(session.runtime().Now(), 200000);
    EXPECT_NE(errors.text().find("info life: Death cores="), std::string::npos) << errors.text();
}

TEST_F(RunControlTest, CountAndStopRequest) {
    {
        Session session(context);
        session.loadPackage();
        auto &counter = session.createInstance("TestCounter", "counter");
        SampleCounter counted;
        session.runtime().AttachSink(counter, "oCount", counted.callback());
        RunHooks hooks;
        hooks.counter = &counted;
        RunEnd end = runDiagram(session, RunLimits{30.0, 10}, hooks);
        EXPECT_EQ(end.reason, RunEndReason::Count);
        EXPECT_GE(counted.count(), 10u);
    }
    Session session(context);
    session.loadPackage();
    session.createInstance("TestLifecycle", "life");
    StopSignal::request();
    EXPECT_EQ(runDiagram(session, RunLimits{30.0, 0}).reason, RunEndReason::StopSignal);
    EXPECT_NE(errors.text().find("info life: Death cores="), std::string::npos);
}

// Each ending condition comes about 150 ms into a run and must end it at
// once, not when the run's wait gives up on its own after a second.
enum class Ending { Count, StopFromASink, ComponentEnded, Duration };

class RunEndsPromptly : public RunControlTest, public testing::WithParamInterface<Ending> {};

TEST_P(RunEndsPromptly, RightAfterItsCondition) {
    using Clock = std::chrono::steady_clock;
    constexpr uint64_t kAt = 150;  // samples or cores, about 1 ms each
    std::atomic<int64_t> eventNs{0};
    auto stamp = [&eventNs] { eventNs.store(Clock::now().time_since_epoch().count()); };
    Session session(context);
    session.loadPackage();
    SampleCounter counted;
    std::atomic<uint64_t> seen{0};
    RunLimits limits{30.0, 0};
    RunHooks hooks;
    host::Instance *life = nullptr;
    if (GetParam() == Ending::Count || GetParam() == Ending::StopFromASink) {
        auto &counter = session.createInstance("TestCounter", "counter");
        auto &echo = session.createInstance("TestEcho", "echo");
        session.applyProperties({"echo.pSlowEvery=1"});
        session.runtime().Connect(counter, "oCount", echo, "iIn");
        const bool stop = GetParam() == Ending::StopFromASink;
        // As a failing output does: the sink's thread asks for the stop.
        session.runtime().AttachSink(echo, "oEcho", [&, stop](const host::SampleView &) {
            if (seen.fetch_add(1) + 1 != kAt) return;
            stamp();
            if (stop) StopSignal::request();
        });
        session.runtime().AttachSink(echo, "oEcho", counted.callback());
        hooks.counter = &counted;
        if (!stop) limits.count = kAt;
    } else {
        life = &session.createInstance("TestLifecycle", "life");
        if (GetParam() == Ending::ComponentEnded) {
            session.applyProperties({"pCoreLimit=" + std::to_string(kAt)});
            session.runtime().SetReportCallback([&](int, const std::string &, const std::string &text) {
                if (text.rfind("Death", 0) == 0) stamp();
            });
        } else {
            limits.durationSeconds = 0.15;
        }
    }
    const auto started = Clock::now();
    const RunEnd end = runDiagram(session, limits, hooks);
    const auto returned = Clock::now();
    if (GetParam() == Ending::Duration) {
        // The host clock starts after the Births, a little after `started`.
        eventNs.store((started + std::chrono::milliseconds(150)).time_since_epoch().count());
        EXPECT_GE(session.runtime().Now(), 150000) << "ended before its time";
    }
    ASSERT_NE(eventNs.load(), 0) << "the condition never came";
    const auto late = returned - Clock::time_point(Clock::duration(eventNs.load()));
    EXPECT_LT(late, std::chrono::milliseconds(500))
        << std::chrono::duration<double, std::milli>(late).count() << " ms after its condition";
    switch (GetParam()) {
        case Ending::Count:
            EXPECT_EQ(end.reason, RunEndReason::Count);
            EXPECT_GE(counted.count(), kAt);
            break;
        case Ending::StopFromASink: EXPECT_EQ(end.reason, RunEndReason::StopSignal); break;
        case Ending::ComponentEnded:
            EXPECT_EQ(end.reason, RunEndReason::ComponentEnded);
            EXPECT_EQ(end.endedInstance, "life");
            EXPECT_EQ(life->LastEnd(), host::EndState::Suicide);
            break;
        case Ending::Duration: EXPECT_EQ(end.reason, RunEndReason::Duration); break;
    }
}

const char *nameOf(Ending ending) {
    const char *names[] = {"Count", "StopFromASink", "ComponentEnded", "Duration"};
    return names[static_cast<int>(ending)];
}
void PrintTo(Ending ending, std::ostream *os) {
    *os << nameOf(ending);
}
std::string endingName(const testing::TestParamInfo<Ending> &info) {
    return nameOf(info.param);
}

INSTANTIATE_TEST_SUITE_P(Endings, RunEndsPromptly,
                         testing::Values(Ending::Count, Ending::StopFromASink, Ending::ComponentEnded,
                                         Ending::Duration),
                         endingName);

class ReplayTest : public RunControlTest {
protected:
    // Replays `path` into TestEcho "echo"; its JSON lines land in `lines`.
    ReplayResult replay(const std::string &path) {
        Session session(context);
        session.loadPackage();
        auto &echo = session.createInstance("TestEcho", "echo");
        zuv::sinks::JsonLinesSink sink(lines.file());
        sink.attachAll(session.runtime(), echo);
        ReplayOptions options;
        options.path = path;
        ReplayResult result = replayRecording(session, echo, "iIn", options);
        EXPECT_TRUE(sink.close());
        return result;
    }

    static void writeThree(const std::string &path) {
        zuv::recording::ZrecWriter w;
        ASSERT_TRUE(w.open(path));
        for (uint8_t i = 1; i <= 3; ++i) w.append(i * 1000, &i, 1);
        ASSERT_TRUE(w.close());
    }

    CapturedStream lines;
};

TEST_F(ReplayTest, EveryRecordDecodedWithItsTimeStamp) {
    TempPath file;
    writeThree(file.path());
    ReplayResult result = replay(file.path());
    EXPECT_EQ(result.status, kExitOk) << errors.text();
    EXPECT_EQ(result.delivered, 3u);
    EXPECT_EQ(lines.text(),
              "{\"t\":1000,\"pin\":\"echo.oEcho\",\"type\":\"Integer64\",\"data\":[1,1000]}\n"
              "{\"t\":2000,\"pin\":\"echo.oEcho\",\"type\":\"Integer64\",\"data\":[2,2000]}\n"
              "{\"t\":3000,\"pin\":\"echo.oEcho\",\"type\":\"Integer64\",\"data\":[3,3000]}\n");
}

TEST_F(ReplayTest, TruncatedLastRecordReportedAndTheRestDecoded) {
    TempPath file;
    writeThree(file.path());
    std::string bytes = file.text();
    file.write(bytes.substr(0, bytes.size() - 5));
    ReplayResult result = replay(file.path());
    EXPECT_EQ(result.status, kExitRunFailed);
    EXPECT_EQ(result.delivered, 2u);
    EXPECT_NE(errors.text().find("zuv: " + file.path() + ": truncated record at byte offset 34"), std::string::npos)
        << errors.text();
    const std::string decoded = lines.text();
    EXPECT_EQ(std::count(decoded.begin(), decoded.end(), '\n'), 2) << decoded;
}

TEST_F(ReplayTest, FileWithoutHeaderRefusedBeforeAnythingRuns) {
    TempPath file;
    file.write(std::string("\xFF\x5A\x01\x00\x00\x00\x12\x34\x33", 9));
    try {
        replay(file.path());
        ADD_FAILURE();
    } catch (const ToolError &e) {
        EXPECT_EQ(e.status(), kExitRunFailed);
        EXPECT_NE(std::string(e.what()).find("not a recording"), std::string::npos) << e.what();
    }
    EXPECT_EQ(lines.text(), "");
    EXPECT_EQ(errors.text().find("Death"), std::string::npos) << "the diagram never started";
}

}  // namespace
}  // namespace zuv::test
