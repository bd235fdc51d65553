#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "jsonLineFormat.h"

namespace zuv::test {

using zuv::sinks::appendJsonDouble;
using zuv::sinks::appendJsonLine;
using zuv::sinks::appendJsonString;
using zuv::sinks::JsonPinTag;
using zuv::sinks::SampleType;

namespace {

std::string line(int64_t t, const char *instance, const char *output, SampleType type, const void *data, size_t count) {
    std::string out;
    appendJsonLine(out, t, JsonPinTag(instance, output, type), data, count);
    return out;
}

std::string dbl(double v) {
    std::string out;
    appendJsonDouble(out, v);
    return out;
}

}  // namespace

TEST(JsonLine, GoldenLinePerType) {
    const double f[] = {0.5, -2.25, 3.0};
    EXPECT_EQ(line(1500, "decoder", "oImu", SampleType::Float64, f, 3),
              "{\"t\":1500,\"pin\":\"decoder.oImu\",\"type\":\"Float64\",\"data\":[0.5,-2.25,3]}\n");
    const int64_t i64[] = {std::numeric_limits<int64_t>::min(), 0, std::numeric_limits<int64_t>::max()};
    EXPECT_EQ(line(-7, "decoder", "oStatus", SampleType::Integer64, i64, 3),
              "{\"t\":-7,\"pin\":\"decoder.oStatus\",\"type\":\"Integer64\",\"data\":"
              "[-9223372036854775808,0,9223372036854775807]}\n");
    const int32_t i32[] = {-2147483647 - 1, 42};
    EXPECT_EQ(line(0, "x", "o", SampleType::Integer32, i32, 2),
              "{\"t\":0,\"pin\":\"x.o\",\"type\":\"Integer32\",\"data\":[-2147483648,42]}\n");
    const uint8_t bytes[] = {0, 9, 10, 99, 100, 255};
    EXPECT_EQ(line(9223372036854775807, "reader", "oData", SampleType::Stream8, bytes, 6),
              "{\"t\":9223372036854775807,\"pin\":\"reader.oData\",\"type\":\"Stream8\",\"data\":"
              "[0,9,10,99,100,255]}\n");
    EXPECT_EQ(line(3, "reader", "oAuxData", SampleType::TextAscii, "$GPGGA,1*4F\r\n", 13),
              "{\"t\":3,\"pin\":\"reader.oAuxData\",\"type\":\"TextAscii\",\"data\":\"$GPGGA,1*4F\\r\\n\"}\n");
}

TEST(JsonLine, EmptyVectors) {
    EXPECT_EQ(line(1, "d", "o", SampleType::Float64, nullptr, 0),
              "{\"t\":1,\"pin\":\"d.o\",\"type\":\"Float64\",\"data\":[]}\n");
    EXPECT_EQ(line(1, "d", "o", SampleType::TextAscii, nullptr, 0),
              "{\"t\":1,\"pin\":\"d.o\",\"type\":\"TextAscii\",\"data\":\"\"}\n");
}

TEST(JsonLine, LinesAppendToTheSameBuffer) {
    std::string out;
    JsonPinTag pin("decoder", "oMag", SampleType::Float64);
    const double a = 1.5, b = 2.5;
    appendJsonLine(out, 1, pin, &a, 1);
    appendJsonLine(out, 2, pin, &b, 1);
    EXPECT_EQ(out,
              "{\"t\":1,\"pin\":\"decoder.oMag\",\"type\":\"Float64\",\"data\":[1.5]}\n"
              "{\"t\":2,\"pin\":\"decoder.oMag\",\"type\":\"Float64\",\"data\":[2.5]}\n");
}

TEST(JsonLine, UnalignedSampleData) {
    alignas(8) unsigned char raw[1 + 2 * sizeof(double)];
    const double v[] = {0.25, -8.0};
    std::memcpy(raw + 1, v, sizeof v);
    EXPECT_EQ(line(0, "d", "o", SampleType::Float64, raw + 1, 2),
              "{\"t\":0,\"pin\":\"d.o\",\"type\":\"Float64\",\"data\":[0.25,-8]}\n");
}

struct DoubleCase {
    double value;
    const char *text;
};

void PrintTo(const DoubleCase &c, std::ostream *os) {
    *os << c.text;
}

class JsonDouble : public testing::TestWithParam<DoubleCase> {};

TEST_P(JsonDouble, ShortestRoundTripForm) {
    EXPECT_EQ(dbl(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, JsonDouble,
                         testing::Values(DoubleCase{static_cast<double>(0.1f), "0.10000000149011612"},
                                         DoubleCase{0.1, "0.1"}, DoubleCase{1.0, "1"}, DoubleCase{0.0, "0"},
                                         DoubleCase{-0.0, "-0"}, DoubleCase{1e22, "1e+22"},
                                         DoubleCase{1.5e-7, "1.5e-07"}, DoubleCase{123456.789, "123456.789"},
                                         DoubleCase{std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
                                         DoubleCase{std::numeric_limits<double>::denorm_min(), "5e-324"},
                                         DoubleCase{std::numeric_limits<double>::quiet_NaN(), "null"},
                                         DoubleCase{std::numeric_limits<double>::infinity(), "null"},
                                         DoubleCase{-std::numeric_limits<double>::infinity(), "null"}));

TEST(JsonDoubleRoundTrip, RandomBitPatternsReadBackExactly) {
    std::mt19937_64 rng(12345);
    for (int i = 0; i < 20000; ++i) {
        uint64_t bits = rng();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        std::string text = dbl(v);
        if (!std::isfinite(v)) {
            EXPECT_EQ(text, "null");
            continue;
        }
        double back = std::strtod(text.c_str(), nullptr);
        uint64_t backBits;
        std::memcpy(&backBits, &back, sizeof back);
        ASSERT_EQ(backBits, bits) << text;
        // A JSON reader gets the same double too.
        ASSERT_EQ(nlohmann::json::parse(text).get<double>(), v) << text;
    }
}

// The writer lays out fmt's shortest digits itself; its text must stay
// exactly fmt's "{}" for every double, the lines' golden bytes depend on it.
std::string fmtText(double v) {
    return std::isfinite(v) ? fmt::format("{}", v) : "null";
}

TEST(JsonDoubleText, SameAsFmtAtTheLayoutEdges) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  -1.0,
                                  9.0,
                                  10.0,
                                  0.5,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::lowest(),
                                  std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::denorm_min(),
                                  -std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::epsilon(),
                                  9007199254740992.0,
                                  9007199254740993.0,
                                  123456789012345678.0,
                                  static_cast<double>(std::numeric_limits<float>::max()),
                                  static_cast<double>(std::numeric_limits<float>::denorm_min())};
    // Around every power of ten, where fixed and exponent form trade places
    // and the count of zeros changes.
    for (int e = -324; e <= 308; ++e) {
        const double p = std::pow(10.0, e);
        for (double v : {p, std::nextafter(p, 0.0), std::nextafter(p, HUGE_VAL), 1.5 * p, 9.99 * p, 123.456 * p,
                         0.1 * p + 0.2 * p}) {
            values.push_back(v);
            values.push_back(-v);
        }
    }
    for (double v : values) {
        char buf[32];
        const std::string text(buf, static_cast<size_t>(zuv::sinks::putJsonDoubleText(buf, v) - buf));
        ASSERT_EQ(text, fmtText(v)) << "bits " << std::hex << [v] {
            uint64_t b;
            std::memcpy(&b, &v, sizeof b);
            return b;
        }();
        ASSERT_EQ(dbl(v), text);
    }
}

TEST(JsonDoubleText, SameAsFmtForRandomDoublesAndFloats) {
    std::mt19937_64 rng(2024);
    std::uniform_int_distribution<int> digits(1, 17);
    for (int i = 0; i < 300000; ++i) {
        const uint64_t bits = rng();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        uint32_t floatBits = static_cast<uint32_t>(bits >> 32);
        float f;
        std::memcpy(&f, &floatBits, sizeof f);
        // Sensor-like values: few digits, moderate exponents.
        const double scaled =
            std::ldexp(static_cast<double>(bits % 100000) - 50000.0, static_cast<int>(bits >> 58) - 40);
        const double rounded = std::stod(fmt::format("{:.{}g}", scaled, digits(rng)));
        for (double x : {v, static_cast<double>(f), scaled, rounded}) {
            char buf[32];
            const std::string text(buf, static_cast<size_t>(zuv::sinks::putJsonDoubleText(buf, x) - buf));
            ASSERT_EQ(text, fmtText(x)) << fmt::format("{:a}", x);
        }
    }
}

TEST(JsonString, EscapesAndStaysValidUtf8) {
    std::string raw = "a\"b\\c\nd\te\x01\x1f\x7f";
    raw.push_back('\0');
    raw += "\xe9";
    std::string out;
    appendJsonString(out, raw);
    EXPECT_EQ(out, "\"a\\\"b\\\\c\\nd\\te\\u0001\\u001f\x7f\\u0000\xc3\xa9\"");
    // A JSON reader gets every byte back as the code point of the same value.
    std::string back = nlohmann::json::parse(out).get<std::string>();
    std::string expected = raw.substr(0, raw.size() - 1) + "\xc3\xa9";
    EXPECT_EQ(back, expected);
}

TEST(JsonLine, ParsesWithKeysInOrder) {
    const double v[] = {std::nan(""), 1.25};
    std::string text = line(42, "decoder", "oEkfNav", SampleType::Float64, v, 2);
    auto j = nlohmann::ordered_json::parse(text);
    std::vector<std::string> keys;
    for (auto it = j.begin(); it != j.end(); ++it) keys.push_back(it.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"t", "pin", "type", "data"}));
    EXPECT_TRUE(j["data"][0].is_null());
    EXPECT_EQ(j["data"][1].get<double>(), 1.25);
}

}  // namespace zuv::test
