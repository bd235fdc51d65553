#include "sseFormat.h"

#include <gtest/gtest.h>

namespace zuv::test {
namespace {

using namespace zuv::tool;

struct SseCase {
    const char *label;
    const char *name;
    const char *data;
    const char *wire;
};

void PrintTo(const SseCase &c, std::ostream *os) {
    *os << c.label;
}

class SseGolden : public ::testing::TestWithParam<SseCase> {};

TEST_P(SseGolden, Bytes) {
    EXPECT_EQ(sseEvent(GetParam().name, GetParam().data), GetParam().wire);
}

INSTANTIATE_TEST_SUITE_P(
    Web, SseGolden,
    ::testing::Values(SseCase{"Status", "status", "{\"a\":1}", "event: status\ndata: {\"a\":1}\n\n"},
                      SseCase{"NoEvent", "", "x", "data: x\n\n"}, SseCase{"EmptyData", "s", "", "event: s\ndata: \n\n"},
                      SseCase{"TwoLines", "s", "a\nb", "event: s\ndata: a\ndata: b\n\n"},
                      SseCase{"CrLfAndCr", "s", "a\r\nb\rc", "event: s\ndata: a\ndata: b\ndata: c\n\n"},
                      SseCase{"TrailingNewline", "s", "a\n", "event: s\ndata: a\ndata: \n\n"},
                      SseCase{"NewlineInName", "bad\nname", "x", "event: badname\ndata: x\n\n"}));

TEST(Sse, CommentAndRetry) {
    EXPECT_EQ(sseComment("keep"), ": keep\n\n");
    EXPECT_EQ(sseComment("a\nb"), ": a\n: b\n\n");
    EXPECT_EQ(sseRetry(1000), "retry: 1000\n\n");
}

}  // namespace
}  // namespace zuv::test
