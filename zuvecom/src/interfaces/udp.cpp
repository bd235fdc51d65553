#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "fdWrite.h"
#include "osError.h"
#include "zuvInterfaceUdp.h"

namespace {

constexpr size_t kMaxDatagram = 65536;
// A second of every log at 200 Hz needs a few megabytes; the kernel caps the
// request at net.core.rmem_max, which is the most we can have anyway.
constexpr int kReceiveBufferBytes = 8 * 1024 * 1024;

struct UdpState {
    int fd = -1;
    sockaddr_in remote{};
    // The rest of a datagram that did not fit the last read.
    uint8_t pending[kMaxDatagram];
    size_t pendingOffset = 0;
    size_t pendingSize = 0;
    uint32_t kernelDrops = 0;  // SO_RXQ_OVFL: datagrams the kernel dropped on this socket so far
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

// recvmsg, so that the kernel's drop count rides along with the datagram.
ssize_t receiveDatagram(UdpState *state) {
    iovec data{state->pending, sizeof(state->pending)};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(uint32_t))];
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof(control);
    const ssize_t got = ::recvmsg(state->fd, &message, MSG_DONTWAIT);
    if (got < 0) {
        return got;
    }
    for (cmsghdr *c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SO_RXQ_OVFL) {
            std::memcpy(&state->kernelDrops, CMSG_DATA(c), sizeof(state->kernelDrops));
        }
    }
    return got;
}

ZuvErrorCode udpRead(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes, size_t bytesToRead) {
    UdpState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    auto *out = static_cast<uint8_t *>(pBuffer);
    size_t total = servePending(state, out, bytesToRead);
    while (total < bytesToRead) {
        const ssize_t got = receiveDatagram(state);
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
        const ssize_t sent = ::sendto(state->fd, pBuffer, bytesToWrite, 0,
                                      reinterpret_cast<const sockaddr *>(&state->remote), sizeof(state->remote));
        if (sent == static_cast<ssize_t>(bytesToWrite)) {
            return ZUV_NO_ERROR;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        return ZUV_WRITE_ERROR;
    }
}

ZuvInterfaceWaitResult udpWait(ZuvInterface *pInterface, uint32_t timeoutMs) {
    UdpState *state = stateOf(pInterface);
    if (state == nullptr || state->pendingOffset < state->pendingSize) {
        return ZUV_IF_WAIT_READABLE;  // the rest of a datagram is already here
    }
    return zuv::detail::waitReadable(state->fd, timeoutMs);
}

ZuvErrorCode udpFlush(ZuvInterface *pInterface) {
    UdpState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    state->pendingOffset = state->pendingSize = 0;
    while (receiveDatagram(state) >= 0) {}
    return ZUV_NO_ERROR;
}

}  // namespace

extern "C" {

ZuvErrorCode zuvInterfaceUdpCreate(ZuvInterface *pInterface, uint32_t remoteAddress, uint32_t remotePort,
                                   uint32_t localPort) {
    if (pInterface == nullptr) {
        return ZUV_NULL_POINTER;
    }
    zuv::detail::RecordOsError(0);
    if (remotePort > 0xFFFFu || localPort > 0xFFFFu) {
        return ZUV_INVALID_PARAMETER;
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        zuv::detail::RecordOsError(errno);
        return ZUV_ERROR;
    }
    // No SO_REUSEADDR: a second process binding the port must fail, not share our datagrams.
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_RXQ_OVFL, &yes, sizeof(yes));
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof(kReceiveBufferBytes));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(static_cast<uint16_t>(localPort));
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof(local)) != 0) {
        zuv::detail::RecordOsError(errno);
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
    // Connected, the kernel delivers only the device's datagrams. "0.0.0.0" keeps any sender.
    if (remoteAddress != 0 && remotePort != 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr *>(&state->remote), sizeof(state->remote)) != 0) {
        zuv::detail::RecordOsError(errno);
        ::close(fd);
        delete state;
        return ZUV_ERROR;
    }

    zuvInterfaceZeroInit(pInterface);
    pInterface->handle = state;
    pInterface->type = ZUV_IF_TYPE_UDP;
    std::snprintf(pInterface->name, sizeof(pInterface->name), "UDP %u.%u.%u.%u:%u", octets[0], octets[1], octets[2],
                  octets[3], remotePort);
    pInterface->pDestroyFunc = zuvInterfaceUdpDestroy;
    pInterface->pReadFunc = udpRead;
    pInterface->pWriteFunc = udpWrite;
    pInterface->pFlushFunc = udpFlush;
    pInterface->pWaitFunc = udpWait;
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

ZuvErrorCode zuvInterfaceUdpGetDropCount(ZuvInterface *pInterface, uint64_t *pDrops) {
    UdpState *state = stateOf(pInterface);
    if (state == nullptr || pDrops == nullptr) {
        return ZUV_NULL_POINTER;
    }
    *pDrops = state->kernelDrops;
    return ZUV_NO_ERROR;
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
