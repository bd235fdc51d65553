#include "timingOptions.h"

#include <CLI/CLI.hpp>
#include <cmath>

namespace zuv::sim {

void addTimingOptions(CLI::App &app, TimingConfig &timing) {
    app.add_option("--clock-drift-ppm", timing.clockDriftPpm,
                   "The device clock runs PPM parts per million fast against the host's (negative: slow); "
                   "--ts-start sets its offset")
        ->type_name("PPM");
    app.add_option("--burst-ms", timing.burstMs, "Deliver frames in bursts every N ms, like a USB serial adapter")
        ->type_name("N")
        ->check(CLI::Range(0, 1000));
    app.add_option("--drop-every", timing.dropEvery, "Never send every N-th frame of each log: gaps in its ts")
        ->type_name("N");
    app.add_option("--truth", timing.truthFile,
                   "Write 'ID TS HOST_US' for every log frame sent: when it was made, in microseconds of the "
                   "host's monotonic clock (TS '-' for logs without one)")
        ->type_name("FILE");
}

bool checkTimingOptions(const TimingConfig &timing, std::string &error) {
    if (!std::isfinite(timing.clockDriftPpm) || std::fabs(timing.clockDriftPpm) > kMaxClockDriftPpm) {
        error = "--clock-drift-ppm wants a drift of at most 1000 ppm either way";
        return false;
    }
    if (timing.dropEvery == 1) {
        error = "--drop-every 1 would send no log at all; use 2 or more";
        return false;
    }
    return true;
}

}  // namespace zuv::sim
