#include "runControl.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "limitChecks.h"
#include "stopSignal.h"
#include "toolError.h"
#include "wakeup.h"

namespace zuv::tool {

namespace {
// Every ending condition wakes the wait; the slice only bounds one that
// somehow did not.
constexpr std::chrono::milliseconds kSafetySlice{1000};
constexpr std::chrono::milliseconds kWithoutStopPipe{50};
constexpr std::chrono::milliseconds kStatusEvery{250};
constexpr std::chrono::milliseconds kStartWatchSlice{50};
}  // namespace

void addRunLimitOptions(CLI::App &command, RunLimits &limits, const std::string &countedPin) {
    command.add_option("--duration", limits.durationSeconds, "Stop after S seconds of host time (default: no limit)")
        ->type_name("S")
        ->check(durationSecondsCheck());
    command.add_option("--count", limits.count, "Stop after N samples on " + countedPin + " (default: no limit)")
        ->type_name("N")
        ->check(sampleCountCheck());
}

void startDiagram(Session &session) {
    host::Runtime &rt = session.runtime();
    // Start returns once every Birth has; a Birth waiting for a device that
    // never answers must not hold a stop request that long. Stop is idempotent
    // and may come from another thread; it is repeated in case it came before
    // the run existed.
    std::atomic<bool> started{false};
    std::thread watcher([&rt, &started] {
        while (!started.load()) {
            if (StopSignal::waitFor(kStartWatchSlice)) {
                rt.Stop();
                std::this_thread::sleep_for(kStartWatchSlice);
            }
        }
    });
    struct JoinWatcher {
        std::atomic<bool> &started;
        std::thread &watcher;
        ~JoinWatcher() {
            started.store(true);
            watcher.join();
        }
    } joinWatcher{started, watcher};
    try {
        rt.Start();
    } catch (const host::HostError &e) {
        rt.Stop();
        throw runError(std::string("cannot start: ") + e.what());
    }
}

RunWait::RunWait(host::Runtime &rt) : rt_(rt) {
    rt_.SetEndedCallback([this] { wake_.notify(); });
}

RunWait::~RunWait() {
    rt_.SetEndedCallback(nullptr);
}

void RunWait::sleep(std::chrono::milliseconds upTo) {
    const int stopFd = StopSignal::fd();
    if (stopFd < 0) upTo = std::min(upTo, kWithoutStopPipe);
    wake_.wait(upTo, stopFd);
}

RunEnd runDiagram(Session &session, const RunLimits &limits, const RunHooks &hooks) {
    host::Runtime &rt = session.runtime();
    StatusLine &status = session.context().status;
    RunWait wait(rt);
    const bool counting = limits.count > 0 && hooks.counter != nullptr;
    // Armed before Start, disarmed (before the wait goes) once every thread
    // that could notify is gone, or never came: Start failed.
    struct CounterArm {
        SampleCounter *counter;
        ~CounterArm() {
            if (counter != nullptr) counter->notifyAt(0, nullptr);
        }
    } arm{counting ? hooks.counter : nullptr};
    if (counting) hooks.counter->notifyAt(limits.count, &wait.wakeup());
    startDiagram(session);
    RunEnd end;
    const int64_t durationUs = static_cast<int64_t>(limits.durationSeconds * 1e6);
    const bool showStatus = hooks.status && status.enabled();
    auto nextStatus = std::chrono::steady_clock::now();
    for (;;) {
        if (host::Instance *ended = rt.WaitForEnded(std::chrono::milliseconds(0))) {
            end.reason = RunEndReason::ComponentEnded;
            end.endedInstance = ended->Name();
            end.endState = ended->LastEnd();
            break;
        }
        if (StopSignal::stopRequested()) {
            end.reason = RunEndReason::StopSignal;
            break;
        }
        auto slice = kSafetySlice;
        if (limits.durationSeconds > 0) {
            const int64_t leftUs = durationUs - rt.Now();
            if (leftUs <= 0) {
                end.reason = RunEndReason::Duration;
                break;
            }
            slice = std::min(slice, std::chrono::milliseconds((leftUs + 999) / 1000));
        }
        if (counting && hooks.counter->count() >= limits.count) {
            end.reason = RunEndReason::Count;
            break;
        }
        if (showStatus) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= nextStatus) {
                status.show(hooks.status());
                nextStatus = std::chrono::steady_clock::now() + kStatusEvery;
            }
            slice = std::min(slice, std::chrono::ceil<std::chrono::milliseconds>(nextStatus - now));
        }
        wait.sleep(slice);
    }
    rt.Stop();
    status.finish();
    return end;
}

}  // namespace zuv::tool
