#include "rateRequest.h"

#include <gtest/gtest.h>

namespace zuv::test {
namespace {

using namespace zuv::tool;

TEST(RateRequest, TakesReaderPropertiesAndChoiceTexts) {
    RateSettings rates;
    std::string error;
    ASSERT_TRUE(
        parseRateRequest(R"({"rates":{"pImuData":"50 Hz","pGps1Pos":"On New Data","pMag":"Disabled"}})", rates, error))
        << error;
    ASSERT_EQ(rates.size(), 3u);
    EXPECT_EQ(rates[0], (std::pair<std::string, std::string>{"pGps1Pos", "On New Data"}));
    EXPECT_EQ(rates[1], (std::pair<std::string, std::string>{"pImuData", "50 Hz"}));
    EXPECT_EQ(rates[2], (std::pair<std::string, std::string>{"pMag", "Disabled"}));
}

struct Refusal {
    const char *name;
    const char *body;
    const char *message;
};

void PrintTo(const Refusal &c, std::ostream *os) {
    *os << c.name;
}

class RateRequestRefused : public ::testing::TestWithParam<Refusal> {};

TEST_P(RateRequestRefused, SaysWhyAndSetsNothing) {
    RateSettings rates = {{"left", "over"}};
    std::string error;
    EXPECT_FALSE(parseRateRequest(GetParam().body, rates, error));
    EXPECT_TRUE(rates.empty());
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Web, RateRequestRefused,
    ::testing::Values(
        Refusal{"Empty", "", "expected {\"rates\""}, Refusal{"Cut", "{\"rates\":", "expected"},
        Refusal{"Array", "[1,2]", "expected"}, Refusal{"RatesArray", "{\"rates\":[]}", "expected"},
        Refusal{"NoRate", "{\"rates\":{}}", "no rate to set"},
        Refusal{"NotARate", "{\"rates\":{\"pComPort\":\"/dev/x\"}}", "no rate property \"pComPort\""},
        Refusal{"WrongCase", "{\"rates\":{\"pImuData\":\"50 hz\"}}", "pImuData: not a rate choice: \"50 hz\""},
        Refusal{"Number", "{\"rates\":{\"pImuData\":50}}", "not a rate choice: 50"},
        Refusal{"UnknownBesideGood", "{\"rates\":{\"pImuData\":\"50 Hz\",\"pUnknown\":\"1 Hz\"}}", "pUnknown"}),
    [](const ::testing::TestParamInfo<Refusal> &p) { return std::string(p.param.name); });

TEST(RateRequest, LongValuesAreCutInTheMessage) {
    RateSettings rates;
    std::string error;
    const std::string body = "{\"rates\":{\"pImuData\":\"" + std::string(5000, 'a') + "\"}}";
    EXPECT_FALSE(parseRateRequest(body, rates, error));
    EXPECT_LT(error.size(), 100u);
}

}  // namespace
}  // namespace zuv::test
