// The device's configuration: every record the commands read and write, the
// UART setting of each port and the output mode of each log on each port.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "zuvEComCommandRecords.h"

namespace zuv::sim {

constexpr size_t kPortCount = 5;
constexpr size_t kLogClassCount = 2;
constexpr size_t kLogIdCount = 39;
constexpr uint32_t kFactoryBaudRate = 115200;
// Aiding assignment values besides ports 0-4 and sync inputs 0-3.
constexpr uint8_t kNoModule = 0xFF;
constexpr uint8_t kInternalGnss = 5;

class OutputModes {
public:
    uint16_t get(uint8_t port, uint8_t msgClass, uint8_t logId) const { return modes_[index(port, msgClass, logId)]; }
    void set(uint8_t port, uint8_t msgClass, uint8_t logId, uint16_t mode) {
        modes_[index(port, msgClass, logId)] = mode;
    }
    bool operator==(const OutputModes &other) const { return modes_ == other.modes_; }

private:
    static size_t index(uint8_t port, uint8_t msgClass, uint8_t logId) {
        return (static_cast<size_t>(port) * kLogClassCount + msgClass) * kLogIdCount + logId;
    }
    std::array<uint16_t, kPortCount * kLogClassCount * kLogIdCount> modes_{};
};

struct DeviceSettings {
    ZuvEComSensorAlignmentInfo alignment{};
    float leverArm[3] = {0, 0, 0};
    ZuvEComInitConditionConf initCondition{};
    uint32_t motionProfileId = 0;
    ZuvEComAidingAssignConf aiding{};
    ZuvEComGnssInstallation gnss1Installation{};
    ZuvEComGnssRejectionConf gnss1Rejection{};
    ZuvEComOdoConf odometer{};
    float odometerLeverArm[3] = {0, 0, 0};
    ZuvEComOdoRejectionConf odometerRejection{};
    ZuvEComAdvancedConf advanced{};
    std::array<ZuvEComInterfaceConf, kPortCount> uart{};
    OutputModes outputs;
};

DeviceSettings factorySettings();

}  // namespace zuv::sim
