#include "simDeviceLink.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zuv::test {

uint16_t FreeUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) {
        return 0;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

SimLink::SimLink(const SimLinkOptions &options) {
    zuv::sim::SimConfig config;
    config.clock = options.clock;
    config.link = options.link;
    config.outputModes = options.outputModes;
    uint16_t localPort = 0;
    if (options.link == zuv::sim::LinkKind::Udp) {
        localPort = FreeUdpPort();
        config.udpBind = "127.0.0.1:0";
        config.udpPeer = "127.0.0.1:" + std::to_string(localPort);
    }
    sim_ = std::make_unique<zuv::sim::Simulator>(config);
    if (sim_->start() != ZUV_NO_ERROR) {
        failure_ = "simulator: " + sim_->errorText();
        return;
    }
    const ZuvErrorCode rc = options.link == zuv::sim::LinkKind::Udp
                                ? link_.Connect("127.0.0.1", uint32_t{sim_->udpPort()}, uint32_t{localPort})
                                : link_.Connect(sim_->ptyPath(), 115200u, false);
    if (rc != ZUV_NO_ERROR) {
        failure_ = "connect: " + std::to_string(rc);
        return;
    }
    sim_->clearCommands();
}

SimLink::~SimLink() {
    link_.Disconnect();
    sim_->stop();
}

}  // namespace zuv::test
