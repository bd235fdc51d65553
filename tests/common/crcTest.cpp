#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "zuvCrc.h"
#include "zuvTestStreams.h"

namespace zuv::test {
namespace {

// Bit by bit, straight from the definitions: the table-driven code must agree.
uint16_t crc16Bitwise(const uint8_t *p, size_t n, uint16_t crc = 0) {
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408u) : static_cast<uint16_t>(crc >> 1);
        }
    }
    return crc;
}

uint32_t crc32BitwiseInOrder(const std::vector<uint8_t> &bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t b : bytes) {
        crc ^= static_cast<uint32_t>(b) << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
    }
    return crc;
}

uint32_t crc32Of(const std::string &text) {
    return zuvCrc32Compute(text.data(), text.size());
}
uint16_t crc16Of(const std::string &text) {
    return zuvCrc16Compute(text.data(), text.size());
}

}  // namespace

TEST(Crc16, CheckValues) {
    EXPECT_EQ(zuvCrc16Compute(nullptr, 0), 0);
    EXPECT_EQ(crc16Of("123456789"), 0x2189);
    EXPECT_EQ(crc16Of(std::string(1, '\x01')), 0x1189);  // table entry 1
}

TEST(Crc16, EmptyUpdateKeepsState) {
    uint16_t crc = 0xBEEF;
    zuvCrc16Update(&crc, nullptr, 0);
    EXPECT_EQ(crc, 0xBEEF);
    zuvCrc16Initialize(&crc);
    EXPECT_EQ(crc, 0);
}

// The eight-bytes-a-step loop must give the byte-wise result for every length
// around its step, every alignment, and any way of splitting the data into updates.
TEST(Crc16, SlicingMatchesBitwiseOnRandomSplits) {
    zuv::test::Rng rng(0x5EED16);
    for (int round = 0; round < 400; ++round) {
        const size_t length = round < 64 ? static_cast<size_t>(round) : rng.between(0, 2000);
        const size_t misalign = rng.between(0, 7);
        std::vector<uint8_t> storage = rng.bytes(length + misalign);
        const uint8_t *data = storage.data() + misalign;
        const uint16_t expected = crc16Bitwise(data, length);
        ASSERT_EQ(zuvCrc16Compute(data, length), expected) << "length " << length;

        uint16_t crc;
        zuvCrc16Initialize(&crc);
        size_t at = 0;
        while (at < length) {
            const size_t n = std::min(rng.between(0, 40), length - at);
            zuvCrc16Update(&crc, data + at, n);
            at += n;
        }
        ASSERT_EQ(crc, expected) << "length " << length << " split randomly";
    }
}

// Long updates fold 16 bytes at a time and pad the odd bytes in front: every
// remainder mod 16, states that reach into the second block (one odd byte), and
// lengths around the 16-byte threshold must match the byte-wise loop.
TEST(Crc16, FoldingMatchesBitwiseFromAnyState) {
    zuv::test::Rng rng(0xF01D);
    for (size_t length = 0; length <= 300; ++length) {
        for (int round = 0; round < 6; ++round) {
            const uint16_t state = round == 0 ? 0 : static_cast<uint16_t>(rng.between(1, 0xFFFF));
            const size_t misalign = rng.between(0, 15);
            std::vector<uint8_t> storage = rng.bytes(length + misalign);
            const uint8_t *data = storage.data() + misalign;
            uint16_t crc = state;
            zuvCrc16Update(&crc, data, length);
            ASSERT_EQ(crc, crc16Bitwise(data, length, state)) << "length " << length << " state " << state;
        }
    }
    // Runs of 0xFF and zeros: every bit of every fold constant is exercised.
    for (uint8_t fillByte : {uint8_t{0x00}, uint8_t{0xFF}}) {
        const std::vector<uint8_t> same(4096, fillByte);
        for (size_t length : {16u, 17u, 31u, 32u, 62u, 4090u, 4096u}) {
            ASSERT_EQ(zuvCrc16Compute(same.data(), length), crc16Bitwise(same.data(), length)) << length;
        }
    }
}

TEST(Crc32, CheckValues) {
    EXPECT_EQ(zuvCrc32Compute(nullptr, 0), 0xFFFFFFFFu);
    EXPECT_EQ(crc32Of("abc"), 0x914026ECu);
    EXPECT_EQ(crc32Of("123456789"), 0xBF99399Cu);
    EXPECT_EQ(crc32Of("abcdefg"), 0x76CFCDEDu);
    uint32_t crc = 0x12345678u;
    zuvCrc32Update(&crc, nullptr, 0);
    EXPECT_EQ(crc, 0x12345678u);
}

// Bytes go in 32-bit little-endian words, most significant first, then the tail backwards.
class Crc32ByteOrder : public ::testing::TestWithParam<size_t> {};

TEST_P(Crc32ByteOrder, FeedsWordsHighByteFirstThenTailBackwards) {
    const size_t length = GetParam();
    zuv::test::Rng rng(length + 1);
    const std::vector<uint8_t> data = rng.bytes(length);
    std::vector<uint8_t> fed;
    size_t k = 0;
    for (; k + 4 <= length; k += 4) {
        fed.insert(fed.end(), {data[k + 3], data[k + 2], data[k + 1], data[k]});
    }
    for (size_t j = length; j > k; --j) {
        fed.push_back(data[j - 1]);
    }
    EXPECT_EQ(zuvCrc32Compute(data.data(), data.size()), crc32BitwiseInOrder(fed));
}

INSTANTIATE_TEST_SUITE_P(Lengths, Crc32ByteOrder, ::testing::Values(1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 31, 257));
}  // namespace zuv::test
