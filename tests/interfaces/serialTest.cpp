// The serial interface on a pseudo-terminal: the slave side is the "port", the
// master side plays the device.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>

#include <chrono>
#include <string>
#include <vector>

#include "zuvInterfaceSerial.h"
#include "zuvTestStreams.h"

namespace zuv::test {
namespace {

size_t openDescriptors() {
    size_t count = 0;
    if (DIR *dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) {
            ++count;
        }
        closedir(dir);
    }
    return count;
}

class Pty {
public:
    Pty() {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) == 0) {
            path_ = name;
        }
    }
    ~Pty() {
        if (slave_ >= 0) close(slave_);
        if (master_ >= 0) close(master_);
    }
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string &path() const { return path_; }
    int master() const { return master_; }
    int slave() const { return slave_; }
    void closeMaster() {
        close(master_);
        master_ = -1;
    }
    void closeSlave() {
        close(slave_);
        slave_ = -1;
    }

    Bytes readMaster(size_t want) {
        Bytes out;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (out.size() < want && std::chrono::steady_clock::now() < deadline) {
            pollfd pfd{master_, POLLIN, 0};
            if (poll(&pfd, 1, 100) <= 0) continue;
            uint8_t buffer[4096];
            const ssize_t got = read(master_, buffer, sizeof(buffer));
            if (got > 0) out.insert(out.end(), buffer, buffer + got);
        }
        return out;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// Reads through the interface until `want` bytes came or five seconds passed.
Bytes readInterface(ZuvInterface *link, size_t want) {
    Bytes out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (out.size() < want && std::chrono::steady_clock::now() < deadline) {
        uint8_t buffer[512];
        size_t got = 0;
        if (zuvInterfaceRead(link, buffer, &got, sizeof(buffer)) != ZUV_NO_ERROR) break;
        if (got == 0) {
            usleep(1000);
            continue;
        }
        out.insert(out.end(), buffer, buffer + got);
    }
    return out;
}

// Every byte value, control characters included: a port left in cooked mode
// would translate CR/NL, eat XON/XOFF or act on ^C.
Bytes everyByteValue() {
    Bytes out(256);
    for (size_t i = 0; i < 256; ++i) out[i] = static_cast<uint8_t>(i);
    return out;
}

struct Rate {
    uint32_t baud;
    speed_t speed;
};
void PrintTo(const Rate &r, std::ostream *os) {
    *os << r.baud;
}

class SerialOnPty : public ::testing::TestWithParam<Rate> {};

TEST_P(SerialOnPty, SetsTheRateAndCarriesEveryByteBothWays) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    ZuvInterface link{};
    ASSERT_EQ(zuvInterfaceSerialCreate(&link, pty.path().c_str(), GetParam().baud), ZUV_NO_ERROR);

    termios options{};
    ASSERT_EQ(tcgetattr(pty.slave(), &options), 0);
    EXPECT_EQ(cfgetispeed(&options), GetParam().speed);
    EXPECT_EQ(cfgetospeed(&options), GetParam().speed);

    // Nothing sent yet: a read returns at once with nothing.
    uint8_t scratch[16];
    size_t got = 99;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(zuvInterfaceRead(&link, scratch, &got, sizeof(scratch)), ZUV_NO_ERROR);
    EXPECT_EQ(got, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));

    const Bytes toHost = everyByteValue();
    ASSERT_EQ(write(pty.master(), toHost.data(), toHost.size()), static_cast<ssize_t>(toHost.size()));
    EXPECT_EQ(readInterface(&link, toHost.size()), toHost);

    const Bytes toDevice = zuv::test::makeFrame(0x11, 0x10, everyByteValue()).wire;
    ASSERT_EQ(zuvInterfaceWrite(&link, toDevice.data(), toDevice.size()), ZUV_NO_ERROR);
    EXPECT_EQ(pty.readMaster(toDevice.size()), toDevice);

    EXPECT_EQ(zuvInterfaceDestroy(&link), ZUV_NO_ERROR);
}

INSTANTIATE_TEST_SUITE_P(Rates, SerialOnPty,
                         ::testing::Values(Rate{9600, B9600}, Rate{115200, B115200}, Rate{921600, B921600},
                                           Rate{2000000, B2000000}),
                         [](const ::testing::TestParamInfo<Rate> &p) { return std::to_string(p.param.baud); });

TEST(Serial, ChangesTheRateInPlace) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    ZuvInterface link{};
    ASSERT_EQ(zuvInterfaceSerialCreate(&link, pty.path().c_str(), 115200), ZUV_NO_ERROR);
    EXPECT_EQ(zuvInterfaceSerialChangeBaudRate(&link, 230400), ZUV_NO_ERROR);
    termios options{};
    ASSERT_EQ(tcgetattr(pty.slave(), &options), 0);
    EXPECT_EQ(cfgetospeed(&options), static_cast<speed_t>(B230400));
    EXPECT_EQ(zuvInterfaceSerialChangeBaudRate(&link, 12345), ZUV_INVALID_PARAMETER);
    ASSERT_EQ(tcgetattr(pty.slave(), &options), 0);
    EXPECT_EQ(cfgetospeed(&options), static_cast<speed_t>(B230400));
    zuvInterfaceSerialDestroy(&link);
}

TEST(Serial, RefusesRatesTermiosCannotSetAndOpensNothing) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const size_t before = openDescriptors();
    for (uint32_t baud : {0u, 12345u, 115201u, 4000001u}) {
        ZuvInterface link{};
        EXPECT_EQ(zuvInterfaceSerialCreate(&link, pty.path().c_str(), baud), ZUV_INVALID_PARAMETER) << baud;
        EXPECT_FALSE(zuvInterfaceSerialIsBaudRateSupported(baud)) << baud;
    }
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_TRUE(zuvInterfaceSerialIsBaudRateSupported(115200));
}

TEST(Serial, DeviceThatCannotBeOpenedOrSetUpLeavesNothingOpen) {
    const size_t before = openDescriptors();
    ZuvInterface link{};
    EXPECT_EQ(zuvInterfaceSerialCreate(&link, "/dev/ttyZUV_no_such_port", 115200), ZUV_ERROR);
    EXPECT_EQ(zuvInterfaceGetLastOsError(), ENOENT);
    EXPECT_EQ(zuvInterfaceSerialCreate(&link, "/dev/null", 115200), ZUV_ERROR);  // opens, but is no terminal
    EXPECT_EQ(zuvInterfaceGetLastOsError(), ENOTTY);
    EXPECT_EQ(zuvInterfaceSerialCreate(&link, nullptr, 115200), ZUV_NULL_POINTER);
    EXPECT_EQ(zuvInterfaceSerialCreate(nullptr, "/dev/null", 115200), ZUV_NULL_POINTER);
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(zuvInterfaceDestroy(&link), ZUV_NULL_POINTER);
}

TEST(Serial, DestroyClosesThePort) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const size_t before = openDescriptors();
    ZuvInterface link{};
    ASSERT_EQ(zuvInterfaceSerialCreate(&link, pty.path().c_str(), 115200), ZUV_NO_ERROR);
    EXPECT_EQ(zuvInterfaceGetLastOsError(), 0) << "a pseudo-terminal refuses low latency silently";
    EXPECT_EQ(openDescriptors(), before + 1);
    EXPECT_EQ(zuvInterfaceDestroy(&link), ZUV_NO_ERROR);
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(link.pReadFunc, nullptr);
}

TEST(Serial, UnpluggedDeviceIsAReadError) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    ZuvInterface link{};
    ASSERT_EQ(zuvInterfaceSerialCreate(&link, pty.path().c_str(), 115200), ZUV_NO_ERROR);
    // Our slave descriptor would keep the line up; only the interface's stays open.
    pty.closeSlave();
    pty.closeMaster();
    uint8_t buffer[8];
    size_t got = 0;
    EXPECT_EQ(zuvInterfaceRead(&link, buffer, &got, sizeof(buffer)), ZUV_READ_ERROR);
    EXPECT_EQ(got, 0u);
    zuvInterfaceDestroy(&link);
}

}  // namespace
}  // namespace zuv::test
