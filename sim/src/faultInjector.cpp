#include "faultInjector.h"

#include "zuvEComProtocol.h"

namespace zuv::sim {

uint32_t FaultInjector::next() {
    // xorshift32: cheap, and the same stream on every platform.
    random_ ^= random_ << 13;
    random_ ^= random_ >> 17;
    random_ ^= random_ << 5;
    return random_;
}

uint32_t FaultInjector::apply(const uint8_t *frame, size_t size, std::vector<uint8_t> &unit, size_t &noiseBytes,
                              SimStats &stats) {
    ++frameCount_;
    unit.clear();
    noiseBytes = 0;
    uint32_t faults = 0;
    if (due(config_.noiseEvery, frameCount_)) {
        noiseBytes = 1 + next() % 16;
        for (size_t i = 0; i < noiseBytes; ++i) {
            unit.push_back(static_cast<uint8_t>(next()));
        }
        faults |= kFaultNoise;
        ++stats.noiseInjected;
    }
    unit.insert(unit.end(), frame, frame + size);
    uint8_t *copy = unit.data() + noiseBytes;
    if (due(config_.badCrcEvery, frameCount_)) {
        copy[size - 3] ^= 0x5A;
        faults |= kFaultBadCrc;
        ++stats.crcCorrupted;
    }
    if (due(config_.badEndEvery, frameCount_)) {
        copy[size - 1] = static_cast<uint8_t>(ZUV_ECOM_ETX ^ 0xFF);
        faults |= kFaultBadEnd;
        ++stats.endCorrupted;
    }
    if (due(config_.oversizedLengthEvery, frameCount_)) {
        const uint16_t length = static_cast<uint16_t>(ZUV_ECOM_MAX_PAYLOAD_SIZE + 1 + next() % 1000);
        copy[4] = static_cast<uint8_t>(length);
        copy[5] = static_cast<uint8_t>(length >> 8);
        faults |= kFaultOversizedLength;
        ++stats.lengthCorrupted;
    }
    return faults;
}

}  // namespace zuv::sim
