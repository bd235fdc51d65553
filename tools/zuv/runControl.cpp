#include "runControl.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "limitChecks.h"
#include "stopSignal.h"
#include "toolError.h"

namespace zuv::tool {

namespace {
constexpr std::chrono::milliseconds kPollSlice{10};
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

RunEnd runDiagram(Session &session, const RunLimits &limits, const RunHooks &hooks) {
    host::Runtime &rt = session.runtime();
    StatusLine &status = session.context().status;
    startDiagram(session);
    RunEnd end;
    const int64_t durationUs = static_cast<int64_t>(limits.durationSeconds * 1e6);
    auto nextStatus = std::chrono::steady_clock::now();
    for (;;) {
        if (host::Instance *ended = rt.WaitForEnded(kPollSlice)) {
            end.reason = RunEndReason::ComponentEnded;
            end.endedInstance = ended->Name();
            end.endState = ended->LastEnd();
            break;
        }
        if (StopSignal::stopRequested()) {
            end.reason = RunEndReason::StopSignal;
            break;
        }
        if (limits.durationSeconds > 0 && rt.Now() >= durationUs) {
            end.reason = RunEndReason::Duration;
            break;
        }
        if (limits.count > 0 && hooks.counter != nullptr && hooks.counter->count() >= limits.count) {
            end.reason = RunEndReason::Count;
            break;
        }
        if (hooks.status && status.enabled() && std::chrono::steady_clock::now() >= nextStatus) {
            status.show(hooks.status());
            nextStatus = std::chrono::steady_clock::now() + kStatusEvery;
        }
    }
    rt.Stop();
    status.finish();
    return end;
}

}  // namespace zuv::tool
