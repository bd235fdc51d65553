// When a log with a given output mode is due. The main loop runs every 5 ms of
// simulation time; PPS falls on every whole second; each sensor has its own rate
// for "on new data". Cycles are counted on simulation time, which boots always
// start on, so every mode keeps its exact spacing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "zuvEComIds.h"
#include "zuvEComLogCatalogue.h"

namespace zuv::sim {

constexpr uint64_t kMainLoopPeriodUs = 5000;
constexpr uint64_t kPpsPeriodUs = 1000000;

size_t markerInput(uint8_t logId);  // 0 for A ... 4 for E
// The sync input (0 to 3) a mode waits for, or -1.
int syncInputOfMode(uint16_t mode);

// One log that a main-loop cycle looks at.
struct CycleLog {
    uint8_t logId;
    bool marker;             // an event marker: its pulses, not the loop, give it new data
    uint16_t newDataRateHz;  // the sensor's own rate behind "On New Data"
};

// Produced on the main loop, though no reader property offers it.
constexpr CycleLog kShipMotionLog{ZUV_ECOM_LOG_SHIP_MOTION, false, 200};

constexpr bool emittedBefore(const CycleLog &a, const CycleLog &b) {
    return a.marker != b.marker ? a.marker : a.logId < b.logId;
}

// Every kind of a kinds table, and ship motion, in the order a cycle emits
// them: the event markers first (their time stamps lie before the cycle's
// own), then by id. A kind needs nothing but its row to be streamed.
template <size_t N>
constexpr std::array<CycleLog, N + 1> cyclePlanOf(const catalogue::LogKind (&kinds)[N]) {
    std::array<CycleLog, N + 1> plan{};
    for (size_t i = 0; i < N; ++i) {
        plan[i] = {kinds[i].msgId, kinds[i].record == catalogue::Record::Event, kinds[i].newDataRateHz};
    }
    plan[N] = kShipMotionLog;
    for (size_t i = 1; i < plan.size(); ++i) {
        for (size_t j = i; j > 0 && emittedBefore(plan[j], plan[j - 1]); --j) {
            const CycleLog earlier = plan[j];
            plan[j] = plan[j - 1];
            plan[j - 1] = earlier;
        }
    }
    return plan;
}

// The device's own: the log catalogue's kinds and ship motion.
constexpr auto kCyclePlan = cyclePlanOf(catalogue::kLogKinds);

// Due at the main-loop cycle at timeUs (divisor, PPS and sensor-rate modes;
// a marker's new data is its pulses, which the device tracks itself).
bool dueAtCycle(uint16_t mode, const CycleLog &log, uint64_t timeUs);

}  // namespace zuv::sim
