// When a log with a given output mode is due. The main loop runs every 5 ms of
// simulation time; PPS falls on every whole second; each sensor has its own rate
// for "on new data". Cycles are counted on simulation time, which boots always
// start on, so every mode keeps its exact spacing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zuv::sim {

constexpr uint64_t kMainLoopPeriodUs = 5000;
constexpr uint64_t kPpsPeriodUs = 1000000;

bool isEventMarker(uint8_t logId);
size_t markerInput(uint8_t logId);  // 0 for A ... 4 for E
// The sync input (0 to 3) a mode waits for, or -1.
int syncInputOfMode(uint16_t mode);
// Due at the main-loop cycle at timeUs (divisor, PPS and sensor-rate modes; markers aside).
bool dueAtCycle(uint16_t mode, uint8_t logId, uint64_t timeUs);

}  // namespace zuv::sim
