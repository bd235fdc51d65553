// The host side of a test: the library's interface and protocol handle on a
// simulator's pseudo-terminal or UDP port, counting the logs the callback gets,
// plus a raw exchange for requests the library would never send.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "zuvECom.h"
#include "zuvEComCommands.h"
#include "zuvInterfaceSerial.h"
#include "zuvInterfaceUdp.h"
#include "zuvSim.h"

namespace zuv::test {
using namespace zuv::sim;

// A port that was free a moment ago (the simulator needs its peer before the host opens).
inline uint16_t freeUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address));
    socklen_t length = sizeof(address);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

inline uint32_t loopbackAddress() {
    return 127u | (1u << 24);
}  // first octet in the low byte

struct RawAnswer {
    uint8_t id = 0;
    std::vector<uint8_t> payload;
};

class HostLink {
public:
    ~HostLink() {
        zuvEComClose(&handle);
        zuvInterfaceDestroy(&link);
    }
    HostLink(const HostLink &) = delete;
    HostLink &operator=(const HostLink &) = delete;

    static std::unique_ptr<HostLink> serial(const std::string &path, uint32_t baud) {
        auto host = std::unique_ptr<HostLink>(new HostLink);
        if (zuvInterfaceSerialCreate(&host->link, path.c_str(), baud) != ZUV_NO_ERROR) {
            return nullptr;
        }
        host->init();
        return host;
    }
    static std::unique_ptr<HostLink> udp(uint16_t simPort, uint16_t localPort) {
        auto host = std::unique_ptr<HostLink>(new HostLink);
        if (zuvInterfaceUdpCreate(&host->link, loopbackAddress(), simPort, localPort) != ZUV_NO_ERROR) {
            return nullptr;
        }
        host->init();
        return host;
    }

    // Pumps the handle for about ms milliseconds (logs go to the callback).
    ZuvErrorCode pump(int ms) {
        ZuvErrorCode last = ZUV_NO_ERROR;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        do {
            last = zuvEComHandle(&handle);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } while (std::chrono::steady_clock::now() < end);
        return last;
    }

    // Sends one class 0x10 frame as given and returns the first command-class frame
    // that comes back within timeoutMs (logs on the way are skipped).
    std::optional<RawAnswer> rawExchange(uint8_t id, const std::vector<uint8_t> &payload, int timeoutMs = 1000,
                                         const std::vector<uint8_t> &prefix = {}) {
        std::vector<uint8_t> frame(prefix);
        std::vector<uint8_t> built(payload.size() + 9);
        size_t size = 0;
        zuvEComFrameBuild(id, ZUV_ECOM_CLASS_CMD_0, payload.data(), payload.size(), built.data(), built.size(), &size);
        frame.insert(frame.end(), built.begin(), built.begin() + static_cast<std::ptrdiff_t>(size));
        return rawSend(frame, timeoutMs);
    }
    std::optional<RawAnswer> rawSend(const std::vector<uint8_t> &bytes, int timeoutMs) {
        zuvInterfaceWrite(&link, bytes.data(), bytes.size());
        std::vector<uint8_t> held;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            uint8_t chunk[4096];
            size_t got = 0;
            zuvInterfaceRead(&link, chunk, &got, sizeof(chunk));
            held.insert(held.end(), chunk, chunk + got);
            for (size_t i = 0; i + 9 <= held.size(); ++i) {
                if (held[i] != 0xFF || held[i + 1] != 0x5A) {
                    continue;
                }
                const size_t n = held[i + 4] | (held[i + 5] << 8);
                if (i + n + 9 > held.size()) {
                    break;
                }
                if (held[i + 3] == ZUV_ECOM_CLASS_CMD_0) {
                    return RawAnswer{held[i + 2], std::vector<uint8_t>(held.begin() + i + 6, held.begin() + i + 6 + n)};
                }
                i += n + 8;
            }
            if (got == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        return std::nullopt;
    }

    ZuvInterface link{};
    ZuvEComHandle handle{};
    int logCount = 0;
    std::array<int, 39> logsById{};

private:
    HostLink() = default;
    void init() {
        zuvEComInit(&handle, &link);
        zuvEComSetReceiveLogCallback(&handle, &HostLink::onLog, this);
    }
    static ZuvErrorCode onLog(ZuvEComHandle *, ZuvEComClass, uint8_t msgId, const ZuvBinaryLogData *, void *user) {
        auto *self = static_cast<HostLink *>(user);
        ++self->logCount;
        if (msgId < self->logsById.size()) {
            ++self->logsById[msgId];
        }
        return ZUV_NO_ERROR;
    }
};

// A simulator and a host connected over the given link kind.
struct Connected {
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<HostLink> host;
    uint16_t hostPort = 0;
};

inline Connected connect(LinkKind kind, SimConfig config, uint32_t hostBaud = 115200, FrameTap tap = nullptr) {
    Connected c;
    config.link = kind;
    if (kind == LinkKind::Udp) {
        c.hostPort = freeUdpPort();
        config.udpBind = "127.0.0.1:0";
        config.udpPeer = "127.0.0.1:" + std::to_string(c.hostPort);
    }
    c.sim = std::make_unique<Simulator>(std::move(config));
    c.sim->setFrameTap(std::move(tap));
    if (c.sim->start() != ZUV_NO_ERROR) {
        return c;
    }
    c.host = kind == LinkKind::Pty ? HostLink::serial(c.sim->ptyPath(), hostBaud)
                                   : HostLink::udp(c.sim->udpPort(), c.hostPort);
    return c;
}

inline std::string linkName(const ::testing::TestParamInfo<LinkKind> &info) {
    return info.param == LinkKind::Pty ? "Pty" : "Udp";
}

}  // namespace zuv::test
