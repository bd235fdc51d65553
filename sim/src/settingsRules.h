// What the device accepts. A set request or an imported image that breaks a rule
// is refused with ZUV_INVALID_PARAMETER and changes nothing. The value sets of the
// records' enumerations are checked by the command codec; these are the ranges
// and combinations on top.
#pragma once

#include <cstdint>

#include "deviceSettings.h"

namespace zuv::sim {

bool alignmentAllowed(const ZuvEComSensorAlignmentInfo &alignment, const float leverArm[3]);
bool initConditionAllowed(const ZuvEComInitConditionConf &conf);
bool aidingAllowed(const ZuvEComAidingAssignConf &conf);
bool gnssInstallationAllowed(const ZuvEComGnssInstallation &conf);
bool odometerAllowed(const ZuvEComOdoConf &conf);
bool leverArmAllowed(const float leverArm[3]);
bool uartAllowed(uint8_t port, const ZuvEComInterfaceConf &conf);
bool baudRateSupported(uint32_t baudRate);
// Logs this device can produce (the output configuration refuses the others).
bool logProduced(uint8_t logId);
bool outputModeAllowed(uint16_t mode);
// Every rule at once, for an imported image.
bool settingsAllowed(const DeviceSettings &settings);

struct MotionProfile {
    uint32_t id;
    uint32_t revision;
    const char *name;
};
// Null for an id the device does not know.
const MotionProfile *findMotionProfile(uint32_t id);

}  // namespace zuv::sim
