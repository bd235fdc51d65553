#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "zuvPlatform.h"

namespace zuv::test {
namespace {

using Clock = std::chrono::steady_clock;

long long elapsedMs(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

// Generous upper bounds: the machine is shared, only the lower bound is exact.
TEST(Sleep, LastsAtLeastTheRequestedTime) {
    const auto start = Clock::now();
    zuvSleep(1500);
    const long long ms = elapsedMs(start);
    EXPECT_GE(ms, 1500);
    EXPECT_LT(ms, 4000);

    const auto again = Clock::now();
    zuvSleep(0);
    EXPECT_LT(elapsedMs(again), 500);
}

void onAlarm(int) {}

TEST(Sleep, SleepsOnAfterASignal) {
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = onAlarm;  // no SA_RESTART: nanosleep returns EINTR
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(sigaction(SIGALRM, &action, &previous), 0);
    itimerval timer{};
    timer.it_value.tv_usec = 60 * 1000;
    timer.it_interval.tv_usec = 60 * 1000;
    ASSERT_EQ(setitimer(ITIMER_REAL, &timer, nullptr), 0);

    const auto start = Clock::now();
    zuvSleep(300);
    const long long ms = elapsedMs(start);

    const itimerval off{};
    setitimer(ITIMER_REAL, &off, nullptr);
    sigaction(SIGALRM, &previous, nullptr);
    EXPECT_GE(ms, 300);
}

TEST(Time, FollowsTheRealtimeClockInMilliseconds) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const auto expected = static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                                static_cast<uint64_t>(now.tv_nsec) / 1000000u);
    const uint32_t got = zuvGetTime();
    EXPECT_LT(static_cast<uint32_t>(got - expected), 1000u);  // differences only: wraps are fine

    const uint32_t before = zuvGetTime();
    zuvSleep(20);
    EXPECT_GE(static_cast<uint32_t>(zuvGetTime() - before), 20u);
}

// --- the debug log sink

std::string logLine(ZuvDebugLogType type, ZuvErrorCode code, const char *message) {
    ::testing::internal::CaptureStderr();
    zuvPlatformDebugLogMsg("file.cpp", "myFunction", 42, "Category", type, code, "%s", message);
    return ::testing::internal::GetCapturedStderr();
}

struct LogCase {
    int type;
    int code;
    const char *expected;
};
void PrintTo(const LogCase &c, std::ostream *os) {
    *os << "type " << c.type << ", code " << c.code;
}

class LogToStderr : public ::testing::TestWithParam<LogCase> {};

TEST_P(LogToStderr, WritesOneLinePerType) {
    const LogCase &c = GetParam();
    EXPECT_EQ(logLine(static_cast<ZuvDebugLogType>(c.type), static_cast<ZuvErrorCode>(c.code), "it broke"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Types, LogToStderr,
                         ::testing::Values(LogCase{0, 3, "*ERR * myFunction(42): ZUV_INVALID_CRC - it broke\n\r"},
                                           LogCase{1, 10, "*WARN* myFunction(42): ZUV_NOT_READY - it broke\n\r"},
                                           LogCase{2, 3, "*INFO* myFunction(42): it broke\n\r"},
                                           LogCase{3, 3, "*DBG * myFunction(42): it broke\n\r"},
                                           LogCase{4, 3, "*UKNW* myFunction(42): it broke\n\r"},
                                           LogCase{-1, 3, "*UKNW* myFunction(42): it broke\n\r"},
                                           LogCase{1000, 3, "*UKNW* myFunction(42): it broke\n\r"},
                                           // codes the table does not name still print a name, read from nowhere else
                                           LogCase{0, 21, "*ERR * myFunction(42): ZUV_UNKNOWN_ERROR - it broke\n\r"},
                                           LogCase{1, 65535, "*WARN* myFunction(42): ZUV_UNKNOWN_ERROR - it broke\n\r"},
                                           LogCase{0, -1, "*ERR * myFunction(42): ZUV_UNKNOWN_ERROR - it broke\n\r"}));

TEST(LogToStderr, NamesEveryErrorCode) {
    const char *const names[] = {"ZUV_NO_ERROR",
                                 "ZUV_ERROR",
                                 "ZUV_NULL_POINTER",
                                 "ZUV_INVALID_CRC",
                                 "ZUV_INVALID_FRAME",
                                 "ZUV_TIME_OUT",
                                 "ZUV_WRITE_ERROR",
                                 "ZUV_READ_ERROR",
                                 "ZUV_BUFFER_OVERFLOW",
                                 "ZUV_INVALID_PARAMETER",
                                 "ZUV_NOT_READY",
                                 "ZUV_MALLOC_FAILED",
                                 "ZUV_CALIB_MAG_NOT_ENOUGH_POINTS",
                                 "ZUV_CALIB_MAG_INVALID_TAKE",
                                 "ZUV_CALIB_MAG_SATURATION",
                                 "ZUV_CALIB_MAG_POINTS_NOT_IN_A_PLANE",
                                 "ZUV_DEVICE_NOT_FOUND",
                                 "ZUV_OPERATION_CANCELLED",
                                 "ZUV_NOT_CONTINUOUS_FRAME",
                                 "ZUV_INCOMPATIBLE_HARDWARE",
                                 "ZUV_INVALID_VERSION"};
    for (int code = 0; code <= 20; ++code) {
        EXPECT_EQ(logLine(ZUV_LOG_ERROR, static_cast<ZuvErrorCode>(code), "m"),
                  std::string("*ERR * myFunction(42): ") + names[code] + " - m\n\r");
    }
}

TEST(LogToStderr, CutsLongMessagesTo1023Characters) {
    const std::string longText(1100, 'y');
    EXPECT_EQ(logLine(ZUV_LOG_INFO, ZUV_NO_ERROR, longText.c_str()),
              "*INFO* myFunction(42): " + longText.substr(0, 1023) + "\n\r");
}

struct Captured {
    std::string file, function, category, message;
    uint32_t line = 0;
    ZuvDebugLogType type = ZUV_LOG_ERROR;
    ZuvErrorCode code = ZUV_NO_ERROR;
    int calls = 0;
};
Captured gCaptured;

void capture(const char *file, const char *function, uint32_t line, const char *category, ZuvDebugLogType type,
             ZuvErrorCode code, const char *message) {
    gCaptured.file = file;
    gCaptured.function = function;
    gCaptured.line = line;
    gCaptured.category = category;
    gCaptured.type = type;
    gCaptured.code = code;
    gCaptured.message = message;
    ++gCaptured.calls;
}

class LogCallback : public ::testing::Test {
protected:
    void SetUp() override {
        gCaptured = Captured{};
        zuvCommonLibSetLogCallback(capture);
    }
    void TearDown() override { zuvCommonLibSetLogCallback(nullptr); }
};

TEST_F(LogCallback, ReceivesEveryFieldAndTheFormattedMessageInsteadOfStderr) {
    ::testing::internal::CaptureStderr();
    zuvPlatformDebugLogMsg("src/a.cpp", "zuvStreamBufferSeek", 7, "None", ZUV_LOG_WARNING, ZUV_BUFFER_OVERFLOW,
                           "seek %d of %s", 12, "buffer");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(gCaptured.calls, 1);
    EXPECT_EQ(gCaptured.file, "src/a.cpp");
    EXPECT_EQ(gCaptured.function, "zuvStreamBufferSeek");
    EXPECT_EQ(gCaptured.line, 7u);
    EXPECT_EQ(gCaptured.category, "None");
    EXPECT_EQ(gCaptured.type, ZUV_LOG_WARNING);
    EXPECT_EQ(gCaptured.code, ZUV_BUFFER_OVERFLOW);
    EXPECT_EQ(gCaptured.message, "seek 12 of buffer");
}

TEST_F(LogCallback, GetsLongMessagesCutTo1023Characters) {
    const std::string longText(1100, 'z');
    zuvPlatformDebugLogMsg("f", "g", 1, "c", ZUV_LOG_ERROR, ZUV_ERROR, "%s", longText.c_str());
    EXPECT_EQ(gCaptured.message, longText.substr(0, 1023));
}

TEST_F(LogCallback, RemovingItRestoresStderr) {
    zuvCommonLibSetLogCallback(nullptr);
    EXPECT_EQ(logLine(ZUV_LOG_VERBOSE, ZUV_NO_ERROR, "back"), "*DBG * myFunction(42): back\n\r");
    EXPECT_EQ(gCaptured.calls, 0);
}

}  // namespace
}  // namespace zuv::test
