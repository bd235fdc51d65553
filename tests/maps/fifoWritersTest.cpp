// The FIFO with several writers and readers at once: sinks run outside the
// lock, and the next writer gets in without the publisher taking it again.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "fifo.h"

namespace zuv::test {

using zuv::host::SampleView;
using zuv::host::detail::Fifo;
using zuv::host::detail::Slot;

namespace {

constexpr int kElements = 16;

// Every element of a sample carries the same value: writer in the high half,
// its sequence number in the low half.
int64_t valueOf(int writer, int64_t seq) {
    return (int64_t{writer} << 32) | seq;
}

// A sample is whole when all its elements, its size and its time stamp agree.
bool whole(const int64_t *data, int size, int64_t timestamp) {
    if (size != kElements) return false;
    for (int i = 0; i < kElements; ++i)
        if (data[i] != timestamp) return false;
    return true;
}

struct FlowParams {
    int writers;
    int readers;
    int depth;
    bool slowSink;
};

class FifoWriters : public ::testing::TestWithParam<FlowParams> {};

}  // namespace

// Readers see every sample whole and in publishing order, the sinks see the
// same order, and each writer's samples keep theirs. With a slow sink a
// writer spends long in the sinks without the lock, so the others wait on it.
TEST_P(FifoWriters, SamplesAreWholeAndInOneOrderForReadersAndSinks) {
    const FlowParams p = GetParam();
    constexpr int64_t kPerWriter = 20000;
    const int64_t total = kPerWriter * p.writers;
    static const std::string instance = "writer", output = "oOut";
    Fifo fifo(MAPSType_Integer64, kElements, p.depth, &instance, &output);

    std::vector<int64_t> sunk;
    sunk.reserve(static_cast<size_t>(total));
    std::atomic<int64_t> brokenInSink{0};
    fifo.AddSink([&](const SampleView &v) {
        if (!whole(static_cast<const int64_t *>(v.data), v.vectorSize, v.timestamp)) ++brokenInSink;
        sunk.push_back(v.timestamp);  // unsynchronised on purpose: sinks never overlap
        if (p.slowSink && (sunk.size() % 64) == 0) std::this_thread::yield();
    });
    std::vector<int> readerIds;
    for (int r = 0; r < p.readers; ++r) readerIds.push_back(fifo.AddReader());

    std::atomic<bool> dying{false};
    std::vector<std::vector<int64_t>> seen(static_cast<size_t>(p.readers));
    std::vector<int64_t> broken(static_cast<size_t>(p.readers), 0);
    std::vector<std::thread> threads;
    for (int r = 0; r < p.readers; ++r) {
        threads.emplace_back([&, r] {
            auto &mine = seen[static_cast<size_t>(r)];
            mine.reserve(static_cast<size_t>(total));
            while (static_cast<int64_t>(mine.size()) < total) {
                Slot *slot = fifo.Read(readerIds[static_cast<size_t>(r)], dying);
                if (slot == nullptr) return;
                if (!whole(&slot->Integer64(0), slot->VectorSize(), slot->Timestamp()))
                    ++broken[static_cast<size_t>(r)];
                mine.push_back(slot->Timestamp());
            }
            fifo.ReaderGone(readerIds[static_cast<size_t>(r)]);
        });
    }
    std::atomic<int64_t> refused{0};
    for (int w = 0; w < p.writers; ++w) {
        threads.emplace_back([&, w] {
            for (int64_t seq = 0; seq < kPerWriter; ++seq) {
                Slot *slot = fifo.Acquire(dying);
                if (slot == nullptr) return;
                const int64_t v = valueOf(w, seq);
                // Filled in halves, so a reader let in early would see a mix.
                for (int i = 0; i < kElements / 2; ++i) slot->Integer64(i) = v;
                slot->Timestamp() = v;
                std::this_thread::yield();
                for (int i = kElements / 2; i < kElements; ++i) slot->Integer64(i) = v;
                slot->VectorSize() = kElements;
                if (fifo.Publish(slot, false) != Fifo::PublishResult::Published) ++refused;
            }
        });
    }
    for (auto &t : threads) t.join();

    EXPECT_EQ(refused.load(), 0);
    EXPECT_EQ(brokenInSink.load(), 0);
    ASSERT_EQ(static_cast<int64_t>(sunk.size()), total);
    std::vector<int64_t> next(static_cast<size_t>(p.writers), 0);
    for (int64_t v : sunk) {
        const auto w = static_cast<size_t>(v >> 32);
        ASSERT_LT(w, next.size());
        ASSERT_EQ(v & 0xffffffff, next[w]) << "writer " << w << " out of order in the sinks";
        ++next[w];
    }
    for (int r = 0; r < p.readers; ++r) {
        EXPECT_EQ(broken[static_cast<size_t>(r)], 0) << "reader " << r << " saw a partial sample";
        EXPECT_TRUE(seen[static_cast<size_t>(r)] == sunk) << "reader " << r << " saw another order than the sinks";
    }
}

INSTANTIATE_TEST_SUITE_P(Fifo, FifoWriters,
                         ::testing::Values(FlowParams{1, 1, 1, false}, FlowParams{1, 2, 16, true},
                                           FlowParams{2, 1, 2, false}, FlowParams{3, 2, 16, true},
                                           FlowParams{3, 1, 4, false}),
                         [](const auto &param) {
                             const FlowParams &p = param.param;
                             return std::to_string(p.writers) + "writers" + std::to_string(p.readers) + "readers" +
                                    "Depth" + std::to_string(p.depth) + (p.slowSink ? "SlowSink" : "");
                         });

// A writer waiting for the one in the sinks is let in when that one ends,
// even though the publisher does not take the lock again on the way out.
TEST(FifoWriters, AWaitingWriterIsLetInWhenTheSinksEnd) {
    static const std::string instance = "writer", output = "oOut";
    Fifo fifo(MAPSType_Integer64, 1, 4, &instance, &output);
    std::atomic<bool> inSink{false}, release{false};
    fifo.AddSink([&](const SampleView &) {
        inSink = true;
        while (!release) std::this_thread::yield();
    });
    std::atomic<bool> dying{false};
    std::thread first([&] {
        Slot *slot = fifo.Acquire(dying);
        slot->VectorSize() = 1;
        fifo.Publish(slot, false);
    });
    while (!inSink) std::this_thread::yield();
    std::atomic<bool> secondIn{false};
    std::thread second([&] {
        Slot *slot = fifo.Acquire(dying);
        secondIn = slot != nullptr;
        if (slot != nullptr) fifo.Publish(slot, true);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(secondIn.load()) << "a second writer got in while the first was in the sinks";
    release = true;
    first.join();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!secondIn && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(secondIn.load()) << "the waiting writer was never let in";
    if (!secondIn) fifo.Stop();
    second.join();
}

}  // namespace zuv::test
