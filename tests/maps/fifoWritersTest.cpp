// The FIFO driven directly by several writers and readers: the sinks run
// outside the lock and the publisher does not take it again on the way out;
// an output without readers is claimed without the lock, and readers take
// runs of samples.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "fifo.h"

namespace zuv::test {

using zuv::host::detail::Fifo;

namespace {
constexpr int kElements = 16;

// Whole: every element equals the time stamp, which is writer << 32 | sequence.
bool whole(const int64_t *data, int size, int64_t timestamp) {
    for (int i = 0; i < size; ++i)
        if (data[i] != timestamp) return false;
    return size == kElements;
}

struct Flow {
    int writers, readers, depth;
};
class FifoWriters : public ::testing::TestWithParam<Flow> {};
}  // namespace

// Readers see every sample whole, in the order the sinks saw them, and each
// writer's samples in its own order; a writer waiting while another is in the
// sinks is always let in.
TEST_P(FifoWriters, SamplesAreWholeAndInOneOrderForReadersAndSinks) {
    const Flow p = GetParam();
    constexpr int64_t kEach = 20000;
    const size_t total = static_cast<size_t>(kEach * p.writers);
    static const std::string instance = "w", output = "o";
    Fifo fifo(MAPSType_Integer64, kElements, p.depth, &instance, &output);
    std::vector<int64_t> sunk;  // no lock: sinks never overlap
    std::atomic<int> broken{0};
    fifo.AddSink([&](const zuv::host::SampleView &v) {
        if (!whole(static_cast<const int64_t *>(v.data), v.vectorSize, v.timestamp)) ++broken;
        sunk.push_back(v.timestamp);
        if (sunk.size() % 64 == 0) std::this_thread::yield();
    });
    std::atomic<bool> dying{false};
    std::atomic<int> readersDone{0};
    std::atomic<int> writersDone{0};
    std::vector<std::vector<int64_t>> seen(static_cast<size_t>(p.readers));
    std::vector<std::thread> threads;
    std::vector<int> ids;  // all set up before the run, as the runtime does
    for (int r = 0; r < p.readers; ++r) ids.push_back(fifo.AddReader());
    for (int r = 0; r < p.readers; ++r) {
        threads.emplace_back([&, id = ids[static_cast<size_t>(r)], &mine = seen[static_cast<size_t>(r)]] {
            while (mine.size() < total) {
                auto *slot = fifo.Read(id, dying);
                if (slot == nullptr) return;
                if (!whole(&slot->Integer64(0), slot->VectorSize(), slot->Timestamp())) ++broken;
                mine.push_back(slot->Timestamp());
            }
            fifo.ReaderGone(id);
            ++readersDone;
        });
    }
    for (int w = 0; w < p.writers; ++w) {
        threads.emplace_back([&, w] {
            for (int64_t seq = 0; seq < kEach; ++seq) {
                auto *slot = fifo.Acquire(dying);
                if (slot == nullptr) return;
                const int64_t v = (int64_t{w} << 32) | seq;
                // In halves, so a reader let in early would see a mix.
                for (int i = 0; i < kElements / 2; ++i) slot->Integer64(i) = v;
                std::this_thread::yield();
                for (int i = kElements / 2; i < kElements; ++i) slot->Integer64(i) = v;
                slot->Timestamp() = v;
                slot->VectorSize() = kElements;
                if (fifo.Publish(slot, false) != Fifo::PublishResult::Published) ++broken;
            }
            ++writersDone;
        });
    }
    // A fault that loses samples or leaves a writer in must fail, not hang.
    std::thread watchdog([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while ((readersDone < p.readers || writersDone < p.writers) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        fifo.Stop();
    });
    for (auto &t : threads) t.join();
    watchdog.join();
    EXPECT_EQ(broken.load(), 0);
    ASSERT_EQ(sunk.size(), total);
    std::vector<int64_t> next(static_cast<size_t>(p.writers), 0);
    for (int64_t v : sunk) ASSERT_EQ(v & 0xffffffff, next[static_cast<size_t>(v >> 32)]++) << "writer " << (v >> 32);
    for (const auto &mine : seen) EXPECT_TRUE(mine == sunk) << "a reader saw another order than the sinks";
}

INSTANTIATE_TEST_SUITE_P(Fifo, FifoWriters,
                         ::testing::Values(Flow{1, 2, 1}, Flow{2, 1, 2}, Flow{3, 2, 16}, Flow{1, 0, 1}, Flow{3, 0, 4}));

// A reader hands out the samples it took without the lock, but a stop still
// ends its reading at once, and the writer gets the room back when it returns.
TEST(FifoReaderRuns, AStopEndsARunAndTheRunIsReleasedOnReturn) {
    static const std::string instance = "w", output = "o";
    Fifo fifo(MAPSType_Integer64, 1, 4, &instance, &output);
    const int reader = fifo.AddReader();
    std::atomic<bool> dying{false};
    auto publish = [&](int64_t value) {
        auto *slot = fifo.Acquire(dying);
        ASSERT_NE(slot, nullptr);
        slot->Integer64(0) = value;
        slot->VectorSize() = 1;
        ASSERT_EQ(fifo.Publish(slot, false), Fifo::PublishResult::Published);
    };
    for (int64_t v = 0; v < 4; ++v) publish(v);
    ASSERT_EQ(fifo.Read(reader, dying)->Integer64(0), 0);  // takes all four
    ASSERT_EQ(fifo.Read(reader, dying)->Integer64(0), 1);
    // The run stays the reader's until it comes back: the writer waits for its room.
    std::atomic<bool> written{false};
    std::thread writer([&] {
        publish(4);
        written = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(written.load());
    EXPECT_EQ(fifo.Read(reader, dying)->Integer64(0), 2);
    EXPECT_EQ(fifo.Read(reader, dying)->Integer64(0), 3);
    EXPECT_EQ(fifo.Read(reader, dying)->Integer64(0), 4);
    writer.join();
    EXPECT_TRUE(written.load());
    publish(5);
    publish(6);
    ASSERT_EQ(fifo.Read(reader, dying)->Integer64(0), 5);
    fifo.Stop();
    EXPECT_EQ(fifo.Read(reader, dying), nullptr) << "a stop ends the run even with a sample left in it";
}

}  // namespace zuv::test
