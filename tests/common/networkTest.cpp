#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "zuvNetwork.h"

namespace zuv::test {
namespace {

struct IpText {
    const char *text;
    uint32_t address;  // 0: refused
};
void PrintTo(const IpText &c, std::ostream *os) {
    *os << '"' << c.text << '"';
}

class IpFromString : public ::testing::TestWithParam<IpText> {};

TEST_P(IpFromString, AcceptsOnlyCanonicalDottedQuads) {
    EXPECT_EQ(zuvNetworkIpFromString(GetParam().text), GetParam().address) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, IpFromString,
                         ::testing::Values(IpText{"10.0.0.1", 0x0100000Au}, IpText{"127.0.0.1", 0x0100007Fu},
                                           IpText{"192.168.1.20", 0x1401A8C0u}, IpText{"255.255.255.255", 0xFFFFFFFFu},
                                           IpText{"1.2.3.4", 0x04030201u},
                                           // refused: leading zeros, blanks, signs, range, shape, trailing text
                                           IpText{"10.000.0.1", 0}, IpText{"010.0.0.1", 0}, IpText{" 10.0.0.1", 0},
                                           IpText{"10.0.0.1 ", 0}, IpText{"10.0.0.1x", 0}, IpText{"+10.0.0.1", 0},
                                           IpText{"256.0.0.1", 0}, IpText{"10.0.0.256", 0}, IpText{"-1.0.0.1", 0},
                                           IpText{"10.0.0", 0}, IpText{"10.0.0.1.5", 0}, IpText{"4294967297.0.0.1", 0},
                                           IpText{"", 0}, IpText{"localhost", 0}, IpText{"0.0.0.0", 0}));

TEST(IpFromString, NullTextIsRefused) {
    EXPECT_EQ(zuvNetworkIpFromString(nullptr), 0u);
}

TEST(IpToString, FormatsFirstOctetFromLowByteAndCutsToBuffer) {
    char text[16];
    zuvNetworkIpToString(0x0100000Au, text, sizeof(text));
    EXPECT_STREQ(text, "10.0.0.1");
    zuvNetworkIpToString(0xFFFFFFFFu, text, sizeof(text));
    EXPECT_STREQ(text, "255.255.255.255");  // exactly fills 16 bytes

    char small[6];
    std::memset(small, 'x', sizeof(small));
    zuvNetworkIpToString(0x04030201u, small, 5);
    EXPECT_STREQ(small, "1.2.");
    EXPECT_EQ(small[5], 'x');

    char untouched = 'x';
    zuvNetworkIpToString(0x04030201u, &untouched, 0);
    EXPECT_EQ(untouched, 'x');
}

TEST(IpToString, RoundTripsEveryOctetValue) {
    for (uint32_t v = 0; v < 256; ++v) {
        const uint32_t address = v | ((255 - v) << 8) | ((v * 7 % 256) << 16) | (1u << 24);
        char text[16];
        zuvNetworkIpToString(address, text, sizeof(text));
        ASSERT_EQ(zuvNetworkIpFromString(text), address) << text;
    }
}

struct Mask {
    uint32_t mask;  // first octet in the low byte
    bool valid;
};
void PrintTo(const Mask &c, std::ostream *os) {
    *os << std::hex << "0x" << c.mask;
}

class NetMask : public ::testing::TestWithParam<Mask> {};

TEST_P(NetMask, ValidOnlyAsOneRunFromTheTop) {
    EXPECT_EQ(zuvIpNetMaskValid(GetParam().mask), GetParam().valid) << std::hex << GetParam().mask;
}

INSTANTIATE_TEST_SUITE_P(Masks, NetMask,
                         ::testing::Values(Mask{0, true}, Mask{0x00FFFFFFu, true},  // 255.255.255.0
                                           Mask{0xFFFFFFFFu, true}, Mask{0x000000FFu, true},
                                           Mask{0x80FFFFFFu, true},     // 255.255.255.128
                                           Mask{0x000000FEu, true},     // 254.0.0.0
                                           Mask{0x00FF00FFu, false},    // 255.0.255.0
                                           Mask{0xFF000000u, false},    // 0.0.0.255
                                           Mask{0x0000007Fu, false},    // 127.0.0.0
                                           Mask{0x01FFFFFFu, false},    // 255.255.255.1
                                           Mask{0xFFFFFF00u, false}));  // 0.255.255.255

TEST(NetMask, EveryPrefixLengthIsValidAndEveryHoleIsNot) {
    for (int prefix = 0; prefix <= 32; ++prefix) {
        const uint32_t topDown = prefix == 0 ? 0u : ~0u << (32 - prefix);
        const uint32_t mask = __builtin_bswap32(topDown);
        EXPECT_TRUE(zuvIpNetMaskValid(mask)) << "/" << prefix;
        if (prefix >= 2) {
            // Clear one bit inside the run (not its last): the run breaks.
            EXPECT_FALSE(zuvIpNetMaskValid(__builtin_bswap32(topDown & ~(1u << (33 - prefix))))) << "/" << prefix;
        }
    }
}

}  // namespace
}  // namespace zuv::test
