// The NMEA checksum test over one sentence.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "ZuvCommunication.h"

namespace zuv::test {
namespace {

// A sentence with its correct checksum, in the chosen digit case.
std::string withChecksum(const std::string &body, bool lowerCase = false) {
    unsigned sum = 0;
    for (char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char digits[3];
    std::snprintf(digits, sizeof digits, lowerCase ? "%02x" : "%02X", sum);
    return "$" + body + "*" + digits;
}

const std::string kGga = "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";

TEST(NmeaChecksum, MatchingDigitsPassInEitherCase) {
    EXPECT_TRUE(CZuvCommunication::CheckNMEAChecksum(withChecksum(kGga).c_str()));
    EXPECT_TRUE(CZuvCommunication::CheckNMEAChecksum(withChecksum(kGga, true).c_str()));
    EXPECT_TRUE(CZuvCommunication::CheckNMEAChecksum((withChecksum(kGga) + "\r\n").c_str()));
    EXPECT_TRUE(
        CZuvCommunication::CheckNMEAChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47"));
}

TEST(NmeaChecksum, AnyChangedCharacterFails) {
    const std::string good = withChecksum(kGga);
    for (size_t i = 1; i < good.find('*'); ++i) {
        std::string bad = good;
        bad[i] = static_cast<char>(bad[i] ^ 0x01);
        EXPECT_FALSE(CZuvCommunication::CheckNMEAChecksum(bad.c_str())) << "changed index " << i;
    }
}

TEST(NmeaChecksum, TheStartCharacterIsNotSummed) {
    std::string sentence = withChecksum(kGga);
    sentence[0] = '!';
    EXPECT_TRUE(CZuvCommunication::CheckNMEAChecksum(sentence.c_str()));
}

struct Sentence {
    const char *name;
    const char *text;
    bool valid;
};

void PrintTo(const Sentence &c, std::ostream *os) {
    *os << c.name << (c.valid ? " (valid)" : " (refused)");
}

class NmeaSentence : public ::testing::TestWithParam<Sentence> {};

TEST_P(NmeaSentence, ChecksumVerdict) {
    EXPECT_EQ(CZuvCommunication::CheckNMEAChecksum(GetParam().text), GetParam().valid) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Literal, NmeaSentence,
    ::testing::Values(Sentence{"EmptyBodySumsToZero", "$*00", true}, Sentence{"EmptyBodyWrongDigits", "$*01", false},
                      // "AA" sums to 0, so a missing checksum would read as a match if taken for 0.
                      Sentence{"MissingDigits", "$AA*", false}, Sentence{"OnlyTheStar", "$*", false},
                      Sentence{"NonHexDigits", "$AA*zz", false}, Sentence{"OneCharacterBody", "$A*41", true},
                      // One digit is read as far as it goes.
                      Sentence{"OneDigit", "$AB*3", true},
                      // A carriage return stops the scan like the star.
                      Sentence{"CarriageReturnForStar", "$AB\r03", true},
                      Sentence{"CarriageReturnWithoutDigits", "$AB\r\n", false},
                      Sentence{"NoStopCharacter", "$GPGGA,123519", false}, Sentence{"OnlyTheDollar", "$", false},
                      Sentence{"Empty", "", false}),
    [](const ::testing::TestParamInfo<Sentence> &p) { return std::string(p.param.name); });

TEST(NmeaChecksum, NullAndStopLessLongSentenceFail) {
    EXPECT_FALSE(CZuvCommunication::CheckNMEAChecksum(nullptr));
    const std::string hundred = "$" + std::string(99, 'A');
    EXPECT_FALSE(CZuvCommunication::CheckNMEAChecksum(hundred.c_str()));
}

TEST(NmeaChecksum, StopCharacterMustStandAtIndex83OrBefore) {
    // 82 body characters put '*' at index 83; an even count of 'A' sums to 0.
    const std::string longest = "$" + std::string(82, 'A') + "*00";
    EXPECT_TRUE(CZuvCommunication::CheckNMEAChecksum(longest.c_str()));
    const std::string tooLong = "$" + std::string(83, 'A') + "*41";
    EXPECT_FALSE(CZuvCommunication::CheckNMEAChecksum(tooLong.c_str()));
}

}  // namespace
}  // namespace zuv::test
