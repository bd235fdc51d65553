#include "webAccess.h"

#include <gtest/gtest.h>

#include "toolError.h"

namespace zuv::test {
namespace {

using namespace zuv::tool;

struct ListenCase {
    const char *text;
    const char *host;
    int port;
};

void PrintTo(const ListenCase &c, std::ostream *os) {
    *os << c.text;
}

class ListenParse : public ::testing::TestWithParam<ListenCase> {};

TEST_P(ListenParse, SplitsHostAndPort) {
    const ListenAddress a = parseListenAddress(GetParam().text);
    EXPECT_EQ(a.host, GetParam().host);
    EXPECT_EQ(a.port, GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(Web, ListenParse,
                         ::testing::Values(ListenCase{"127.0.0.1:8080", "127.0.0.1", 8080},
                                           ListenCase{"localhost:0", "localhost", 0},
                                           ListenCase{"[::1]:9000", "::1", 9000},
                                           ListenCase{"0.0.0.0:65535", "0.0.0.0", 65535}));

class ListenRefused : public ::testing::TestWithParam<const char *> {};

TEST_P(ListenRefused, IsAUsageErrorNamingTheOption) {
    try {
        parseListenAddress(GetParam());
        FAIL() << GetParam();
    } catch (const ToolError &e) {
        EXPECT_EQ(e.status(), kExitUsage);
        EXPECT_NE(std::string(e.what()).find("--listen"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Web, ListenRefused,
                         ::testing::Values("8080", "127.0.0.1", "127.0.0.1:", "127.0.0.1:65536", "127.0.0.1:-1",
                                           "127.0.0.1:80x", "example.org:80", "::1:80", "[::1]80", ":8080"));

TEST(WebAccess, LoopbackIsThe127NetworkLocalhostAndV6One) {
    for (const char *host : {"127.0.0.1", "127.8.9.10", "localhost", "::1"}) EXPECT_TRUE(isLoopbackHost(host)) << host;
    for (const char *host : {"0.0.0.0", "128.0.0.1", "10.0.0.1", "::", "192.168.1.2"}) {
        EXPECT_FALSE(isLoopbackHost(host)) << host;
    }
}

TEST(WebAccess, OffLoopbackWithoutATokenIsRefusedBeforeAnythingIsBound) {
    try {
        checkListenAccess(parseListenAddress("0.0.0.0:8080"), "");
        FAIL();
    } catch (const ToolError &e) {
        EXPECT_EQ(e.status(), kExitUsage);
        EXPECT_NE(std::string(e.what()).find("--token"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("not a loopback address"), std::string::npos);
    }
    EXPECT_NO_THROW(checkListenAccess(parseListenAddress("0.0.0.0:8080"), randomToken()));
    EXPECT_NO_THROW(checkListenAccess(parseListenAddress("127.0.0.1:8080"), ""));
    EXPECT_THROW(checkListenAccess(parseListenAddress("127.0.0.1:8080"), "short"), ToolError);
}

TEST(WebAccess, RandomTokensAre32HexDigitsAndDiffer) {
    const std::string a = randomToken();
    const std::string b = randomToken();
    EXPECT_EQ(a.size(), 32u);
    EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(a, b);
}

TEST(WebAccess, TokensMatchOnlyWhenEqual) {
    EXPECT_TRUE(tokensMatch("abcdefabcdefabcd", "abcdefabcdefabcd"));
    EXPECT_FALSE(tokensMatch("abcdefabcdefabce", "abcdefabcdefabcd"));
    EXPECT_FALSE(tokensMatch("abcdefabcdefabc", "abcdefabcdefabcd"));
    EXPECT_FALSE(tokensMatch("", "abcdefabcdefabcd"));
}

TEST(WebAccess, HostHeaderMustNameThisServer) {
    const ListenAddress a = parseListenAddress("127.0.0.1:8080");
    for (const char *host : {"127.0.0.1:8080", "localhost:8080", "[::1]:8080"}) EXPECT_TRUE(hostAllowed(host, a));
    for (const char *host : {"evil.example:8080", "127.0.0.1:8081", "127.0.0.1", "", "localhost"}) {
        EXPECT_FALSE(hostAllowed(host, a)) << host;
    }
    EXPECT_TRUE(hostAllowed("[::1]:9000", parseListenAddress("[::1]:9000")));
}

TEST(WebAccess, OriginWhenSentIsThisServer) {
    EXPECT_TRUE(originAllowed("", "127.0.0.1:8080"));
    EXPECT_TRUE(originAllowed("http://127.0.0.1:8080", "127.0.0.1:8080"));
    EXPECT_FALSE(originAllowed("http://evil.example", "127.0.0.1:8080"));
    EXPECT_FALSE(originAllowed("null", "127.0.0.1:8080"));
    EXPECT_FALSE(originAllowed("https://127.0.0.1:8080", "127.0.0.1:8080"));
}

}  // namespace
}  // namespace zuv::test
