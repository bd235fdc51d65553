#include "fdWrite.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>

namespace zuv::detail {

ZuvErrorCode writeAllNonBlocking(int fd, const void *pBuffer, size_t size, int timeoutMs) {
    const auto *p = static_cast<const uint8_t *>(pBuffer);
    while (size > 0) {
        const ssize_t written = ::write(fd, p, size);
        if (written > 0) {
            p += written;
            size -= static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return ZUV_WRITE_ERROR;
        }
        pollfd pfd{fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            return ZUV_WRITE_ERROR;
        }
    }
    return ZUV_NO_ERROR;
}

ZuvInterfaceWaitResult waitReadable(int fd, uint32_t timeoutMs) {
    pollfd pfd{fd, POLLIN, 0};
    const int timeout = timeoutMs > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(timeoutMs);
    const int ready = ::poll(&pfd, 1, timeout);
    if (ready == 0) {
        return ZUV_IF_WAIT_TIMEOUT;
    }
    // A signal cuts the wait short: the caller reads, finds nothing and waits again.
    return ZUV_IF_WAIT_READABLE;
}

}  // namespace zuv::detail
