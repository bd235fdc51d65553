#include "stopSignal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace zuv::tool {

namespace {

std::atomic<int> gStopCount{0};
int gWakePipe[2] = {-1, -1};

void onSignal(int) {
    int saved = errno;
    if (gStopCount.fetch_add(1) >= 1) _exit(130);
    if (gWakePipe[1] >= 0) {
        char c = 1;
        ssize_t ignored = write(gWakePipe[1], &c, 1);
        (void)ignored;
    }
    errno = saved;
}

void ensurePipe() {
    if (gWakePipe[0] >= 0) return;
    if (pipe2(gWakePipe, O_CLOEXEC | O_NONBLOCK) != 0) gWakePipe[0] = gWakePipe[1] = -1;
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
    return gWakePipe[0];
}

void StopSignal::request() {
    ensurePipe();
    gStopCount.fetch_add(1);
    if (gWakePipe[1] >= 0) {
        char c = 1;
        ssize_t ignored = write(gWakePipe[1], &c, 1);
        (void)ignored;
    }
}

void StopSignal::reset() {
    gStopCount.store(0);
    if (gWakePipe[0] >= 0) {
        char buf[64];
        while (read(gWakePipe[0], buf, sizeof buf) > 0) {}
    }
}

bool StopSignal::waitFor(std::chrono::milliseconds timeout) {
    ensurePipe();
    if (stopRequested()) return true;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!stopRequested()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        if (gWakePipe[0] < 0) {
            // No pipe to wake us: look again every 50 ms.
            poll(nullptr, 0, static_cast<int>(std::min<long>(left.count(), 50)));
            continue;
        }
        pollfd pfd{gWakePipe[0], POLLIN, 0};
        poll(&pfd, 1, static_cast<int>(left.count()));
    }
    return true;
}

}  // namespace zuv::tool
