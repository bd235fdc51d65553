// The helpers are documented reentrant and the log sink callable from any
// thread: under TSan this finds shared state that is not.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "zuvCrc.h"
#include "zuvNetwork.h"
#include "zuvPlatform.h"

namespace zuv::test {
namespace {

std::atomic<int> gLogged{0};
std::atomic<int> gBadMessages{0};

void countLog(const char *, const char *, uint32_t, const char *, ZuvDebugLogType, ZuvErrorCode, const char *message) {
    if (std::strncmp(message, "worker ", 7) != 0) {
        ++gBadMessages;
    }
    ++gLogged;
}

TEST(HelpersAcrossThreads, ReentrantAndLoggingFromEveryThread) {
    zuvCommonLibSetLogCallback(countLog);
    constexpr int kThreads = 4;
    constexpr int kRounds = 500;
    std::atomic<int> wrong{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([t, &wrong] {
            for (int i = 0; i < kRounds; ++i) {
                wrong += zuvCrc16Compute("123456789", 9) != 0x2189;
                wrong += zuvCrc32Compute("abc", 3) != 0x914026ECu;
                char text[16];
                const uint32_t address = 0x0100000Au + static_cast<uint32_t>(t);
                zuvNetworkIpToString(address, text, sizeof(text));
                wrong += zuvNetworkIpFromString(text) != address;
                zuvPlatformDebugLogMsg("f", "g", 1, "c", ZUV_LOG_INFO, ZUV_NO_ERROR, "worker %d round %d", t, i);
            }
            zuvSleep(1);
            (void)zuvGetTime();
        });
    }
    for (auto &w : workers) {
        w.join();
    }
    zuvCommonLibSetLogCallback(nullptr);
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(gLogged.load(), kThreads * kRounds);
    EXPECT_EQ(gBadMessages.load(), 0);
}

}  // namespace
}  // namespace zuv::test
