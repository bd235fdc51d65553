// The extraction runs once per frame on the reader's thread: it must not touch
// the heap. This binary counts every allocation made while a window is open.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "zuvAllocationCounter.h"
#include "zuvExtractionHarness.h"
#include "zuvLinkStatistics.h"

namespace zuv::test {
namespace {

TEST(ExtractionHeap, CounterSeesAllocations) {
    static void *volatile escape;  // keeps the compiler from eliding the pairs below
    zuv::test::AllocationWindow window;
    escape = new int(1);
    delete static_cast<int *>(escape);
    escape = std::malloc(16);
    std::free(escape);
#if defined(ZUV_SANITIZED_HEAP)
    EXPECT_GE(window.count(), 1);
#else
    EXPECT_GE(window.count(), 2);
#endif
}

TEST(ExtractionHeap, NoAllocationPerCall) {
    zuv::test::Rng rng(7);
    Bytes stream;
    for (int i = 0; i < 200; ++i) {
        if (i % 10 == 0) {
            const Bytes noise = zuv::test::makeNoise(rng, 30, zuv::test::Noise::Hostile);
            stream.insert(stream.end(), noise.begin(), noise.end());
        }
        const zuv::test::Frame frame = zuv::test::makeFrame(3, 0, rng.bytes(58));
        stream.insert(stream.end(), frame.wire.begin(), frame.wire.end());
    }
    Bytes corrupt = zuv::test::makeFrame(8, 1, rng.bytes(72)).wire;
    corrupt[10] ^= 0xFF;  // one CRC drop per pass as well
    stream.insert(stream.end(), corrupt.begin(), corrupt.end());

    zuv::test::MemoryLink link;
    link.push(zuv::test::chunk(rng, stream, 300));
    uint8_t payload[ZUV_ECOM_MAX_PAYLOAD_SIZE];
    size_t payloadSize = 0;
    uint8_t id = 0, cls = 0;
    uint16_t crc = 0;
    long frames = 0;
    long notReady = 0;
    long crcDrops = 0;
    long allocations = 0;
    {
        zuv::test::AllocationWindow window;
        for (int call = 0; call < 20000; ++call) {
            const ZuvErrorCode rc =
                zuv::test::receive(link.protocol(), &cls, &id, payload, &payloadSize, sizeof(payload), crc);
            frames += rc == ZUV_NO_ERROR;
            crcDrops += rc == ZUV_INVALID_CRC;
            if (rc == ZUV_NOT_READY) {
                ++notReady;
                if (link.pending() == 0) {
                    zuvInterfaceMemoryRewind(link.interface());
                }
            }
        }
        allocations = window.count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_GT(frames, 10000);
    EXPECT_GT(crcDrops, 0);
    EXPECT_GT(notReady, 0);
}

// The reader's counted extraction runs once per frame as well.
TEST(ExtractionHeap, CountedExtractionAllocatesNothingPerCall) {
    zuv::test::Rng rng(9);
    Bytes stream;
    for (int i = 0; i < 100; ++i) {
        const Bytes noise = zuv::test::makeNoise(rng, 1 + i % 16, zuv::test::Noise::Hostile);
        stream.insert(stream.end(), noise.begin(), noise.end());
        Bytes wire =
            zuv::test::makeFrame(static_cast<uint8_t>(3 + i % 2), static_cast<uint8_t>(i % 3), rng.bytes(58)).wire;
        if (i % 4 == 0) {
            wire[wire.size() - 3] ^= 0x01;
        }
        stream.insert(stream.end(), wire.begin(), wire.end());
    }
    zuv::test::MemoryLink link;
    link.push(zuv::test::chunk(rng, stream, 300));
    auto statistics = std::make_unique<zuv::LinkStatistics>();
    auto frame = std::make_unique<zuv::LogFrame>();
    long frames = 0;
    long allocations = 0;
    {
        zuv::test::AllocationWindow window;
        for (int call = 0; call < 20000; ++call) {
            const ZuvErrorCode rc = statistics->receive(link.protocol(), *frame);
            frames += rc == ZUV_NO_ERROR;
            if (rc == ZUV_NOT_READY && link.pending() == 0) {
                zuvInterfaceMemoryRewind(link.interface());
            }
        }
        allocations = window.count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_GT(frames, 5000);
    EXPECT_GT(statistics->counts()[zuv::kCrcDrops], 0);
    EXPECT_GT(statistics->counts()[zuv::kClassDrops], 0);
    EXPECT_GT(statistics->counts()[zuv::kBytesDiscarded], 0);
}

}  // namespace
}  // namespace zuv::test
