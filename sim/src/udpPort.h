// The device end of a UDP link: a socket bound to a local address, sending each
// frame as one datagram to one peer on the loopback network.
#pragma once

#include <netinet/in.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "zuvErrorCodes.h"

namespace zuv::sim {

// "a.b.c.d:port" -> address; false for anything else.
bool parseEndpoint(const std::string &text, sockaddr_in &out);
bool isLoopback(const sockaddr_in &address);

enum class SendResult { Sent, WouldBlock, Lost };

class UdpPort {
public:
    UdpPort() = default;
    ~UdpPort();
    UdpPort(const UdpPort &) = delete;
    UdpPort &operator=(const UdpPort &) = delete;

    // ZUV_INVALID_PARAMETER for an address that does not parse or a peer off loopback.
    ZuvErrorCode open(const std::string &bind, const std::string &peer, std::string &error);
    void close();

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    uint16_t localPort() const { return localPort_; }

    // One datagram, or -1 (errno EAGAIN when none waits).
    ssize_t receive(uint8_t *buffer, size_t size);
    // Lost covers a peer that is not listening: a device does not care.
    SendResult send(const uint8_t *data, size_t size);

private:
    int fd_ = -1;
    uint16_t localPort_ = 0;
    sockaddr_in peer_{};
    sockaddr_in bind_{};
};

}  // namespace zuv::sim
