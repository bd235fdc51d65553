// The UDP interface on loopback: two interfaces talking to each other.
#include <arpa/inet.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "zuvInterfaceUdp.h"
#include "zuvNetwork.h"
#include "zuvTestStreams.h"

namespace zuv::test {
namespace {

const uint32_t kLoopback = zuvNetworkIpFromString("127.0.0.1");

size_t openDescriptors() {
    size_t count = 0;
    if (DIR *dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) ++count;
        closedir(dir);
    }
    return count;
}

uint32_t localPortOf(ZuvInterface *link) {
    uint32_t port = 0;
    EXPECT_EQ(zuvInterfaceUdpGetLocalPort(link, &port), ZUV_NO_ERROR);
    return port;
}

// Two interfaces, each sending to the other's port.
class UdpPair : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(kLoopback, 0u);
        // Learn a free port for `a` first, then point `b` at it and `a` back at `b`.
        ZuvInterface probe{};
        ASSERT_EQ(zuvInterfaceUdpCreate(&probe, kLoopback, 9, 0), ZUV_NO_ERROR);
        const uint32_t portA = localPortOf(&probe);
        zuvInterfaceUdpDestroy(&probe);
        ASSERT_EQ(zuvInterfaceUdpCreate(&b, kLoopback, portA, 0), ZUV_NO_ERROR);
        ASSERT_EQ(zuvInterfaceUdpCreate(&a, kLoopback, localPortOf(&b), portA), ZUV_NO_ERROR);
        ASSERT_EQ(localPortOf(&a), portA);
    }
    void TearDown() override {
        zuvInterfaceDestroy(&a);
        zuvInterfaceDestroy(&b);
    }

    // Reads in pieces of at most `readSize` until `want` bytes came (or 5 s passed).
    static Bytes receive(ZuvInterface *link, size_t want, size_t readSize, size_t *reads = nullptr) {
        Bytes out;
        std::vector<uint8_t> buffer(readSize);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (out.size() < want && std::chrono::steady_clock::now() < deadline) {
            size_t got = 0;
            if (zuvInterfaceRead(link, buffer.data(), &got, buffer.size()) != ZUV_NO_ERROR) break;
            if (got == 0) {
                usleep(1000);
                continue;
            }
            EXPECT_LE(got, readSize);
            if (reads != nullptr) ++*reads;
            out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
        }
        return out;
    }

    ZuvInterface a{};
    ZuvInterface b{};
};

TEST_F(UdpPair, FramesGoBothWays) {
    const Bytes ping = zuv::test::makeFrame(0x04, 0x10, {}).wire;
    const Bytes pong = zuv::test::makeFrame(0x04, 0x10, Bytes(52, 0x41)).wire;
    ASSERT_EQ(zuvInterfaceWrite(&a, ping.data(), ping.size()), ZUV_NO_ERROR);
    EXPECT_EQ(receive(&b, ping.size(), 4096), ping);
    ASSERT_EQ(zuvInterfaceWrite(&b, pong.data(), pong.size()), ZUV_NO_ERROR);
    EXPECT_EQ(receive(&a, pong.size(), 4096), pong);
}

TEST_F(UdpPair, NothingWaitingReadsZeroAtOnce) {
    uint8_t buffer[64];
    size_t got = 99;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(zuvInterfaceRead(&a, buffer, &got, sizeof(buffer)), ZUV_NO_ERROR);
    EXPECT_EQ(got, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST_F(UdpPair, DatagramLargerThanAReadIsServedAcrossReadsInOrder) {
    zuv::test::Rng rng(11);
    const Bytes big = rng.bytes(10000);
    const Bytes small = rng.bytes(300);
    ASSERT_EQ(zuvInterfaceWrite(&a, big.data(), big.size()), ZUV_NO_ERROR);
    ASSERT_EQ(zuvInterfaceWrite(&a, small.data(), small.size()), ZUV_NO_ERROR);
    size_t reads = 0;
    Bytes expected = big;
    expected.insert(expected.end(), small.begin(), small.end());
    EXPECT_EQ(receive(&b, expected.size(), 1000, &reads), expected);
    EXPECT_GE(reads, 11u);
}

TEST_F(UdpPair, FlushDropsWhatWaits) {
    const Bytes stale = Bytes(2000, 0x5A);
    ASSERT_EQ(zuvInterfaceWrite(&a, stale.data(), stale.size()), ZUV_NO_ERROR);
    // Take part of it, so that a remainder is held inside the interface too.
    EXPECT_EQ(receive(&b, 100, 100).size(), 100u);
    EXPECT_EQ(zuvInterfaceFlush(&b), ZUV_NO_ERROR);
    const Bytes fresh = {0x01, 0x02, 0x03};
    ASSERT_EQ(zuvInterfaceWrite(&a, fresh.data(), fresh.size()), ZUV_NO_ERROR);
    EXPECT_EQ(receive(&b, fresh.size(), 4096), fresh);
}

// A plain socket on loopback, on a port of its own.
int plainSocket(uint16_t *port) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address));
    socklen_t length = sizeof(address);
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    *port = ntohs(address.sin_port);
    return fd;
}

bool sendFrom(int fd, uint32_t port, const Bytes &bytes) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<uint16_t>(port));
    return sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof(to)) ==
           static_cast<ssize_t>(bytes.size());
}

TEST_F(UdpPair, DatagramsFromAnotherPortNeverArrive) {
    uint16_t foreignPort = 0;
    const int foreign = plainSocket(&foreignPort);
    const Bytes intruder(30, 0x66), device = {0x01, 0x02};
    ASSERT_TRUE(sendFrom(foreign, localPortOf(&a), intruder));
    ASSERT_EQ(zuvInterfaceWrite(&b, device.data(), device.size()), ZUV_NO_ERROR);
    EXPECT_EQ(receive(&a, 2, 4096), device);
    uint8_t buffer[64];
    size_t got = 0;
    EXPECT_EQ(zuvInterfaceRead(&a, buffer, &got, sizeof(buffer)), ZUV_NO_ERROR);
    EXPECT_EQ(got, 0u);
    close(foreign);
}

TEST(Udp, AnyRemoteAddressTakesEverySender) {
    ZuvInterface link{};
    ASSERT_EQ(zuvInterfaceUdpCreate(&link, 0, 0, 0), ZUV_NO_ERROR);
    uint16_t port = 0;
    const int sender = plainSocket(&port);
    const Bytes bytes = {0x07, 0x08, 0x09};
    ASSERT_TRUE(sendFrom(sender, localPortOf(&link), bytes));
    std::vector<uint8_t> buffer(16);
    size_t got = 0;
    for (int i = 0; i < 5000 && got == 0; ++i) {
        ASSERT_EQ(zuvInterfaceRead(&link, buffer.data(), &got, buffer.size()), ZUV_NO_ERROR);
        usleep(1000);
    }
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got)), bytes);
    close(sender);
    zuvInterfaceDestroy(&link);
}

TEST(Udp, TheBoundPortIsNotSharedEvenWithAddressReuse) {
    ZuvInterface link{};
    ASSERT_EQ(zuvInterfaceUdpCreate(&link, kLoopback, 9, 0), ZUV_NO_ERROR);
    const int second = socket(AF_INET, SOCK_DGRAM, 0);
    const int yes = 1;
    setsockopt(second, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(localPortOf(&link)));
    EXPECT_NE(bind(second, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    EXPECT_EQ(errno, EADDRINUSE);
    close(second);

    ZuvInterface twin{};
    EXPECT_EQ(zuvInterfaceUdpCreate(&twin, kLoopback, 9, localPortOf(&link)), ZUV_ERROR);
    EXPECT_EQ(zuvInterfaceGetLastOsError(), EADDRINUSE);
    zuvInterfaceDestroy(&link);
}

TEST(Udp, KernelDropsAreCountedOnceTheBufferOverflows) {
    ZuvInterface link{};
    ASSERT_EQ(zuvInterfaceUdpCreate(&link, 0, 0, 0), ZUV_NO_ERROR);
    uint16_t port = 0;
    const int sender = plainSocket(&port);
    const Bytes datagram(8000, 0x00);
    // Far more than any receive buffer holds, sent while nobody reads.
    constexpr uint64_t kSent = 4000;
    for (uint64_t i = 0; i < kSent; ++i) {
        ASSERT_TRUE(sendFrom(sender, localPortOf(&link), datagram));
    }
    std::vector<uint8_t> buffer(datagram.size());
    uint64_t received = 0;
    size_t got = 0;
    do {
        ASSERT_EQ(zuvInterfaceRead(&link, buffer.data(), &got, buffer.size()), ZUV_NO_ERROR);
        received += got == datagram.size() ? 1 : 0;
    } while (got != 0);
    // The count rides on the next datagram queued after the drops.
    ASSERT_TRUE(sendFrom(sender, localPortOf(&link), datagram));
    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(zuvInterfaceRead(&link, buffer.data(), &got, buffer.size()), ZUV_NO_ERROR);
        if (got != 0) break;
        usleep(1000);
    }
    ASSERT_EQ(got, datagram.size());
    uint64_t drops = 0;
    ASSERT_EQ(zuvInterfaceUdpGetDropCount(&link, &drops), ZUV_NO_ERROR);
    EXPECT_GT(drops, 0u);
    EXPECT_EQ(received + drops, kSent);
    EXPECT_EQ(zuvInterfaceUdpGetDropCount(nullptr, &drops), ZUV_NULL_POINTER);
    close(sender);
    zuvInterfaceDestroy(&link);
}

TEST(Udp, RefusesPortsAboveRangeAndBusyPortsLeavingNothingOpen) {
    const size_t before = openDescriptors();
    ZuvInterface link{};
    EXPECT_EQ(zuvInterfaceUdpCreate(&link, kLoopback, 65536, 0), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(zuvInterfaceUdpCreate(&link, kLoopback, 5000, 70000), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(zuvInterfaceUdpCreate(nullptr, kLoopback, 5000, 0), ZUV_NULL_POINTER);

    // A port held by a socket that does not share it cannot be bound.
    const int holder = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(holder, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    socklen_t length = sizeof(address);
    ASSERT_EQ(getsockname(holder, reinterpret_cast<sockaddr *>(&address), &length), 0);
    const size_t withHolder = openDescriptors();
    EXPECT_EQ(zuvInterfaceUdpCreate(&link, kLoopback, 5000, ntohs(address.sin_port)), ZUV_ERROR);
    EXPECT_EQ(openDescriptors(), withHolder);
    close(holder);
    EXPECT_EQ(openDescriptors(), before);
}

TEST(Udp, DestroyClosesTheSocket) {
    const size_t before = openDescriptors();
    ZuvInterface link{};
    ASSERT_EQ(zuvInterfaceUdpCreate(&link, kLoopback, 5000, 0), ZUV_NO_ERROR);
    EXPECT_EQ(openDescriptors(), before + 1);
    EXPECT_EQ(zuvInterfaceDestroy(&link), ZUV_NO_ERROR);
    EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace zuv::test
