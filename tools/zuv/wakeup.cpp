#include "wakeup.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>

namespace zuv::tool {

namespace {
constexpr std::chrono::milliseconds kWithoutDescriptor{10};
}

Wakeup::Wakeup() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

Wakeup::~Wakeup() {
    if (fd_ >= 0) close(fd_);
}

void Wakeup::notify() noexcept {
    if (fd_ < 0) return;
    const int saved = errno;
    const uint64_t one = 1;
    ssize_t ignored = write(fd_, &one, sizeof one);
    (void)ignored;
    errno = saved;
}

bool Wakeup::wait(std::chrono::milliseconds timeout, int alsoFd) {
    if (fd_ < 0) timeout = std::min(timeout, kWithoutDescriptor);
    pollfd fds[2] = {{fd_, POLLIN, 0}, {alsoFd, POLLIN, 0}};
    const long long ms = std::clamp<long long>(timeout.count(), 0, INT_MAX);
    // A negative descriptor is skipped by poll.
    int ready = poll(fds, 2, static_cast<int>(ms));
    // A signal handler that notifies interrupts the poll it should end.
    if (ready < 0 && errno == EINTR) ready = poll(fds, 2, 0);
    if (ready <= 0) return false;
    if (fds[0].revents != 0) {
        uint64_t drained = 0;
        ssize_t ignored = read(fd_, &drained, sizeof drained);
        (void)ignored;
    }
    return true;
}

}  // namespace zuv::tool
