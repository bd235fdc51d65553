// The interfaces' wait for readability, the same cases on each transport: a
// silent link times out, bytes already there answer at once, bytes sent from
// another thread wake a waiter, and read-out bytes leave nothing behind. Then
// what only one transport has: a hung-up pseudo-terminal, the rest of a large
// datagram, a failure pushed into the memory script.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "zuvInterfaceMemory.h"
#include "zuvInterfaceSerial.h"
#include "zuvInterfaceUdp.h"
#include "zuvNetwork.h"
#include "zuvTestStreams.h"

namespace zuv::test {

using namespace std::chrono_literals;

namespace {

// Waits are checked against generous bounds only: "long" is far beyond any
// scheduling delay, "soon" far below it.
constexpr uint32_t kLongMs = 20000;
constexpr auto kSoon = 10s;

// One link under test and its far end.
class Transport {
public:
    virtual ~Transport() = default;
    virtual ZuvInterface *link() = 0;
    virtual void send(const Bytes &bytes) = 0;
};

class MemoryTransport final : public Transport {
public:
    MemoryTransport() { EXPECT_EQ(zuvInterfaceMemoryCreate(&link_), ZUV_NO_ERROR); }
    ~MemoryTransport() override { zuvInterfaceMemoryDestroy(&link_); }
    ZuvInterface *link() override { return &link_; }
    void send(const Bytes &bytes) override {
        ASSERT_EQ(zuvInterfaceMemoryPushChunk(&link_, bytes.data(), bytes.size()), ZUV_NO_ERROR);
    }

private:
    ZuvInterface link_{};
};

class PtyTransport final : public Transport {
public:
    PtyTransport() {
        char name[256] = {};
        EXPECT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        EXPECT_EQ(zuvInterfaceSerialCreate(&link_, name, 115200), ZUV_NO_ERROR);
    }
    ~PtyTransport() override {
        zuvInterfaceDestroy(&link_);
        closeMaster();
        if (slave_ >= 0) close(slave_);
    }
    ZuvInterface *link() override { return &link_; }
    void send(const Bytes &bytes) override {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // The device goes away: only the interface holds the slave then.
    void hangUp() {
        close(slave_);
        slave_ = -1;
        closeMaster();
    }

private:
    void closeMaster() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }
    ZuvInterface link_{};
    int master_ = -1;
    int slave_ = -1;
};

class UdpTransport final : public Transport {
public:
    UdpTransport() {
        const uint32_t loopback = zuvNetworkIpFromString("127.0.0.1");
        EXPECT_EQ(zuvInterfaceUdpCreate(&peer_, loopback, 9, 0), ZUV_NO_ERROR);
        uint32_t peerPort = 0;
        zuvInterfaceUdpGetLocalPort(&peer_, &peerPort);
        EXPECT_EQ(zuvInterfaceUdpCreate(&link_, loopback, peerPort, 0), ZUV_NO_ERROR);
        uint32_t linkPort = 0;
        zuvInterfaceUdpGetLocalPort(&link_, &linkPort);
        zuvInterfaceUdpDestroy(&peer_);
        EXPECT_EQ(zuvInterfaceUdpCreate(&peer_, loopback, linkPort, peerPort), ZUV_NO_ERROR);
    }
    ~UdpTransport() override {
        zuvInterfaceDestroy(&link_);
        zuvInterfaceDestroy(&peer_);
    }
    ZuvInterface *link() override { return &link_; }
    void send(const Bytes &bytes) override {
        ASSERT_EQ(zuvInterfaceWrite(&peer_, bytes.data(), bytes.size()), ZUV_NO_ERROR);
    }

private:
    ZuvInterface link_{};
    ZuvInterface peer_{};
};

enum class Kind { Memory, Pty, Udp };

void PrintTo(Kind kind, std::ostream *os) {
    *os << (kind == Kind::Memory ? "memory" : kind == Kind::Pty ? "pty" : "udp");
}

std::unique_ptr<Transport> make(Kind kind) {
    switch (kind) {
        case Kind::Memory: return std::make_unique<MemoryTransport>();
        case Kind::Pty: return std::make_unique<PtyTransport>();
        case Kind::Udp: return std::make_unique<UdpTransport>();
    }
    return nullptr;
}

// Reads until `want` bytes came, waiting on the interface between reads.
Bytes readWaiting(ZuvInterface *link, size_t want) {
    Bytes out;
    const auto deadline = std::chrono::steady_clock::now() + kSoon;
    while (out.size() < want && std::chrono::steady_clock::now() < deadline) {
        uint8_t buffer[8192];
        size_t got = 0;
        if (zuvInterfaceRead(link, buffer, &got, sizeof buffer) != ZUV_NO_ERROR) break;
        out.insert(out.end(), buffer, buffer + got);
        if (got == 0) zuvInterfaceWaitReadable(link, 100);
    }
    return out;
}

class Wait : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        transport_ = make(GetParam());
        ASSERT_NE(transport_->link()->pWaitFunc, nullptr);
    }
    ZuvInterface *link() { return transport_->link(); }
    std::unique_ptr<Transport> transport_;
};

TEST_P(Wait, ASilentLinkTimesOutAfterItsTime) {
    EXPECT_EQ(zuvInterfaceWaitReadable(link(), 0), ZUV_IF_WAIT_TIMEOUT);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(zuvInterfaceWaitReadable(link(), 60), ZUV_IF_WAIT_TIMEOUT);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 50ms);
    EXPECT_LT(waited, kSoon);
}

TEST_P(Wait, BytesAlreadyThereAnswerAtOnceAndReadingThemLeavesNothing) {
    const Bytes frame = zuv::test::makeFrame(3, 0, Bytes(56, 0x5A)).wire;
    transport_->send(frame);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(zuvInterfaceWaitReadable(link(), kLongMs), ZUV_IF_WAIT_READABLE);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kSoon);
    EXPECT_EQ(readWaiting(link(), frame.size()), frame);
    EXPECT_EQ(zuvInterfaceWaitReadable(link(), 20), ZUV_IF_WAIT_TIMEOUT);
}

TEST_P(Wait, BytesFromAnotherThreadWakeAWaiter) {
    auto waiter = std::async(std::launch::async, [this] {
        const auto start = std::chrono::steady_clock::now();
        const ZuvInterfaceWaitResult result = zuvInterfaceWaitReadable(link(), kLongMs);
        return std::make_pair(result, std::chrono::steady_clock::now() - start);
    });
    std::this_thread::sleep_for(50ms);
    const Bytes frame = zuv::test::makeFrame(8, 1, Bytes(72, 0x33)).wire;
    transport_->send(frame);
    const auto [result, waited] = waiter.get();
    EXPECT_EQ(result, ZUV_IF_WAIT_READABLE);
    EXPECT_LT(waited, kSoon);
    EXPECT_EQ(readWaiting(link(), frame.size()), frame);
}

INSTANTIATE_TEST_SUITE_P(Transports, Wait, ::testing::Values(Kind::Memory, Kind::Pty, Kind::Udp),
                         [](const ::testing::TestParamInfo<Kind> &p) {
                             return p.param == Kind::Memory ? "Memory" : p.param == Kind::Pty ? "Pty" : "Udp";
                         });

TEST(WaitSerial, AHungUpLineWakesTheWaiterAndTheReadReportsIt) {
    PtyTransport pty;
    auto waiter = std::async(std::launch::async, [&pty] { return zuvInterfaceWaitReadable(pty.link(), kLongMs); });
    std::this_thread::sleep_for(50ms);
    pty.hangUp();
    EXPECT_EQ(waiter.get(), ZUV_IF_WAIT_READABLE);
    uint8_t buffer[16];
    size_t got = 0;
    EXPECT_EQ(zuvInterfaceRead(pty.link(), buffer, &got, sizeof buffer), ZUV_READ_ERROR);
    EXPECT_EQ(zuvInterfaceWaitReadable(pty.link(), kLongMs), ZUV_IF_WAIT_READABLE) << "still hung up";
}

TEST(WaitUdp, TheRestOfADatagramHeldIsReadableAtOnce) {
    UdpTransport udp;
    const Bytes big = zuv::test::Rng(3).bytes(3000);
    udp.send(big);
    ASSERT_EQ(zuvInterfaceWaitReadable(udp.link(), kLongMs), ZUV_IF_WAIT_READABLE);
    uint8_t part[1000];
    size_t got = 0;
    ASSERT_EQ(zuvInterfaceRead(udp.link(), part, &got, sizeof part), ZUV_NO_ERROR);
    ASSERT_EQ(got, sizeof part);
    // The socket is empty now; the interface holds the rest.
    EXPECT_EQ(zuvInterfaceWaitReadable(udp.link(), kLongMs), ZUV_IF_WAIT_READABLE);
    Bytes rest = readWaiting(udp.link(), big.size() - got);
    EXPECT_EQ(rest, Bytes(big.begin() + 1000, big.end()));
    EXPECT_EQ(zuvInterfaceWaitReadable(udp.link(), 20), ZUV_IF_WAIT_TIMEOUT);
}

TEST(WaitMemory, AFailurePushedWakesTheWaiterAndTheReadFails) {
    MemoryTransport memory;
    auto waiter =
        std::async(std::launch::async, [&memory] { return zuvInterfaceWaitReadable(memory.link(), kLongMs); });
    std::this_thread::sleep_for(50ms);
    ASSERT_EQ(zuvInterfaceMemoryFailReads(memory.link(), 1, ZUV_READ_ERROR), ZUV_NO_ERROR);
    EXPECT_EQ(waiter.get(), ZUV_IF_WAIT_READABLE);
    uint8_t buffer[16];
    size_t got = 0;
    EXPECT_EQ(zuvInterfaceRead(memory.link(), buffer, &got, sizeof buffer), ZUV_READ_ERROR);
    EXPECT_EQ(zuvInterfaceWaitReadable(memory.link(), 0), ZUV_IF_WAIT_TIMEOUT);
}

// Records from elsewhere (a zero-initialised one, a driver of a user's own)
// have no wait, and the dispatch says so instead of calling through null.
TEST(WaitDispatch, RecordsWithoutAWaitAnswerUnsupported) {
    ZuvInterface record{};
    EXPECT_EQ(zuvInterfaceWaitReadable(&record, 10), ZUV_IF_WAIT_UNSUPPORTED);
    EXPECT_EQ(zuvInterfaceWaitReadable(nullptr, 10), ZUV_IF_WAIT_UNSUPPORTED);
    MemoryTransport memory;
    ZuvInterface withoutWait = *memory.link();
    withoutWait.pWaitFunc = nullptr;
    EXPECT_EQ(zuvInterfaceWaitReadable(&withoutWait, 10), ZUV_IF_WAIT_UNSUPPORTED);
}

}  // namespace
}  // namespace zuv::test
