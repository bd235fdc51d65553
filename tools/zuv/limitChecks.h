// Checks of --duration and --count before anything runs: a value that would be
// wrapped or never reached (nan, 1e13 s, -1 samples) is a usage error naming
// the reason, exit status 2.
// Errors: through CLI11 (the validator's text). Threading: main thread.
#pragma once

#include <string>

#include <CLI/CLI.hpp>

namespace zuv::tool {

// About 100 years: host time in microseconds stays far inside int64.
inline constexpr double kMaxDurationSeconds = 100 * 365.25 * 86400;

// "" when `text` is a duration in seconds within 0..kMaxDurationSeconds, else why not.
std::string checkDurationSeconds(const std::string &text);
// "" when `text` is a whole count within 1..2^63-1, else why not.
std::string checkSampleCount(const std::string &text);

CLI::Validator durationSecondsCheck();
CLI::Validator sampleCountCheck();

}  // namespace zuv::tool
