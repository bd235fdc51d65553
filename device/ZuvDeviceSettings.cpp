// Configuration commands: one command each, unpacking reads, and
// read-modify-writes that send back untouched what they do not change.
#include "ZuvCommunication.h"

#include <algorithm>
#include <array>

namespace {

// Reads a record and hands it to `use` only when the device answered, so a
// failed read leaves the caller's outputs as they were.
template <typename Record, typename Read, typename Use>
ZuvErrorCode readThen(Read read, Use use) {
    Record record{};
    const ZuvErrorCode rc = read(record);
    if (rc == ZUV_NO_ERROR) {
        use(record);
    }
    return rc;
}

// What `change` leaves alone goes back as the device had it; a failed read
// sends nothing.
template <typename Record, typename Read, typename Write, typename Change>
ZuvErrorCode readChangeWrite(Read read, Write write, Change change) {
    Record record{};
    const ZuvErrorCode rc = read(record);
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    change(record);
    return write(record);
}

// The alignment and the sensor lever arm travel in one command.
struct Alignment {
    ZuvEComSensorAlignmentInfo info{};
    float leverArm[3] = {};
};

template <typename Use>
ZuvErrorCode withAlignment(CZuvCommunication &link, Use use) {
    return readThen<Alignment>([&](Alignment &read) { return link.GetSensorConfiguration(read.info, read.leverArm); },
                               [&](const Alignment &read) { use(read.info, read.leverArm); });
}

template <typename Change>
ZuvErrorCode changeAlignment(CZuvCommunication &link, Change change) {
    return readChangeWrite<Alignment>(
        [&](Alignment &read) { return link.GetSensorConfiguration(read.info, read.leverArm); },
        [&](const Alignment &changed) { return link.SetSensorConfiguration(changed.info, changed.leverArm); },
        [&](Alignment &read) { change(read.info, read.leverArm); });
}

// Both GNSS1 lever arms travel in the one installation record.
template <typename Use>
ZuvErrorCode withGnss1Installation(CZuvCommunication &link, Use use) {
    return readThen<ZuvEComGnssInstallation>(
        [&](ZuvEComGnssInstallation &read) { return link.GetGNSS1Installation(read); }, use);
}

template <typename Change>
ZuvErrorCode changeGnss1Installation(CZuvCommunication &link, Change change) {
    return readChangeWrite<ZuvEComGnssInstallation>(
        [&](ZuvEComGnssInstallation &read) { return link.GetGNSS1Installation(read); },
        [&](const ZuvEComGnssInstallation &changed) { return link.SetGNSS1Installation(changed); }, change);
}

}  // namespace

ZuvErrorCode CZuvCommunication::GetDeviceInformations(ZuvEComDeviceInfo &info) {
    return zuvEComCmdGetInfo(&handle_, &info);
}

ZuvErrorCode CZuvCommunication::GetFeatures(ZuvEComFeatures &features) {
    return zuvEComCmdGetFeatures(&handle_, &features);
}

// ---- Sensor alignment and lever arm: one record and one array in one command.

ZuvErrorCode CZuvCommunication::readAlignment(ZuvEComSensorAlignmentInfo &alignment, float leverArm[3]) {
    return zuvEComCmdSensorGetAlignmentAndLeverArm(&handle_, &alignment, leverArm);
}

ZuvErrorCode CZuvCommunication::GetSensorConfiguration(ZuvEComSensorAlignmentInfo &alignment, float leverArm[3]) {
    return readAlignment(alignment, leverArm);
}

ZuvErrorCode CZuvCommunication::SetSensorConfiguration(const ZuvEComSensorAlignmentInfo &alignment,
                                                       const float leverArm[3]) {
    return zuvEComCmdSensorSetAlignmentAndLeverArm(&handle_, &alignment, leverArm);
}

ZuvErrorCode CZuvCommunication::GetSensorConfiguration(float &leverArmX, float &leverArmY, float &leverArmZ,
                                                       float &roll, float &pitch, float &yaw,
                                                       ZuvEComAxisDirection &axisDirectionX,
                                                       ZuvEComAxisDirection &axisDirectionY) {
    return withAlignment(*this, [&](const ZuvEComSensorAlignmentInfo &alignment, const float leverArm[3]) {
        leverArmX = leverArm[0];
        leverArmY = leverArm[1];
        leverArmZ = leverArm[2];
        roll = alignment.misRoll;
        pitch = alignment.misPitch;
        yaw = alignment.misYaw;
        axisDirectionX = alignment.axisDirectionX;
        axisDirectionY = alignment.axisDirectionY;
    });
}

ZuvErrorCode CZuvCommunication::SetSensorConfiguration(float leverArmX, float leverArmY, float leverArmZ, float roll,
                                                       float pitch, float yaw, ZuvEComAxisDirection axisDirectionX,
                                                       ZuvEComAxisDirection axisDirectionY) {
    ZuvEComSensorAlignmentInfo alignment{};
    alignment.axisDirectionX = axisDirectionX;
    alignment.axisDirectionY = axisDirectionY;
    alignment.misRoll = roll;
    alignment.misPitch = pitch;
    alignment.misYaw = yaw;
    const float leverArm[3] = {leverArmX, leverArmY, leverArmZ};
    return SetSensorConfiguration(alignment, leverArm);
}

ZuvErrorCode CZuvCommunication::GetSensorLeverArm(float leverArm[3]) {
    return withAlignment(
        *this, [&](const ZuvEComSensorAlignmentInfo &, const float read[3]) { std::copy(read, read + 3, leverArm); });
}

ZuvErrorCode CZuvCommunication::GetSensorLeverArm(float &x, float &y, float &z) {
    return withAlignment(*this, [&](const ZuvEComSensorAlignmentInfo &, const float leverArm[3]) {
        x = leverArm[0];
        y = leverArm[1];
        z = leverArm[2];
    });
}

ZuvErrorCode CZuvCommunication::SetSensorLeverArm(const float leverArm[3]) {
    return changeAlignment(
        *this, [&](ZuvEComSensorAlignmentInfo &, float current[3]) { std::copy(leverArm, leverArm + 3, current); });
}

ZuvErrorCode CZuvCommunication::SetSensorLeverArm(float x, float y, float z) {
    const float leverArm[3] = {x, y, z};
    return SetSensorLeverArm(leverArm);
}

ZuvErrorCode CZuvCommunication::GetSensorAlignment(ZuvEComSensorAlignmentInfo &alignment) {
    return withAlignment(*this, [&](const ZuvEComSensorAlignmentInfo &read, const float *) { alignment = read; });
}

ZuvErrorCode CZuvCommunication::GetSensorAlignment(float &roll, float &pitch, float &yaw) {
    return withAlignment(*this, [&](const ZuvEComSensorAlignmentInfo &alignment, const float *) {
        roll = alignment.misRoll;
        pitch = alignment.misPitch;
        yaw = alignment.misYaw;
    });
}

ZuvErrorCode CZuvCommunication::SetSensorAlignment(const ZuvEComSensorAlignmentInfo &alignment) {
    return changeAlignment(*this, [&](ZuvEComSensorAlignmentInfo &current, float *) { current = alignment; });
}

ZuvErrorCode CZuvCommunication::SetSensorAlignment(float roll, float pitch, float yaw) {
    return changeAlignment(*this, [&](ZuvEComSensorAlignmentInfo &alignment, float *) {
        alignment.misRoll = roll;
        alignment.misPitch = pitch;
        alignment.misYaw = yaw;
    });
}

ZuvErrorCode CZuvCommunication::GetSensorAxisDirection(ZuvEComAxisDirection &axisDirectionX,
                                                       ZuvEComAxisDirection &axisDirectionY) {
    return withAlignment(*this, [&](const ZuvEComSensorAlignmentInfo &alignment, const float *) {
        axisDirectionX = alignment.axisDirectionX;
        axisDirectionY = alignment.axisDirectionY;
    });
}

ZuvErrorCode CZuvCommunication::SetSensorAxisDirection(ZuvEComAxisDirection axisDirectionX,
                                                       ZuvEComAxisDirection axisDirectionY) {
    return changeAlignment(*this, [&](ZuvEComSensorAlignmentInfo &alignment, float *) {
        alignment.axisDirectionX = axisDirectionX;
        alignment.axisDirectionY = axisDirectionY;
    });
}

// ---- Initial condition and motion profile.

ZuvErrorCode CZuvCommunication::GetSensorInitCondition(ZuvEComInitConditionConf &condition) {
    return zuvEComCmdSensorGetInitCondition(&handle_, &condition);
}

ZuvErrorCode CZuvCommunication::GetInitCondition(ZuvEComInitConditionConf &condition) {
    return GetSensorInitCondition(condition);
}

ZuvErrorCode CZuvCommunication::SetSensorInitCondition(const ZuvEComInitConditionConf &condition) {
    return zuvEComCmdSensorSetInitCondition(&handle_, &condition);
}

ZuvErrorCode CZuvCommunication::SetInitCondition(ZuvEComInitConditionConf condition) {
    return SetSensorInitCondition(condition);
}

ZuvErrorCode CZuvCommunication::GetSensorMotionProfileInfo(ZuvEComModelInfo &info) {
    return zuvEComCmdSensorGetMotionProfileInfo(&handle_, &info);
}

ZuvErrorCode CZuvCommunication::GetMotionProfile(uint32_t &profileId) {
    return readThen<ZuvEComModelInfo>([this](ZuvEComModelInfo &info) { return GetSensorMotionProfileInfo(info); },
                                      [&](const ZuvEComModelInfo &info) { profileId = info.id; });
}

ZuvErrorCode CZuvCommunication::SetMotionProfile(uint32_t profileId) {
    return zuvEComCmdSensorSetMotionProfileId(&handle_, profileId);
}

// ---- GNSS installation and rejection.

ZuvErrorCode CZuvCommunication::GetGNSS1Installation(ZuvEComGnssInstallation &installation) {
    return zuvEComCmdGnss1InstallationGet(&handle_, &installation);
}

ZuvErrorCode CZuvCommunication::SetGNSS1Installation(const ZuvEComGnssInstallation &installation) {
    return zuvEComCmdGnss1InstallationSet(&handle_, &installation);
}

ZuvErrorCode CZuvCommunication::GetGNSS1LeverArmPrimary(float &x, float &y, float &z, bool &precise) {
    return withGnss1Installation(*this, [&](const ZuvEComGnssInstallation &installation) {
        x = installation.leverArmPrimary[0];
        y = installation.leverArmPrimary[1];
        z = installation.leverArmPrimary[2];
        precise = installation.leverArmPrimaryPrecise;
    });
}

ZuvErrorCode CZuvCommunication::SetGNSS1LeverArmPrimary(float x, float y, float z, bool precise) {
    return changeGnss1Installation(*this, [&](ZuvEComGnssInstallation &installation) {
        installation.leverArmPrimary[0] = x;
        installation.leverArmPrimary[1] = y;
        installation.leverArmPrimary[2] = z;
        installation.leverArmPrimaryPrecise = precise;
    });
}

ZuvErrorCode CZuvCommunication::GetGNSS1LeverArmSecondary(float &x, float &y, float &z,
                                                          ZuvEComGnssInstallationMode &mode) {
    return withGnss1Installation(*this, [&](const ZuvEComGnssInstallation &installation) {
        x = installation.leverArmSecondary[0];
        y = installation.leverArmSecondary[1];
        z = installation.leverArmSecondary[2];
        mode = installation.leverArmSecondaryMode;
    });
}

ZuvErrorCode CZuvCommunication::SetGNSS1LeverArmSecondary(float x, float y, float z, ZuvEComGnssInstallationMode mode) {
    return changeGnss1Installation(*this, [&](ZuvEComGnssInstallation &installation) {
        installation.leverArmSecondary[0] = x;
        installation.leverArmSecondary[1] = y;
        installation.leverArmSecondary[2] = z;
        installation.leverArmSecondaryMode = mode;
    });
}

ZuvErrorCode CZuvCommunication::GetGNSS1RejectionConf(ZuvEComGnssRejectionConf &rejection) {
    return zuvEComCmdGnss1GetRejection(&handle_, &rejection);
}

ZuvErrorCode CZuvCommunication::SetGNSS1RejectionConf(const ZuvEComGnssRejectionConf &rejection) {
    return zuvEComCmdGnss1SetRejection(&handle_, &rejection);
}

// ---- Odometer.

ZuvErrorCode CZuvCommunication::GetOdometerConf(ZuvEComOdoConf &conf) {
    return zuvEComCmdOdoGetConf(&handle_, &conf);
}

ZuvErrorCode CZuvCommunication::SetOdometerConf(const ZuvEComOdoConf &conf) {
    return zuvEComCmdOdoSetConf(&handle_, &conf);
}

ZuvErrorCode CZuvCommunication::GetOdometerLeverArm(float &x, float &y, float &z) {
    using LeverArm = std::array<float, 3>;
    return readThen<LeverArm>([this](LeverArm &read) { return zuvEComCmdOdoGetLeverArm(&handle_, read.data()); },
                              [&](const LeverArm &leverArm) {
                                  x = leverArm[0];
                                  y = leverArm[1];
                                  z = leverArm[2];
                              });
}

ZuvErrorCode CZuvCommunication::SetOdometerLeverArm(float x, float y, float z) {
    const float leverArm[3] = {x, y, z};
    return zuvEComCmdOdoSetLeverArm(&handle_, leverArm);
}

ZuvErrorCode CZuvCommunication::GetOdometerRejectionConf(ZuvEComOdoRejectionConf &rejection) {
    return zuvEComCmdOdoGetRejection(&handle_, &rejection);
}

ZuvErrorCode CZuvCommunication::SetOdometerRejectionConf(const ZuvEComOdoRejectionConf &rejection) {
    return zuvEComCmdOdoSetRejection(&handle_, &rejection);
}

// ---- Aiding assignment and advanced settings.

ZuvErrorCode CZuvCommunication::GetAidingConfiguration(ZuvEComAidingAssignConf &conf) {
    return zuvEComCmdSensorGetAidingAssignment(&handle_, &conf);
}

ZuvErrorCode CZuvCommunication::SetAidingConfiguration(const ZuvEComAidingAssignConf &conf) {
    return zuvEComCmdSensorSetAidingAssignment(&handle_, &conf);
}

ZuvErrorCode CZuvCommunication::GetAdvancedConf(ZuvEComAdvancedConf &conf) {
    return zuvEComCmdAdvancedGetConf(&handle_, &conf);
}

ZuvErrorCode CZuvCommunication::SetAdvancedConf(const ZuvEComAdvancedConf &conf) {
    return zuvEComCmdAdvancedSetConf(&handle_, &conf);
}

ZuvErrorCode CZuvCommunication::GetTimeReferenceSource(ZuvEComTimeReferenceSrc &source) {
    return readThen<ZuvEComAdvancedConf>([this](ZuvEComAdvancedConf &read) { return GetAdvancedConf(read); },
                                         [&](const ZuvEComAdvancedConf &conf) { source = conf.timeReferenceSrc; });
}

ZuvErrorCode CZuvCommunication::SetTimeReferenceSource(ZuvEComTimeReferenceSrc source) {
    return readChangeWrite<ZuvEComAdvancedConf>(
        [this](ZuvEComAdvancedConf &read) { return GetAdvancedConf(read); },
        [this](const ZuvEComAdvancedConf &changed) { return SetAdvancedConf(changed); },
        [&](ZuvEComAdvancedConf &conf) { conf.timeReferenceSrc = source; });
}

// ---- Output rates.

ZuvErrorCode CZuvCommunication::GetOutputConfiguration(ZuvEComOutputPort port, ZuvEComClass msgClass, ZuvEComLog log,
                                                       ZuvEComOutputMode &mode) {
    return zuvEComCmdOutputGetConf(&handle_, port, msgClass, static_cast<uint8_t>(log), &mode);
}

ZuvErrorCode CZuvCommunication::SetOutputConfiguration(ZuvEComOutputPort port, ZuvEComClass msgClass, ZuvEComLog log,
                                                       ZuvEComOutputMode mode) {
    return zuvEComCmdOutputSetConf(&handle_, port, msgClass, static_cast<uint8_t>(log), mode);
}
