// --duration and --count: what is refused and why, before anything runs.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "limitChecks.h"

namespace zuv::test {
namespace {

using zuv::tool::checkDurationSeconds;
using zuv::tool::checkSampleCount;

struct LimitCase {
    const char *text;
    const char *reason;  // "" when accepted
};

void PrintTo(const LimitCase &c, std::ostream *os) {
    *os << '"' << c.text << '"';
}

class DurationCheck : public testing::TestWithParam<LimitCase> {};
class CountCheck : public testing::TestWithParam<LimitCase> {};

TEST_P(DurationCheck, AcceptsOrSaysWhyNot) {
    EXPECT_EQ(checkDurationSeconds(GetParam().text), GetParam().reason);
}
TEST_P(CountCheck, AcceptsOrSaysWhyNot) {
    EXPECT_EQ(checkSampleCount(GetParam().text), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Seconds, DurationCheck,
                         testing::Values(LimitCase{"0", ""}, LimitCase{"2.5", ""}, LimitCase{"3155760000", ""},
                                         LimitCase{"nan", "\"nan\" is not a finite number of seconds"},
                                         LimitCase{"inf", "\"inf\" is not a finite number of seconds"},
                                         LimitCase{"1e400", "\"1e400\" is not a finite number of seconds"},
                                         LimitCase{"-1", "-1 must be at least 0 seconds"},
                                         LimitCase{"1e13", "1e13 must be at most 3155760000 seconds (about 100 years)"},
                                         LimitCase{"3155760001",
                                                   "3155760001 must be at most 3155760000 seconds (about 100 years)"},
                                         LimitCase{"ten", "\"ten\" is not a number of seconds"},
                                         LimitCase{"5s", "\"5s\" is not a number of seconds"},
                                         LimitCase{"", "\"\" is not a number of seconds"}));

INSTANTIATE_TEST_SUITE_P(
    Samples, CountCheck,
    testing::Values(LimitCase{"1", ""}, LimitCase{"50", ""}, LimitCase{"9223372036854775807", ""},
                    LimitCase{"0", "0 must be at least 1"}, LimitCase{"-1", "-1 must be at least 1"},
                    LimitCase{"9223372036854775808", "9223372036854775808 must be below 2^63"},
                    LimitCase{"99999999999999999999999", "99999999999999999999999 must be below 2^63"},
                    LimitCase{"1.5", "\"1.5\" is not a whole number of samples"},
                    LimitCase{"+3", "\"+3\" is not a whole number of samples"},
                    LimitCase{"-", "\"-\" is not a whole number of samples"},
                    LimitCase{"", "\"\" is not a whole number of samples"}));

}  // namespace
}  // namespace zuv::test
