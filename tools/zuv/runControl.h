// Running a diagram until it should end: --duration S (host time from the
// start), --count N (samples counted on one output), SIGINT/SIGTERM, or a
// component that stopped itself. Every Death has run when runDiagram returns.
// Errors: ToolError status 1 when the diagram cannot start (a pin named in a
// connection is gone, ...). Why the run ended is the result; the caller maps
// it to an exit status (a component that stopped itself is status 1).
// Threading: main thread. SampleCounter's callback runs on the producer's
// thread. The main thread sleeps until one of the ending conditions may have
// come (each one wakes it) or a status line is due, and at most a second.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include <CLI/CLI.hpp>

#include "session.h"
#include "wakeup.h"

namespace zuv::tool {

struct RunLimits {
    double durationSeconds = 0;  // 0: no limit
    uint64_t count = 0;          // 0: no limit
};

void addRunLimitOptions(CLI::App &command, RunLimits &limits, const std::string &countedPin = "reader.oData");

class SampleCounter {
public:
    host::SampleCallback callback() {
        return [this](const host::SampleView &) {
            if (count_.fetch_add(1, std::memory_order_relaxed) + 1 == notifyAt_.load(std::memory_order_relaxed)) {
                if (Wakeup *wake = wake_.load(std::memory_order_acquire)) wake->notify();
            }
        };
    }
    uint64_t count() const { return count_.load(std::memory_order_relaxed); }
    // The sample that makes the count reach `count` notifies `wake` (once);
    // nullptr: nobody. Set while no sample can come.
    void notifyAt(uint64_t count, Wakeup *wake) {
        notifyAt_.store(count, std::memory_order_relaxed);
        wake_.store(wake, std::memory_order_release);
    }

private:
    std::atomic<uint64_t> count_{0};
    std::atomic<uint64_t> notifyAt_{0};
    std::atomic<Wakeup *> wake_{nullptr};
};

enum class RunEndReason { StopSignal, Duration, Count, ComponentEnded };

struct RunEnd {
    RunEndReason reason = RunEndReason::StopSignal;
    std::string endedInstance;  // ComponentEnded: who stopped itself
    host::EndState endState = host::EndState::None;
};

struct RunHooks {
    SampleCounter *counter = nullptr;  // needed for RunLimits::count
    // Text of the status line, asked for a few times a second when stderr is a terminal.
    std::function<std::string()> status;
};

// Starts the diagram, waits for the first ending condition, stops it.
RunEnd runDiagram(Session &session, const RunLimits &limits, const RunHooks &hooks = {});

// Starts the diagram; status 1 naming the culprit if it cannot start.
void startDiagram(Session &session);

// The main thread's sleep while a diagram runs: a component's end and the
// stop signal end it early. Made before the diagram starts; it disarms the
// runtime's callback when it goes.
class RunWait {
public:
    explicit RunWait(host::Runtime &rt);
    ~RunWait();
    RunWait(const RunWait &) = delete;
    RunWait &operator=(const RunWait &) = delete;

    Wakeup &wakeup() { return wake_; }  // for other threads that end the run
    void sleep(std::chrono::milliseconds upTo);

private:
    host::Runtime &rt_;
    Wakeup wake_;
};

}  // namespace zuv::tool
