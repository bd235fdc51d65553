// The in-memory interface that the extraction tests and benchmarks stand on.
#include <gtest/gtest.h>

#include "zuvInterfaceMemory.h"
#include "zuvTestStreams.h"

namespace zuv::test {
namespace {

Bytes readOnce(ZuvInterface *link, size_t room, ZuvErrorCode expected = ZUV_NO_ERROR) {
    Bytes buffer(room);
    size_t got = 12345;
    EXPECT_EQ(zuvInterfaceRead(link, buffer.data(), &got, room), expected);
    EXPECT_LE(got, room);
    buffer.resize(got);
    return buffer;
}

class Memory : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(zuvInterfaceMemoryCreate(&link), ZUV_NO_ERROR); }
    void TearDown() override { EXPECT_EQ(zuvInterfaceDestroy(&link), ZUV_NO_ERROR); }
    ZuvInterface link{};
};

TEST_F(Memory, ServesOneChunkPerReadAndSplitsWhatDoesNotFit) {
    zuvInterfaceMemoryPushChunk(&link, Bytes{1, 2, 3, 4, 5}.data(), 5);
    zuvInterfaceMemoryPushChunk(&link, nullptr, 0);
    zuvInterfaceMemoryPushChunk(&link, Bytes{6, 7}.data(), 2);
    EXPECT_EQ(zuvInterfaceMemoryPending(&link), 7u);
    EXPECT_EQ(readOnce(&link, 3), (Bytes{1, 2, 3}));
    EXPECT_EQ(readOnce(&link, 100), (Bytes{4, 5}));
    EXPECT_EQ(readOnce(&link, 100), Bytes{});  // the empty chunk
    EXPECT_EQ(readOnce(&link, 100), (Bytes{6, 7}));
    EXPECT_EQ(readOnce(&link, 100), Bytes{});
    EXPECT_EQ(zuvInterfaceMemoryPending(&link), 0u);

    EXPECT_EQ(zuvInterfaceMemoryRewind(&link), ZUV_NO_ERROR);
    EXPECT_EQ(readOnce(&link, 100), (Bytes{1, 2, 3, 4, 5}));
}

TEST_F(Memory, FailsReadsOnDemandWithoutLosingBytes) {
    zuvInterfaceMemoryPushChunk(&link, Bytes{9, 8}.data(), 2);
    zuvInterfaceMemoryFailReads(&link, 2, ZUV_READ_ERROR);
    EXPECT_EQ(readOnce(&link, 10, ZUV_READ_ERROR), Bytes{});
    EXPECT_EQ(readOnce(&link, 10, ZUV_READ_ERROR), Bytes{});
    EXPECT_EQ(readOnce(&link, 10), (Bytes{9, 8}));
}

TEST_F(Memory, KeepsWhatIsWrittenAndFlushDropsThePending) {
    const Bytes frame = zuv::test::makeFrame(1, 0x10, {0}).wire;
    EXPECT_EQ(zuvInterfaceWrite(&link, frame.data(), frame.size()), ZUV_NO_ERROR);
    EXPECT_EQ(zuvInterfaceWrite(&link, frame.data(), frame.size()), ZUV_NO_ERROR);
    size_t size = 0;
    const uint8_t *written = zuvInterfaceMemoryWrittenData(&link, &size);
    ASSERT_EQ(size, 2 * frame.size());
    EXPECT_EQ(Bytes(written + frame.size(), written + size), frame);
    EXPECT_EQ(zuvInterfaceMemoryClearWritten(&link), ZUV_NO_ERROR);
    zuvInterfaceMemoryWrittenData(&link, &size);
    EXPECT_EQ(size, 0u);

    zuvInterfaceMemoryPushChunk(&link, frame.data(), frame.size());
    EXPECT_EQ(zuvInterfaceFlush(&link), ZUV_NO_ERROR);
    EXPECT_EQ(zuvInterfaceMemoryPending(&link), 0u);
    EXPECT_EQ(readOnce(&link, 100), Bytes{});
}

TEST(MemoryMisuse, OtherRecordsAndNullsAreRefused) {
    ZuvInterface other{};
    other.type = ZUV_IF_TYPE_SERIAL;
    const uint8_t byte = 0;
    EXPECT_EQ(zuvInterfaceMemoryPushChunk(&other, &byte, 1), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(zuvInterfaceMemoryPushChunk(nullptr, &byte, 1), ZUV_NULL_POINTER);
    EXPECT_EQ(zuvInterfaceMemoryCreate(nullptr), ZUV_NULL_POINTER);
    EXPECT_EQ(zuvInterfaceMemoryPending(&other), 0u);
    ZuvInterface link{};
    ASSERT_EQ(zuvInterfaceMemoryCreate(&link), ZUV_NO_ERROR);
    EXPECT_EQ(zuvInterfaceMemoryPushChunk(&link, nullptr, 3), ZUV_NULL_POINTER);
    EXPECT_EQ(zuvInterfaceMemoryDestroy(&link), ZUV_NO_ERROR);
    EXPECT_EQ(zuvInterfaceMemoryDestroy(&link), ZUV_NULL_POINTER);  // a second destroy is harmless
}

}  // namespace
}  // namespace zuv::test
