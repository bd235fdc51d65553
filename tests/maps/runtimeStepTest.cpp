// Step mode: the test package's components driven on the test's thread, with
// the runtime's own instances, pins, properties and reports.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "maps_runtime_step.h"

namespace zuv::test {
namespace {

using host::HostError;
using host::StepInstance;
using host::StepRuntime;

constexpr int kReturned = 0;  // MAPS_GLUE_RETURNED

std::vector<std::string> texts(const StepInstance &instance) {
    std::vector<std::string> out;
    for (const auto &report : instance.Reports()) out.push_back(report.text);
    return out;
}

class Step : public ::testing::Test {
protected:
    Step() { runtime.LoadPackage(ZUV_TEST_PACKAGE); }
    StepRuntime runtime;
};

TEST_F(Step, SamplesGoFromProducerToConsumerOnlyWhenTheirCoresRun) {
    StepInstance &counter = runtime.CreateInstance("TestCounter", "counter");
    StepInstance &echo = runtime.CreateInstance("TestEcho", "echo");
    counter.Set("pTotal", 3);
    runtime.Connect(counter, "oCount", echo, "iIn");
    runtime.SetTime(42);
    ASSERT_EQ(counter.Birth(), kReturned);
    ASSERT_EQ(echo.Birth(), kReturned);
    echo.RunCore();
    EXPECT_TRUE(echo.Samples().empty());                               // nothing published yet
    for (int i = 0; i < 4; ++i) ASSERT_EQ(counter.Core(), kReturned);  // the fourth rests, at once
    ASSERT_EQ(counter.Published(), 3u);
    echo.RunCore();
    const std::vector<host::StepSample> samples = echo.TakeSamples();
    ASSERT_EQ(samples.size(), 3u);
    for (int64_t i = 0; i < 3; ++i) {
        EXPECT_EQ(samples[i].output, "oEcho");
        EXPECT_EQ(samples[i].type, host::ElementType::Integer64);
        EXPECT_EQ(samples[i].vectorSize, 2);
        EXPECT_EQ(samples[i].timestamp, i);
        EXPECT_EQ(samples[i].Integer64(0), i);
        EXPECT_EQ(samples[i].Integer64(1), 42);  // the clock the test set
    }
    EXPECT_NE(echo.Core(), kReturned);  // no sample left: the read unwinds
    echo.Death();
    counter.Death();
    EXPECT_EQ(texts(echo), (std::vector<std::string>{"Death"}));
    EXPECT_EQ(echo.Runtime().LastEnd(), host::EndState::Stopped);
}

TEST_F(Step, PushedBytesAndARepeatedSampleReachTheInput) {
    StepInstance &echo = runtime.CreateInstance("TestEcho", "echo");
    std::vector<int64_t> sunk;
    echo.SetSink([&sunk](const host::SampleView &sample) {
        EXPECT_EQ(*sample.instance, "echo");
        EXPECT_EQ(sample.bytes, 16u);
        sunk.push_back(sample.timestamp);
    });
    echo.KeepSamples(false);
    echo.Birth();
    echo.Push("iIn", 7, std::vector<uint8_t>{9, 1}.data(), 2);
    echo.Push(8, std::vector<uint8_t>{5});
    echo.RunCore();
    echo.PushForever(100, 10, {3});
    for (int i = 0; i < 3; ++i) ASSERT_EQ(echo.Core(), kReturned);
    EXPECT_TRUE(echo.Samples().empty());
    EXPECT_EQ(echo.Published(), 5u);
    EXPECT_EQ(sunk, (std::vector<int64_t>{7, 8, 100, 110, 120}));
    echo.Death();
}

TEST_F(Step, ASuicideOrAnErrorEndsTheRunAsInTheThreadedHost) {
    for (bool error : {false, true}) {
        SCOPED_TRACE(error);
        StepInstance &life = runtime.CreateInstance("TestLifecycle", error ? "failing" : "quitting");
        life.Set("pCoreLimit", 2);
        life.Set("pErrorAtLimit", error ? 1 : 0);
        life.Birth();
        EXPECT_EQ(life.Core(), kReturned);
        EXPECT_NE(life.Core(), kReturned);  // the component stopped itself
        EXPECT_FALSE(life.Runtime().Running() && life.Runtime().LastEnd() == host::EndState::None);
        life.Death();
        EXPECT_EQ(life.Runtime().LastEnd(), error ? host::EndState::Error : host::EndState::Suicide);
        std::vector<std::string> expected = {"Birth", "Core clock 0"};
        if (error) expected.push_back("limit reached");
        expected.push_back("Death cores=2");
        EXPECT_EQ(texts(life), expected);
        EXPECT_EQ(life.Reports()[2].level, error ? 2 : 0);
    }
}

TEST_F(Step, PropertyChangesRunDynamicOnlyWhileNotBorn) {
    StepInstance &dynamic = runtime.CreateInstance("TestDynamic", "dynamic");
    dynamic.Set("pOutputs", 2);
    EXPECT_EQ(dynamic.Runtime().Outputs().size(), 3u);  // oFixed, oExtra0, oExtra1
    EXPECT_EQ(dynamic.Get("pMode"), 0);
    dynamic.Set("pMode", 1);  // an enumeration by index
    EXPECT_EQ(dynamic.Runtime().GetProperty("pMode").SelectedText(), "Text");
    EXPECT_EQ(dynamic.Runtime().Outputs().size(), 4u);
    dynamic.Birth();
    dynamic.Set("pOutputs", 0);
    EXPECT_EQ(dynamic.Get("pOutputs"), 0);
    EXPECT_EQ(dynamic.Runtime().Outputs().size(), 4u);  // born: the pins stay
    dynamic.Death();
    dynamic.Set("pExtra", 1);
    EXPECT_TRUE(dynamic.HasProperty("pExtraValue"));
    EXPECT_EQ(dynamic.Runtime().Outputs().size(), 2u);
    EXPECT_THROW(dynamic.Set("pNothing", 1), HostError);
    EXPECT_THROW(dynamic.Set("pMode", 3), HostError);
}

TEST_F(Step, MisuseIsRefused) {
    StepInstance &counter = runtime.CreateInstance("TestCounter", "counter");
    StepInstance &echo = runtime.CreateInstance("TestEcho", "echo");
    EXPECT_THROW(runtime.CreateInstance("TestCounter", "counter"), HostError);
    EXPECT_THROW(runtime.Connect(counter, "oNothing", echo, "iIn"), HostError);
    EXPECT_THROW(runtime.Connect(counter, "oCount", echo, "iNothing"), HostError);
    EXPECT_THROW(counter.Push(0, std::vector<uint8_t>{1}), HostError);  // the counter has no input
    EXPECT_THROW(counter.Death(), HostError);
    counter.Birth();
    EXPECT_THROW(counter.Birth(), HostError);
    EXPECT_THROW(counter.AddOutput("oCount", host::ElementType::Integer64, 1), HostError);
}

}  // namespace
}  // namespace zuv::test
