#include <gtest/gtest.h>

#include <cstring>

#include "zuvCrc.h"

TEST(Crc16, CheckValues) {
    EXPECT_EQ(zuvCrc16Compute("", 0), 0);
    EXPECT_EQ(zuvCrc16Compute("123456789", 9), 0x2189);
}

TEST(Crc32, CheckValues) {
    EXPECT_EQ(zuvCrc32Compute("", 0), 0xFFFFFFFFu);
    EXPECT_EQ(zuvCrc32Compute("abc", 3), 0x914026ECu);
}
