// The links themselves: line speed, silence, unplugging, pauses, and damaged
// frames as the package's frame extraction sees them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "hostLink.h"
#include "tapRecorder.h"
#include "zuvFrameExtraction.h"

namespace zuv::test {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool pathExists(const std::string &path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

SimConfig streamingImu(uint16_t mode) {
    SimConfig config;
    config.outputModes = {{ZUV_ECOM_LOG_IMU_DATA, mode}};
    return config;
}

TEST(Link, AHostAtAnotherSpeedSeesNothingAndTimesOut) {
    Connected c = connect(LinkKind::Pty, streamingImu(2), 9600);
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();
    ZuvEComDeviceInfo info{};
    const auto start = Clock::now();
    EXPECT_EQ(zuvEComCmdGetInfo(&c.host->handle, &info), ZUV_TIME_OUT);
    EXPECT_GT(secondsSince(start), 1.2);  // three attempts of 500 ms
    EXPECT_EQ(c.host->logCount, 0);
    EXPECT_GT(c.sim->stats().bytesIgnored, 0u);

    ASSERT_EQ(zuvInterfaceSerialChangeBaudRate(&c.host->link, 115200), ZUV_NO_ERROR);
    EXPECT_EQ(zuvEComCmdGetInfo(&c.host->handle, &info), ZUV_NO_ERROR);
    c.host->pump(100);
    EXPECT_GT(c.host->logCount, 0);
}

TEST(Link, ADeviceSetToAnotherSpeedAnswersThere) {
    SimConfig config;
    config.baudRate = 9600;
    Connected c = connect(LinkKind::Pty, config, 9600);
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();
    ZuvEComInterfaceConf uart{};
    ASSERT_EQ(zuvEComCmdInterfaceGetUartConf(&c.host->handle, ZUV_ECOM_IF_COM_A, &uart), ZUV_NO_ERROR);
    EXPECT_EQ(uart.baudRate, 9600u);
}

TEST(Link, AUartSetChangesTheSpeedOnlyAfterItsAck) {
    Connected c = connect(LinkKind::Pty, streamingImu(4));
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();
    const ZuvEComInterfaceConf faster{460800, ZUV_ECOM_UART_MODE_232};
    // The ACK itself still comes at 115200.
    ASSERT_EQ(zuvEComCmdInterfaceSetUartConf(&c.host->handle, ZUV_ECOM_IF_COM_A, &faster), ZUV_NO_ERROR);
    const auto start = Clock::now();
    while (c.sim->portBaudRate() != 460800u && secondsSince(start) < 5.0) {
        c.host->pump(5);
    }
    EXPECT_EQ(c.sim->portBaudRate(), 460800u);
    ASSERT_EQ(zuvInterfaceSerialChangeBaudRate(&c.host->link, 460800), ZUV_NO_ERROR);
    ZuvEComInterfaceConf uart{};
    ASSERT_EQ(zuvEComCmdInterfaceGetUartConf(&c.host->handle, ZUV_ECOM_IF_COM_A, &uart), ZUV_NO_ERROR);
    EXPECT_EQ(uart.baudRate, 460800u);
}

class Silent : public ::testing::TestWithParam<LinkKind> {};

TEST_P(Silent, ASilentDeviceGivesTimeOutAfterTheRetries) {
    SimConfig config = streamingImu(1);
    config.faults.silent = true;
    Connected c = connect(GetParam(), config);
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();
    const auto start = Clock::now();
    ZuvEComDeviceInfo info{};
    EXPECT_EQ(zuvEComCmdGetInfo(&c.host->handle, &info), ZUV_TIME_OUT);
    EXPECT_GT(secondsSince(start), 1.2);
    EXPECT_EQ(c.host->logCount, 0);
    EXPECT_EQ(c.sim->stats().commands, 0u);
}

INSTANTIATE_TEST_SUITE_P(Links, Silent, ::testing::Values(LinkKind::Pty, LinkKind::Udp), linkName);

TEST(Link, SaveAndRebootPauseTheStreamOnTheDeviceClock) {
    SimConfig config;
    config.clock = ClockMode::Manual;
    config.outputModes = {{ZUV_ECOM_LOG_IMU_DATA, 10}, {ZUV_ECOM_LOG_STATUS, 10}};
    Connected c = connect(LinkKind::Pty, config);
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();
    TapRecorder recorder;
    c.sim->setFrameTap(recorder.tap());

    c.sim->advance(100000);
    ASSERT_EQ(zuvEComCmdSettingsAction(&c.host->handle, ZUV_ECOM_SAVE_SETTINGS), ZUV_NO_ERROR);
    c.sim->advance(600000);
    ASSERT_EQ(zuvEComCmdSettingsAction(&c.host->handle, ZUV_ECOM_REBOOT_ONLY), ZUV_NO_ERROR);
    c.sim->advance(1500000);
    ASSERT_TRUE(c.sim->waitForOutput(2000));
    c.host->pump(100);

    const FrameList sent = recorder.snapshot();
    std::vector<uint64_t> times;
    for (const TappedFrame *frame : sent.ofId(ZUV_ECOM_LOG_IMU_DATA)) {
        times.push_back(frame->deviceTimeUs);
    }
    // 20 Hz: 0, 50, 100 ms; save at 100 ms pauses 300 ms; reboot at 700 ms lasts a second.
    const std::vector<uint64_t> expected = {0,       50000,   100000,  400000,  450000,  500000,  550000,
                                            600000,  650000,  700000,  1700000, 1750000, 1800000, 1850000,
                                            1900000, 1950000, 2000000, 2050000, 2100000, 2150000, 2200000};
    EXPECT_EQ(times, expected);
    // After the reboot the device clock starts again, and so does its up time.
    const auto imu = sent.ofId(ZUV_ECOM_LOG_IMU_DATA);
    EXPECT_EQ(imu[10]->timeStamp(), 0u);
    EXPECT_EQ(imu[9]->timeStamp(), 700000u);
    EXPECT_EQ(sent.ofId(ZUV_ECOM_LOG_STATUS)[10]->parse().statusData.upTime, 0u);
    EXPECT_EQ(c.host->logCount, 42);  // every log sent reached the host
}

TEST(Link, UnpluggingClosesThePtyAndReplugOpensANewOne) {
    SimConfig config = streamingImu(4);
    char directory[] = "/tmp/zuv-sim-link-XXXXXX";
    ASSERT_NE(::mkdtemp(directory), nullptr);
    config.linkPath = std::string(directory) + "/ttyZUV0";
    Connected c = connect(LinkKind::Pty, config);
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();
    const std::string firstPath = c.sim->ptyPath();
    c.host->pump(100);
    EXPECT_GT(c.host->logCount, 0);

    c.sim->unplug();
    EXPECT_FALSE(c.sim->plugged());
    EXPECT_FALSE(pathExists(firstPath));
    EXPECT_FALSE(pathExists(config.linkPath));
    c.host->pump(20);
    const int before = c.host->logCount;
    c.host->pump(100);
    EXPECT_EQ(c.host->logCount, before);

    ASSERT_EQ(c.sim->replug(), ZUV_NO_ERROR);
    EXPECT_TRUE(pathExists(c.sim->ptyPath()));
    auto again = HostLink::serial(config.linkPath, 115200);  // the stable link follows
    ASSERT_NE(again, nullptr);
    ZuvEComDeviceInfo info{};
    EXPECT_EQ(zuvEComCmdGetInfo(&again->handle, &info), ZUV_NO_ERROR);
    again.reset();
    c.host.reset();
    c.sim->stop();
    EXPECT_FALSE(pathExists(config.linkPath));
    ::rmdir(directory);
}

TEST(Link, UnpluggedUdpGoesQuietAndComesBackOnTheSamePort) {
    Connected c = connect(LinkKind::Udp, streamingImu(4));
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();
    const uint16_t port = c.sim->udpPort();
    c.sim->unplug();
    ZuvEComDeviceInfo info{};
    EXPECT_EQ(zuvEComCmdGetInfo(&c.host->handle, &info), ZUV_TIME_OUT);
    ASSERT_EQ(c.sim->replug(), ZUV_NO_ERROR);
    EXPECT_EQ(c.sim->udpPort(), port);
    EXPECT_EQ(zuvEComCmdGetInfo(&c.host->handle, &info), ZUV_NO_ERROR);
}

TEST(Link, AStableLinkNeverReplacesARealFile) {
    char directory[] = "/tmp/zuv-sim-file-XXXXXX";
    ASSERT_NE(::mkdtemp(directory), nullptr);
    const std::string path = std::string(directory) + "/precious";
    std::ofstream(path) << "keep me";
    SimConfig config;
    config.link = LinkKind::Pty;
    config.linkPath = path;
    Simulator sim(config);
    EXPECT_EQ(sim.start(), ZUV_ERROR);
    EXPECT_NE(sim.errorText().find("not a symbolic link"), std::string::npos);
    std::ifstream kept(path);
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "keep me");
    std::remove(path.c_str());
    ::rmdir(directory);
}

TEST(Link, EachUdpDatagramCarriesExactlyOneFrame) {
    const int socketFd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    socklen_t length = sizeof(address);
    ::getsockname(socketFd, reinterpret_cast<sockaddr *>(&address), &length);

    SimConfig config = streamingImu(1);
    config.clock = ClockMode::Manual;
    config.link = LinkKind::Udp;
    config.udpPeer = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    Simulator sim(config);
    ASSERT_EQ(sim.start(), ZUV_NO_ERROR) << sim.errorText();
    sim.advance(50000);
    ASSERT_TRUE(sim.waitForOutput(2000));
    sim.stop();

    int datagrams = 0;
    uint8_t buffer[8192];
    ssize_t got = 0;
    while ((got = ::recv(socketFd, buffer, sizeof(buffer), MSG_DONTWAIT)) > 0) {
        ++datagrams;
        ASSERT_GE(got, 9);
        EXPECT_EQ(buffer[0], 0xFF);
        EXPECT_EQ(buffer[1], 0x5A);
        EXPECT_EQ(buffer[2], ZUV_ECOM_LOG_IMU_DATA);
        EXPECT_EQ(static_cast<size_t>(got), (buffer[4] | (buffer[5] << 8)) + 9u);
        EXPECT_EQ(buffer[got - 1], 0x33);
    }
    EXPECT_EQ(datagrams, 11);
    ::close(socketFd);
}

struct Extracted {
    int good = 0;
    int badCrc = 0;
    std::vector<uint32_t> imuTimeStamps;
};

// Runs the package's extraction on the host until `frames` good or bad frames came or time ran out.
Extracted extract(HostLink &host, int frames) {
    Extracted out;
    std::vector<uint8_t> payload(ZUV_ECOM_MAX_PAYLOAD_SIZE);
    const auto start = Clock::now();
    while (out.good + out.badCrc < frames && secondsSince(start) < 10.0) {
        uint8_t msgClass = 0;
        uint8_t msgId = 0;
        size_t size = 0;
        uint16_t crc = 0;
        const ZuvErrorCode code = Quarvelis_zuvEComProtocolReceive(&host.handle.protocolHandle, &msgClass, &msgId,
                                                                   payload.data(), &size, payload.size(), crc);
        if (code == ZUV_NO_ERROR) {
            ++out.good;
            if (msgId == ZUV_ECOM_LOG_IMU_DATA && size >= 4) {
                out.imuTimeStamps.push_back(
                    static_cast<uint32_t>(payload[0] | (payload[1] << 8) | (payload[2] << 16) | (payload[3] << 24)));
            }
        } else if (code == ZUV_INVALID_CRC) {
            ++out.badCrc;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return out;
}

TEST(Link, CorruptedCrcsAreWhatTheExtractionCounts) {
    SimConfig config = streamingImu(1);
    config.clock = ClockMode::Manual;
    config.faults.badCrcEvery = 5;
    Connected c = connect(LinkKind::Pty, config);
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();
    c.sim->advance(1000000);  // 201 frames
    const Extracted got = extract(*c.host, 201);
    EXPECT_EQ(got.good, 161);
    EXPECT_EQ(got.badCrc, 40);
    EXPECT_EQ(c.sim->stats().crcCorrupted, 40u);
}

TEST(Link, NoiseBadEndsAndOversizedLengthsCostOnlyTheirOwnFrames) {
    SimConfig config = streamingImu(1);
    config.clock = ClockMode::Manual;
    config.faults.noiseEvery = 3;
    config.faults.badEndEvery = 7;
    config.faults.oversizedLengthEvery = 11;
    Connected c = connect(LinkKind::Pty, config);
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();
    c.sim->advance(1000000);  // frames 1 to 201
    c.sim->setFaults(FaultConfig{});
    c.sim->advance(50000);  // ten clean frames behind them
    // Lost: every 7th and every 11th of the first 201 (both for 77 and 154).
    const int lost = 201 / 7 + 201 / 11 - 201 / 77;
    const Extracted got = extract(*c.host, 211 - lost);
    EXPECT_EQ(got.good, 211 - lost);
    EXPECT_EQ(got.badCrc, 0);
    ASSERT_FALSE(got.imuTimeStamps.empty());
    EXPECT_EQ(got.imuTimeStamps.back(), 1050000u);
}

TEST(Link, AllLogKindsAt200HzArriveInOrderByteForByte) {
    SimConfig config;
    for (uint8_t id = 1; id < 39; ++id) {
        if (newDataRateHz(id) != 0 && id != ZUV_ECOM_LOG_SHIP_MOTION) {
            config.outputModes.push_back({id, 1});
        }
    }
    TapRecorder recorder;
    Connected c = connect(LinkKind::Pty, config, 115200, recorder.tap());
    ASSERT_NE(c.host, nullptr) << c.sim->errorText();

    constexpr size_t kWanted = 3000;  // about 0.6 s of the device's output
    std::vector<std::vector<uint8_t>> received;
    std::vector<uint8_t> payload(ZUV_ECOM_MAX_PAYLOAD_SIZE);
    const auto start = Clock::now();
    while (received.size() < kWanted && secondsSince(start) < 20.0) {
        uint8_t msgClass = 0;
        uint8_t msgId = 0;
        size_t size = 0;
        uint16_t crc = 0;
        const ZuvErrorCode code = Quarvelis_zuvEComProtocolReceive(&c.host->handle.protocolHandle, &msgClass, &msgId,
                                                                   payload.data(), &size, payload.size(), crc);
        if (code == ZUV_NO_ERROR) {
            std::vector<uint8_t> frame(size + 9);
            size_t frameSize = 0;
            zuvEComFrameBuild(msgId, msgClass, payload.data(), size, frame.data(), frame.size(), &frameSize);
            received.push_back(std::move(frame));
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    c.sim->stop();
    const FrameList sent = recorder.snapshot();
    ASSERT_EQ(received.size(), kWanted);
    // Frames written while the host was still opening its port may be gone; from the first one it got, none is.
    size_t first = 0;
    while (first < sent.frames.size() && sent.frames[first].bytes != received[0]) {
        ++first;
    }
    ASSERT_LT(first, 200u);
    ASSERT_LE(first + received.size(), sent.frames.size());
    for (size_t i = 0; i < received.size(); ++i) {
        ASSERT_EQ(received[i], sent.frames[first + i].bytes) << "frame " << i;
    }
}

}  // namespace
}  // namespace zuv::test
