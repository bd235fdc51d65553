// The tool's diagram pieces on the host runtime with the runtime's test package.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "instanceJson.h"
#include "runControl.h"
#include "session.h"
#include "stopSignal.h"
#include "toolError.h"
#include "toolTestFiles.h"

using namespace zuv::tool;
using zuv::testing::CapturedStream;

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

}  // namespace
