#include "settingsRules.h"

#include <cmath>

#include "zuvEComIds.h"
#include "zuvEComLogCatalogue.h"

namespace zuv::sim {

namespace {

bool finiteWithin(double value, double limit) {
    return std::isfinite(value) && std::fabs(value) <= limit;
}

// Two axis directions on the same body axis (forward/backward, left/right, up/down) cannot both hold.
bool sameAxis(ZuvEComAxisDirection a, ZuvEComAxisDirection b) {
    return a / 2 == b / 2;
}

constexpr MotionProfile kMotionProfiles[] = {
    {1, 3, "GENERAL_PURPOSE"}, {2, 2, "AUTOMOTIVE"}, {3, 2, "MARINE"},
    {4, 1, "AIRPLANE"},        {5, 1, "HELICOPTER"}, {6, 1, "PEDESTRIAN"},
};

}  // namespace

bool leverArmAllowed(const float leverArm[3]) {
    for (int i = 0; i < 3; ++i) {
        if (!finiteWithin(leverArm[i], 100.0)) {
            return false;
        }
    }
    return true;
}

bool alignmentAllowed(const ZuvEComSensorAlignmentInfo &alignment, const float leverArm[3]) {
    return !sameAxis(alignment.axisDirectionX, alignment.axisDirectionY) && finiteWithin(alignment.misRoll, 180.0) &&
           finiteWithin(alignment.misPitch, 180.0) && finiteWithin(alignment.misYaw, 180.0) &&
           leverArmAllowed(leverArm);
}

bool initConditionAllowed(const ZuvEComInitConditionConf &conf) {
    return finiteWithin(conf.latitude, 90.0) && finiteWithin(conf.longitude, 180.0) && std::isfinite(conf.altitude) &&
           conf.altitude >= -10000.0 && conf.altitude <= 100000.0 && conf.year >= 1980 && conf.year <= 2100 &&
           conf.month >= 1 && conf.month <= 12 && conf.day >= 1 && conf.day <= 31;
}

bool aidingAllowed(const ZuvEComAidingAssignConf &conf) {
    const auto portOrNone = [](uint8_t value) { return value < kPortCount || value == kNoModule; };
    return (portOrNone(conf.gnss1Module) || conf.gnss1Module == kInternalGnss) &&
           (conf.gnss1Sync < 4 || conf.gnss1Sync == kNoModule) && portOrNone(conf.rtcmModule) &&
           conf.odometerPinsConf <= 2;
}

bool gnssInstallationAllowed(const ZuvEComGnssInstallation &conf) {
    return leverArmAllowed(conf.leverArmPrimary) && leverArmAllowed(conf.leverArmSecondary);
}

bool odometerAllowed(const ZuvEComOdoConf &conf) {
    return std::isfinite(conf.gain) && conf.gain > 0.0f && conf.gain <= 1e6f && conf.gainError <= 100;
}

bool baudRateSupported(uint32_t baudRate) {
    switch (baudRate) {
        case 4800:
        case 9600:
        case 19200:
        case 38400:
        case 57600:
        case 115200:
        case 230400:
        case 460800:
        case 921600: return true;
        default: return false;
    }
}

bool uartAllowed(uint8_t port, const ZuvEComInterfaceConf &conf) {
    // Switching off the main port would cut the host off for good.
    return port < kPortCount && baudRateSupported(conf.baudRate) &&
           !(port == ZUV_ECOM_IF_COM_A && conf.mode == ZUV_ECOM_UART_MODE_OFF);
}

bool logProduced(uint8_t logId) {
    // Every kind a host can ask for, and ship motion, which no reader property offers.
    return logId == ZUV_ECOM_LOG_SHIP_MOTION || catalogue::kindOf(logId) != nullptr;
}

bool outputModeAllowed(uint16_t mode) {
    return zuvEComOutputModeIsValid(mode) != 0;
}

bool settingsAllowed(const DeviceSettings &s) {
    if (!alignmentAllowed(s.alignment, s.leverArm) || !initConditionAllowed(s.initCondition) ||
        findMotionProfile(s.motionProfileId) == nullptr || !aidingAllowed(s.aiding) ||
        !gnssInstallationAllowed(s.gnss1Installation) || !odometerAllowed(s.odometer) ||
        !leverArmAllowed(s.odometerLeverArm)) {
        return false;
    }
    for (uint8_t port = 0; port < kPortCount; ++port) {
        if (!uartAllowed(port, s.uart[port])) {
            return false;
        }
        for (uint8_t msgClass = 0; msgClass < kLogClassCount; ++msgClass) {
            for (uint8_t id = 0; id < kLogIdCount; ++id) {
                const uint16_t mode = s.outputs.get(port, msgClass, id);
                if (mode != 0 && (!logProduced(id) || !outputModeAllowed(mode))) {
                    return false;
                }
            }
        }
    }
    return true;
}

const MotionProfile *findMotionProfile(uint32_t id) {
    for (const MotionProfile &profile : kMotionProfiles) {
        if (profile.id == id) {
            return &profile;
        }
    }
    return nullptr;
}

}  // namespace zuv::sim
