#include "stopSignal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>

namespace zuv::tool {

namespace {

std::atomic<int> gStopCount{0};
// Made once, by whichever thread asks first; read by any thread and by the
// signal handler (lock-free atomics are async-signal-safe).
std::atomic<int> gWakeRead{-1};
std::atomic<int> gWakeWrite{-1};
std::once_flag gPipeOnce;

void wake() {
    const int fd = gWakeWrite.load();
    if (fd >= 0) {
        char c = 1;
        ssize_t ignored = write(fd, &c, 1);
        (void)ignored;
    }
}

void onSignal(int) {
    int saved = errno;
    if (gStopCount.fetch_add(1) >= 1) _exit(130);
    wake();
    errno = saved;
}

void ensurePipe() {
    std::call_once(gPipeOnce, [] {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;  // waiters then look every 50 ms
        gWakeWrite.store(fds[1]);
        gWakeRead.store(fds[0]);
    });
}

}  // namespace

void StopSignal::install() {
    ensurePipe();
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    // A reader that goes away (`zuv decode x | head`) is a write error to handle,
    // not a reason to die with recordings half written.
    signal(SIGPIPE, SIG_IGN);
}

bool StopSignal::stopRequested() {
    return gStopCount.load() > 0;
}

int StopSignal::fd() {
    ensurePipe();
    return gWakeRead.load();
}

void StopSignal::request() {
    ensurePipe();
    gStopCount.fetch_add(1);
    wake();
}

void StopSignal::reset() {
    gStopCount.store(0);
    if (const int fd = gWakeRead.load(); fd >= 0) {
        char buf[64];
        while (read(fd, buf, sizeof buf) > 0) {}
    }
}

bool StopSignal::waitFor(std::chrono::milliseconds timeout) {
    ensurePipe();
    if (stopRequested()) return true;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!stopRequested()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        const int fd = gWakeRead.load();
        if (fd < 0) {
            // No pipe to wake us: look again every 50 ms.
            poll(nullptr, 0, static_cast<int>(std::min<long>(left.count(), 50)));
            continue;
        }
        pollfd pfd{fd, POLLIN, 0};
        poll(&pfd, 1, static_cast<int>(left.count()));
    }
    return true;
}

}  // namespace zuv::tool
