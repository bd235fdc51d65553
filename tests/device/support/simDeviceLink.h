// A simulated device on a pseudo-terminal or loopback UDP, and a device link
// connected to it.
// Threading: the simulator runs its own thread; the link is the test's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ZuvCommunication.h"
#include "zuvSim.h"

namespace zuv::test {

struct SimLinkOptions {
    zuv::sim::ClockMode clock = zuv::sim::ClockMode::Manual;
    zuv::sim::LinkKind link = zuv::sim::LinkKind::Pty;
    std::vector<zuv::sim::OutputModeSetting> outputModes;  // none: a device that streams no log
};

// A loopback UDP port that was free a moment ago.
uint16_t FreeUdpPort();

class SimLink {
public:
    explicit SimLink(const SimLinkOptions &options = {});
    ~SimLink();

    // Empty when the device and the link came up; the reason otherwise.
    const std::string &failure() const { return failure_; }
    zuv::sim::Simulator &sim() { return *sim_; }
    CZuvCommunication &link() { return link_; }
    // The commands the device took since the link came up.
    std::vector<zuv::sim::CommandRecord> commands() const { return sim_->commands(); }

private:
    std::unique_ptr<zuv::sim::Simulator> sim_;
    CZuvCommunication link_;
    std::string failure_;
};

}  // namespace zuv::test
