// The main thread's wake-up: kept notifications, a signal handler, and the
// stop signal's descriptor watched beside it (other threads notifying are
// covered by the run's endings in sessionTest.cpp).
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "stopSignal.h"
#include "wakeup.h"

namespace zuv::test {
namespace {

using namespace zuv::tool;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Far longer than any of these waits may take when they work.
constexpr milliseconds kLong{30000};
constexpr milliseconds kPrompt{10000};

milliseconds since(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

TEST(Wakeup, NotificationsBeforeTheWaitEndItOnceAndAreThenUsedUp) {
    Wakeup wake;
    wake.notify();
    wake.notify();
    auto start = Clock::now();
    EXPECT_TRUE(wake.wait(kLong));
    EXPECT_LT(since(start), kPrompt);
    // Both notifications were for that one wait.
    start = Clock::now();
    EXPECT_FALSE(wake.wait(milliseconds(60)));
    EXPECT_GE(since(start), milliseconds(55)) << "the time-out came early";
}

Wakeup *gSignalled = nullptr;
void notifyFromHandler(int) {
    gSignalled->notify();
}

TEST(Wakeup, ASignalHandlerEndsTheWaitItInterrupts) {
    Wakeup wake;
    gSignalled = &wake;
    struct sigaction sa {
    }, old{};
    sa.sa_handler = notifyFromHandler;
    sigemptyset(&sa.sa_mask);
    ASSERT_EQ(sigaction(SIGUSR2, &sa, &old), 0);
    const pthread_t waiter = pthread_self();
    std::thread sender([waiter] {
        std::this_thread::sleep_for(milliseconds(30));
        pthread_kill(waiter, SIGUSR2);
    });
    const auto start = Clock::now();
    EXPECT_TRUE(wake.wait(kLong));
    EXPECT_LT(since(start), kPrompt);
    sender.join();
    sigaction(SIGUSR2, &old, nullptr);
    gSignalled = nullptr;
}

TEST(Wakeup, TheStopDescriptorEndsEveryWaitUntilTheStopIsForgotten) {
    Wakeup wake;
    const int stopFd = StopSignal::fd();
    ASSERT_GE(stopFd, 0);
    StopSignal::reset();
    EXPECT_FALSE(wake.wait(milliseconds(20), stopFd));
    std::thread requester([] {
        std::this_thread::sleep_for(milliseconds(30));
        StopSignal::request();
    });
    auto start = Clock::now();
    EXPECT_TRUE(wake.wait(kLong, stopFd));
    EXPECT_LT(since(start), kPrompt);
    requester.join();
    // Unlike a notification, a stop stays: the next wait ends at once too.
    start = Clock::now();
    EXPECT_TRUE(wake.wait(kLong, stopFd));
    EXPECT_LT(since(start), kPrompt);
    StopSignal::reset();
    EXPECT_FALSE(wake.wait(milliseconds(20), stopFd));
}

}  // namespace
}  // namespace zuv::test
