// The helper base through a running component: pin series, copies, life check.
#include <cmath>
#include <cstring>

#include "runtimeFixture.h"

namespace zuv::test {

using namespace std::chrono_literals;

TEST_F(RuntimeTest, AddNewSeriesCreateNumberedPinsAndProperties) {
    auto &advanced = runtime.CreateInstance("TestAdvanced", "adv");
    EXPECT_EQ(Names(advanced.Outputs()), (std::vector<std::string>{"oDoubles", "oInts", "oText", "oBytes"}));
    EXPECT_TRUE(advanced.Inputs().empty());
    advanced.SetPropertyFromText("pSeriesCount", "3");
    EXPECT_EQ(Names(advanced.Outputs()),
              (std::vector<std::string>{"oDoubles", "oInts", "oText", "oBytes", "oSeries0", "oSeries1", "oSeries2"}));
    EXPECT_EQ(Names(advanced.Inputs()), (std::vector<std::string>{"iSeries0", "iSeries1", "iSeries2"}));
    auto properties = Names(advanced.Properties());
    EXPECT_EQ(std::vector<std::string>(properties.end() - 3, properties.end()),
              (std::vector<std::string>{"pSeries0", "pSeries1", "pSeries2"}));
    advanced.SetPropertyFromText("pSeriesCount", "0");
    EXPECT_EQ(advanced.Outputs().size(), 4u);
    EXPECT_TRUE(advanced.Inputs().empty());
    EXPECT_EQ(advanced.Properties().size(), 5u);
}

TEST_F(RuntimeTest, CopiesFillOneSampleEachAndRefuseWhatDoesNotFit) {
    auto &advanced = runtime.CreateInstance("TestAdvanced", "adv");
    advanced.SetPropertyFromText("pScenario", "Copies");
    zuv::host::SampleQueue doubles, integers, texts, bytes;
    runtime.AttachSink(advanced, "oDoubles", doubles.Callback());
    runtime.AttachSink(advanced, "oInts", integers.Callback());
    runtime.AttachSink(advanced, "oText", texts.Callback());
    runtime.AttachSink(advanced, "oBytes", bytes.Callback());
    runtime.Start();
    ASSERT_TRUE(WaitForReport("adv", "results"));
    runtime.Stop();
    EXPECT_TRUE(Reported("adv", "results 1 1 1 1 1 1 1 0 0 0 0 0"));

    auto d = doubles.Take();
    ASSERT_EQ(d.size(), 3u);  // the refused copies wrote nothing
    EXPECT_EQ(d[0].vectorSize, 3);
    EXPECT_EQ(d[0].Float64(0), static_cast<double>(0.1f));
    EXPECT_NE(d[0].Float64(0), 0.1);
    EXPECT_EQ(d[0].Float64(1), 1.5);
    EXPECT_EQ(d[0].Float64(2), -2.0);
    EXPECT_EQ(d[0].timestamp, 42);
    EXPECT_EQ(d[0].quality, 7);
    EXPECT_EQ(d[1].vectorSize, 1);
    EXPECT_EQ(d[1].Float64(0), 0.25);
    EXPECT_EQ(d[1].timestamp, 43);
    EXPECT_EQ(d[2].vectorSize, 0);
    EXPECT_EQ(d[2].quality, 2);

    auto i = integers.Take();
    ASSERT_EQ(i.size(), 1u);
    EXPECT_EQ(i[0].vectorSize, 3);
    EXPECT_EQ(i[0].Integer32(1), -2);
    EXPECT_EQ(i[0].Integer32(2), 2147483647);
    EXPECT_EQ(i[0].quality, 3);

    auto t = texts.Take();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].vectorSize, 0);
    EXPECT_EQ(t[0].timestamp, 46);
    EXPECT_EQ(t[1].Text(), "hello");
    EXPECT_EQ(t[1].vectorSize, 5);
    EXPECT_EQ(t[2].vectorSize, 32);
    EXPECT_EQ(bytes.Size(), 0u);

    // Every refusal is an error report that names the pin.
    int refusals = 0;
    for (auto &r : Reports())
        if (r.level == 2 && r.text.rfind("Cannot write", 0) == 0) {
            ++refusals;
            EXPECT_TRUE(r.text.find("oDoubles") != std::string::npos || r.text.find("oText") != std::string::npos ||
                        r.text.find("oBytes") != std::string::npos)
                << r.text;
        }
    EXPECT_EQ(refusals, 5);
}

TEST_F(RuntimeTest, LifeCheckingTellsWhetherTheComponentRuns) {
    auto &advanced = runtime.CreateInstance("TestAdvanced", "adv");
    EXPECT_TRUE(advanced.GetProperty("pAlive").boolean);
    advanced.RunAction("aLifeChecking");
    EXPECT_FALSE(advanced.GetProperty("pAlive").boolean);
    runtime.Start();
    advanced.RunAction("aLifeChecking");
    EXPECT_TRUE(advanced.GetProperty("pAlive").boolean);
    runtime.Stop();
    advanced.RunAction("aLifeChecking");
    EXPECT_FALSE(advanced.GetProperty("pAlive").boolean);
}

}  // namespace zuv::test
