// Birth, Core, Death; stopping oneself; errors; threads; actions; the clock.
#include <condition_variable>
#include <mutex>
#include <set>

#include "runtimeFixture.h"

namespace zuv::test {

using namespace std::chrono_literals;
using zuv::host::EndState;

TEST_F(RuntimeTest, BirthThenCoreThenDeathOnce) {
    auto &life = runtime.CreateInstance("TestLifecycle", "life");
    EXPECT_FALSE(life.Running());
    runtime.Start();
    EXPECT_TRUE(WaitForReport("life", "Core clock"));
    runtime.Stop();
    auto texts = TextsOf("life");
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Birth");
    EXPECT_EQ(texts[1].rfind("Core clock", 0), 0u);
    EXPECT_EQ(texts.back().rfind("Death cores=", 0), 0u);
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(), [](auto &t) { return t.rfind("Death", 0) == 0; }), 1);
    EXPECT_EQ(life.LastEnd(), EndState::Stopped);
    EXPECT_FALSE(life.Running());
    runtime.Stop();  // idempotent: no second Death
    EXPECT_EQ(TextsOf("life").size(), texts.size());
}

TEST_F(RuntimeTest, CommitSuicideInBirthStillRunsDeathAndNoCore) {
    auto &life = runtime.CreateInstance("TestLifecycle", "life");
    life.SetProperty("pSuicideInBirth", zuv::host::PropertyValue::Bool(true));
    runtime.Start();
    EXPECT_EQ(runtime.WaitForEnded(20s), &life);
    runtime.Stop();
    EXPECT_EQ(TextsOf("life"), (std::vector<std::string>{"Birth", "Death cores=0"}));
    EXPECT_EQ(life.LastEnd(), EndState::Suicide);
}

TEST_F(RuntimeTest, CommitSuicideAndErrorInCoreDoNotReturn) {
    auto &quits = runtime.CreateInstance("TestLifecycle", "quits");
    auto &fails = runtime.CreateInstance("TestLifecycle", "fails");
    auto &stays = runtime.CreateInstance("TestLifecycle", "stays");
    quits.SetPropertyFromText("pCoreLimit", "3");
    fails.SetPropertyFromText("pCoreLimit", "2");
    fails.SetPropertyFromText("pErrorAtLimit", "true");
    runtime.Start();
    std::set<zuv::host::Instance *> ended{runtime.WaitForEnded(20s), runtime.WaitForEnded(20s)};
    EXPECT_EQ(ended, (std::set<zuv::host::Instance *>{&quits, &fails}));
    EXPECT_TRUE(stays.Running());  // the others stopping themselves leave it alone
    EXPECT_EQ(runtime.WaitForEnded(50ms), nullptr);
    runtime.Stop();
    EXPECT_EQ(TextsOf("quits").back(), "Death cores=3");
    EXPECT_EQ(TextsOf("fails").back(), "Death cores=2");
    EXPECT_FALSE(Reported("quits", "after CommitSuicide"));
    EXPECT_FALSE(Reported("fails", "after CommitSuicide"));
    EXPECT_EQ(quits.LastEnd(), EndState::Suicide);
    EXPECT_EQ(fails.LastEnd(), EndState::Error);
    EXPECT_EQ(stays.LastEnd(), EndState::Stopped);
    bool errorLevel = false;
    for (auto &r : Reports())
        if (r.instance == "fails" && r.text == "limit reached") errorLevel = r.level == 2;
    EXPECT_TRUE(errorLevel);
}

// A control thread that waits on something else is told of each end through
// the callback; what it then asks WaitForEnded for is already there.
TEST_F(RuntimeTest, EndedCallbackOncePerSelfEndedInstanceWithItQueued) {
    auto &quits = runtime.CreateInstance("TestLifecycle", "quits");
    auto &fails = runtime.CreateInstance("TestLifecycle", "fails");
    runtime.CreateInstance("TestLifecycle", "stays");
    quits.SetPropertyFromText("pCoreLimit", "3");
    fails.SetPropertyFromText("pCoreLimit", "2");
    fails.SetPropertyFromText("pErrorAtLimit", "true");
    std::mutex mutex;
    std::condition_variable called;
    int calls = 0;
    runtime.SetEndedCallback([&] {
        std::lock_guard<std::mutex> lock(mutex);
        ++calls;
        called.notify_all();
    });
    runtime.Start();
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(called.wait_for(lock, 20s, [&] { return calls == 2; }));
    }
    std::set<zuv::host::Instance *> ended{runtime.WaitForEnded(0ms), runtime.WaitForEnded(0ms)};
    EXPECT_EQ(ended, (std::set<zuv::host::Instance *>{&quits, &fails}));
    runtime.Stop();
    // Once cleared, the next run's ends are only queued.
    runtime.SetEndedCallback(nullptr);
    runtime.Start();
    EXPECT_NE(runtime.WaitForEnded(20s), nullptr);
    EXPECT_NE(runtime.WaitForEnded(20s), nullptr);
    runtime.Stop();
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(calls, 2) << "the instance stopped by Stop, or a cleared callback, was called";
}

TEST_F(RuntimeTest, ThreadsOfTheComponentEndBeforeItsDeath) {
    auto &life = runtime.CreateInstance("TestLifecycle", "life");
    life.SetPropertyFromText("pThread", "1");
    runtime.Start();
    runtime.Stop();
    int helper = IndexOf("life", "helper ends");
    int death = IndexOf("life", "Death");
    ASSERT_GE(helper, 0);
    EXPECT_LT(helper, death);
}

TEST_F(RuntimeTest, ActionsRunWhetherOrNotTheComponentRuns) {
    auto &life = runtime.CreateInstance("TestLifecycle", "life");
    life.RunAction("aMark");
    EXPECT_TRUE(Reported("life", "action while stopped"));
    EXPECT_TRUE(life.GetProperty("pLive").boolean);
    life.SetProperty("pLive", zuv::host::PropertyValue::Bool(false));
    runtime.Start();
    life.RunAction("aMark");
    EXPECT_TRUE(Reported("life", "action while running"));
    EXPECT_TRUE(life.GetProperty("pLive").boolean);  // 0x100: may change while running
    runtime.Stop();
    EXPECT_THROW(life.RunAction("aNope"), zuv::host::HostError);
}

TEST_F(RuntimeTest, ClockReadsZeroUntilEveryBirthHasReturned) {
    EXPECT_EQ(runtime.Now(), 0);
    auto &slow = runtime.CreateInstance("TestLifecycle", "slow");
    auto &quick = runtime.CreateInstance("TestLifecycle", "quick");
    slow.SetPropertyFromText("pBirthDelay", "300000");
    slow.SetPropertyFromText("pBirthClock", "true");
    quick.SetPropertyFromText("pBirthClock", "true");
    runtime.Start();
    // Start returns after every Birth, so the slow one has reported by now.
    EXPECT_TRUE(Reported("slow", "clock in Birth 0"));
    EXPECT_TRUE(Reported("quick", "clock in Birth 0"));
    ASSERT_TRUE(WaitForReport("quick", "Core clock"));
    // The quick one's first Core waited for the slow Birth, and its clock
    // started then: far below the 300 ms that Birth took.
    EXPECT_GT(IndexOf("quick", "Core clock"), IndexOf("slow", "clock in Birth"));
    const std::string core = TextsOf("quick")[2];
    EXPECT_LT(std::stoll(core.substr(std::string("Core clock ").size())), 250000) << core;
    std::this_thread::sleep_for(20ms);
    int64_t during = runtime.Now();
    EXPECT_GE(during, 15000);
    runtime.Stop();
    int64_t after = runtime.Now();
    std::this_thread::sleep_for(5ms);
    EXPECT_EQ(runtime.Now(), after);  // frozen after the run
    EXPECT_GE(after, during);
}

// A stop from another thread (the tool's signal watcher) may land while Start
// is still launching instance threads: every Birth still gets its one Death,
// and no thread is left running.
TEST_F(RuntimeTest, StopFromAnotherThreadDuringStartEndsEveryInstance) {
    std::vector<zuv::host::Instance *> lives;
    for (int i = 0; i < 6; ++i) lives.push_back(&runtime.CreateInstance("TestLifecycle", "life" + std::to_string(i)));
    for (int round = 0; round < 50; ++round) {
        std::thread stopper([&] { runtime.Stop(); });
        runtime.Start();
        stopper.join();
        runtime.Stop();
        for (auto *life : lives) {
            ASSERT_FALSE(life->Running()) << life->Name() << " in round " << round;
        }
    }
    for (auto *life : lives) {
        const auto texts = TextsOf(life->Name());
        const auto births = std::count(texts.begin(), texts.end(), std::string("Birth"));
        const auto deaths =
            std::count_if(texts.begin(), texts.end(), [](const std::string &t) { return t.rfind("Death", 0) == 0; });
        EXPECT_EQ(births, deaths) << life->Name();
    }
}

}  // namespace zuv::test
