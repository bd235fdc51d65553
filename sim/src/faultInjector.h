// Damages outgoing log frames on purpose, as a bad cable or a buggy device would,
// so that hosts can be tested against it. Counts what it did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "zuvSim.h"

namespace zuv::sim {

class FaultInjector {
public:
    explicit FaultInjector(uint32_t seed) : random_(seed == 0 ? 0x9E3779B9u : seed) {}

    void configure(const FaultConfig &config) { config_ = config; }
    const FaultConfig &config() const { return config_; }

    // Builds [noise][frame] in `unit` from a correct log frame; returns the fault bits.
    uint32_t apply(const uint8_t *frame, size_t size, std::vector<uint8_t> &unit, size_t &noiseBytes, SimStats &stats);

private:
    static bool due(uint32_t every, uint64_t count) { return every != 0 && count % every == 0; }
    uint32_t next();

    FaultConfig config_;
    uint64_t frameCount_ = 0;
    uint32_t random_;
};

}  // namespace zuv::sim
