// Whether the configured logs fit the serial link: bytes per second they need
// (frame size x rate; "On New Data" at the sensor's own rate, "On PPS" once a
// second, sync-triggered logs left out) against baud / 10 bytes per second.
// Errors: none. Threading: pure functions. Allocates (start-up only).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "zuvEComLogCatalogue.h"

namespace zuv {

constexpr double kBudgetWarningShare = 0.9;

// The rate choice (index into catalogue::kRateChoices) of each log kind, in catalogue order.
using RateChoices = std::array<size_t, catalogue::kLogKindCount>;

// Frames per second one choice asks of a log; 0 for "Disabled" and sync events.
double ChoiceFramesPerSecond(size_t choice, uint8_t logId);
double NeededBytesPerSecond(const RateChoices &choices);
// Empty when the logs fit; otherwise the warning, beginning "Configured logs need ".
std::string LinkBudgetWarning(const RateChoices &choices, uint32_t baudRate);

}  // namespace zuv
