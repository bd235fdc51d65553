// The timing options of `zuv sim`: clock drift, bursts, gaps and the truth file.
#pragma once

#include <string>

#include "zuvSim.h"

namespace CLI {
class App;
}

namespace zuv::sim {

void addTimingOptions(CLI::App &app, TimingConfig &timing);
// False with a message that names the bad option.
bool checkTimingOptions(const TimingConfig &timing, std::string &error);

}  // namespace zuv::sim
