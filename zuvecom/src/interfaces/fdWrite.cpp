#include "fdWrite.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace zuv::detail
