// Running a diagram until it should end: --duration S (host time from the
// start), --count N (samples counted on one output), SIGINT/SIGTERM, or a
// component that stopped itself. Every Death has run when runDiagram returns.
// Errors: ToolError status 1 when the diagram cannot start (a pin named in a
// connection is gone, ...). Why the run ended is the result; the caller maps
// it to an exit status (a component that stopped itself is status 1).
// Threading: main thread. SampleCounter's callback runs on the producer's
// thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include <CLI/CLI.hpp>

#include "session.h"

namespace zuv::tool {

struct RunLimits {
    double durationSeconds = 0;  // 0: no limit
    uint64_t count = 0;          // 0: no limit
};

void addRunLimitOptions(CLI::App &command, RunLimits &limits, const std::string &countedPin = "reader.oData");

class SampleCounter {
public:
    host::SampleCallback callback() {
        return [this](const host::SampleView &) { count_.fetch_add(1, std::memory_order_relaxed); };
    }
    uint64_t count() const { return count_.load(std::memory_order_relaxed); }

private:
    std::atomic<uint64_t> count_{0};
};

enum class RunEndReason { StopSignal, Duration, Count, ComponentEnded };

struct RunEnd {
    RunEndReason reason = RunEndReason::StopSignal;
    std::string endedInstance;  // ComponentEnded: who stopped itself
    host::EndState endState = host::EndState::None;
};

struct RunHooks {
    const SampleCounter *counter = nullptr;  // needed for RunLimits::count
    // Text of the status line, asked for a few times a second when stderr is a terminal.
    std::function<std::string()> status;
};

// Starts the diagram, waits for the first ending condition, stops it.
RunEnd runDiagram(Session &session, const RunLimits &limits, const RunHooks &hooks = {});

// Starts the diagram; status 1 naming the culprit if it cannot start.
void startDiagram(Session &session);

}  // namespace zuv::tool
