#include "udpPort.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zuv::sim {

bool parseEndpoint(const std::string &text, sockaddr_in &out) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) {
        return false;
    }
    const std::string host = text.substr(0, colon);
    const std::string port = text.substr(colon + 1);
    if (port.find_first_not_of("0123456789") != std::string::npos || port.size() > 5) {
        return false;
    }
    const unsigned long number = std::strtoul(port.c_str(), nullptr, 10);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (number > 65535 || ::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        return false;
    }
    address.sin_port = htons(static_cast<uint16_t>(number));
    out = address;
    return true;
}

bool isLoopback(const sockaddr_in &address) {
    return (ntohl(address.sin_addr.s_addr) >> 24) == 127;
}

UdpPort::~UdpPort() {
    close();
}

ZuvErrorCode UdpPort::open(const std::string &bind, const std::string &peer, std::string &error) {
    close();
    sockaddr_in local{};
    sockaddr_in remote{};
    if (!parseEndpoint(bind, local)) {
        error = "bad UDP bind address '" + bind + "' (want ADDR:PORT)";
        return ZUV_INVALID_PARAMETER;
    }
    if (!parseEndpoint(peer, remote) || remote.sin_port == 0) {
        error = "bad UDP peer address '" + peer + "' (want ADDR:PORT)";
        return ZUV_INVALID_PARAMETER;
    }
    if (!isLoopback(remote)) {
        error = "the UDP peer must be on the loopback network (127.0.0.0/8)";
        return ZUV_INVALID_PARAMETER;
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot create a UDP socket: ") + std::strerror(errno);
        return ZUV_ERROR;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof(local)) != 0) {
        error = "cannot bind " + bind + ": " + std::strerror(errno);
        ::close(fd);
        return ZUV_ERROR;
    }
    sockaddr_in bound{};
    socklen_t length = sizeof(bound);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &length);
    fd_ = fd;
    localPort_ = ntohs(bound.sin_port);
    peer_ = remote;
    bind_ = local;
    return ZUV_NO_ERROR;
}

void UdpPort::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

ssize_t UdpPort::receive(uint8_t *buffer, size_t size) {
    for (;;) {
        const ssize_t got = ::recv(fd_, buffer, size, MSG_DONTWAIT);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got;
    }
}

SendResult UdpPort::send(const uint8_t *data, size_t size) {
    for (;;) {
        const ssize_t sent = ::sendto(fd_, data, size, 0, reinterpret_cast<const sockaddr *>(&peer_), sizeof(peer_));
        if (sent >= 0) {
            return SendResult::Sent;
        }
        if (errno == EINTR) {
            continue;
        }
        return (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS) ? SendResult::WouldBlock
                                                                             : SendResult::Lost;
    }
}

}  // namespace zuv::sim
