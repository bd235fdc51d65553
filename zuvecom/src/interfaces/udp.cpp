#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "zuvInterfaceUdp.h"

namespace {

constexpr size_t kMaxDatagram = 65536;

struct UdpState {
    int fd = -1;
    sockaddr_in remote{};
    // The rest of a datagram that did not fit the last read.
    uint8_t pending[kMaxDatagram];
    size_t pendingOffset = 0;
    size_t pendingSize = 0;
};

UdpState *stateOf(ZuvInterface *pInterface) {
    if (pInterface == nullptr || pInterface->type != ZUV_IF_TYPE_UDP) {
        return nullptr;
    }
    return static_cast<UdpState *>(pInterface->handle);
}

size_t servePending(UdpState *state, uint8_t *out, size_t room) {
    const size_t available = state->pendingSize - state->pendingOffset;
    const size_t n = available < room ? available : room;
    std::memcpy(out, state->pending + state->pendingOffset, n);
    state->pendingOffset += n;
    if (state->pendingOffset == state->pendingSize) {
        state->pendingOffset = state->pendingSize = 0;
    }
    return n;
}

ZuvErrorCode udpRead(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes, size_t bytesToRead) {
    UdpState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    auto *out = static_cast<uint8_t *>(pBuffer);
    size_t total = servePending(state, out, bytesToRead);
    while (total < bytesToRead) {
        const ssize_t got = ::recv(state->fd, state->pending, sizeof(state->pending), MSG_DONTWAIT);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNREFUSED) {
                break;  // nothing waiting; a refused port is reported by ICMP and is not a broken link
            }
            *pReadBytes = total;
            return total > 0 ? ZUV_NO_ERROR : ZUV_READ_ERROR;
        }
        state->pendingOffset = 0;
        state->pendingSize = static_cast<size_t>(got);
        total += servePending(state, out + total, bytesToRead - total);
    }
    *pReadBytes = total;
    return ZUV_NO_ERROR;
}

ZuvErrorCode udpWrite(ZuvInterface *pInterface, const void *pBuffer, size_t bytesToWrite) {
    UdpState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    for (;;) {
        const ssize_t sent = ::sendto(state->fd, pBuffer, bytesToWrite, 0, reinterpret_cast<const sockaddr *>(&state->remote),
                                      sizeof(state->remote));
        if (sent == static_cast<ssize_t>(bytesToWrite)) {
            return ZUV_NO_ERROR;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        return ZUV_WRITE_ERROR;
    }
}

ZuvErrorCode udpFlush(ZuvInterface *pInterface) {
    UdpState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    state->pendingOffset = state->pendingSize = 0;
    while (::recv(state->fd, state->pending, sizeof(state->pending), MSG_DONTWAIT) >= 0) {
    }
    return ZUV_NO_ERROR;
}

}  // namespace

extern "C" {

ZuvErrorCode zuvInterfaceUdpCreate(ZuvInterface *pInterface, uint32_t remoteAddress, uint32_t remotePort,
                                   uint32_t localPort) {
    if (pInterface == nullptr) {
        return ZUV_NULL_POINTER;
    }
    if (remotePort > 0xFFFFu || localPort > 0xFFFFu) {
        return ZUV_INVALID_PARAMETER;
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return ZUV_ERROR;
    }
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(static_cast<uint16_t>(localPort));
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof(local)) != 0) {
        ::close(fd);
        return ZUV_ERROR;
    }
    auto *state = new (std::nothrow) UdpState;
    if (state == nullptr) {
        ::close(fd);
        return ZUV_MALLOC_FAILED;
    }
    state->fd = fd;
    state->remote.sin_family = AF_INET;
    // Our addresses keep the first octet in the low byte, which is network order on little-endian hosts.
    const uint8_t octets[4] = {static_cast<uint8_t>(remoteAddress), static_cast<uint8_t>(remoteAddress >> 8),
                               static_cast<uint8_t>(remoteAddress >> 16), static_cast<uint8_t>(remoteAddress >> 24)};
    std::memcpy(&state->remote.sin_addr.s_addr, octets, 4);
    state->remote.sin_port = htons(static_cast<uint16_t>(remotePort));

    zuvInterfaceZeroInit(pInterface);
    pInterface->handle = state;
    pInterface->type = ZUV_IF_TYPE_UDP;
    std::snprintf(pInterface->name, sizeof(pInterface->name), "UDP %u.%u.%u.%u:%u", octets[0], octets[1], octets[2],
                  octets[3], remotePort);
    pInterface->pDestroyFunc = zuvInterfaceUdpDestroy;
    pInterface->pReadFunc = udpRead;
    pInterface->pWriteFunc = udpWrite;
    pInterface->pFlushFunc = udpFlush;
    return ZUV_NO_ERROR;
}

ZuvErrorCode zuvInterfaceUdpDestroy(ZuvInterface *pInterface) {
    UdpState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    const int rc = ::close(state->fd);
    delete state;
    zuvInterfaceZeroInit(pInterface);
    return rc == 0 ? ZUV_NO_ERROR : ZUV_ERROR;
}

ZuvErrorCode zuvInterfaceUdpGetLocalPort(ZuvInterface *pInterface, uint32_t *pLocalPort) {
    UdpState *state = stateOf(pInterface);
    if (state == nullptr || pLocalPort == nullptr) {
        return ZUV_NULL_POINTER;
    }
    sockaddr_in local{};
    socklen_t length = sizeof(local);
    if (::getsockname(state->fd, reinterpret_cast<sockaddr *>(&local), &length) != 0) {
        return ZUV_ERROR;
    }
    *pLocalPort = ntohs(local.sin_port);
    return ZUV_NO_ERROR;
}

}  // extern "C"
