// One waiting thread woken by others: a component thread, a web request, a
// signal handler. A notify that comes while nobody waits is kept for the next
// wait, so "change the state, then notify" against "wait, then look at the
// state" loses no wake-up. The wait can also watch one more descriptor (the
// stop signal's pipe), which stays readable once it is.
// Errors: if no eventfd can be had, notify does nothing and a wait lasts at
// most 10 ms, so the waiter falls back to looking often.
// Threading: notify() from any thread, also from a signal handler (one write);
// wait() from one thread at a time.
#pragma once

#include <chrono>

namespace zuv::tool {

class Wakeup {
public:
    Wakeup();
    ~Wakeup();
    Wakeup(const Wakeup &) = delete;
    Wakeup &operator=(const Wakeup &) = delete;

    void notify() noexcept;
    // Returns when notified since the last wait returned, when alsoFd
    // (if >= 0) is readable, or after the timeout; true when woken early.
    bool wait(std::chrono::milliseconds timeout, int alsoFd = -1);

private:
    int fd_ = -1;
};

}  // namespace zuv::tool
