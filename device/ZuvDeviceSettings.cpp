// Configuration commands: one command each, unpacking reads, and
// read-modify-writes that send back untouched what they do not change.
#include "ZuvCommunication.h"

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
    ZuvEComSensorAlignmentInfo alignment{};
    float leverArm[3] = {};
    const ZuvErrorCode rc = readAlignment(alignment, leverArm);
    if (rc == ZUV_NO_ERROR) {
        leverArmX = leverArm[0];
        leverArmY = leverArm[1];
        leverArmZ = leverArm[2];
        roll = alignment.misRoll;
        pitch = alignment.misPitch;
        yaw = alignment.misYaw;
        axisDirectionX = alignment.axisDirectionX;
        axisDirectionY = alignment.axisDirectionY;
    }
    return rc;
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
    ZuvEComSensorAlignmentInfo alignment{};
    float read[3] = {};
    const ZuvErrorCode rc = readAlignment(alignment, read);
    if (rc == ZUV_NO_ERROR) {
        leverArm[0] = read[0];
        leverArm[1] = read[1];
        leverArm[2] = read[2];
    }
    return rc;
}

ZuvErrorCode CZuvCommunication::GetSensorLeverArm(float &x, float &y, float &z) {
    float leverArm[3] = {};
    const ZuvErrorCode rc = GetSensorLeverArm(leverArm);
    if (rc == ZUV_NO_ERROR) {
        x = leverArm[0];
        y = leverArm[1];
        z = leverArm[2];
    }
    return rc;
}

ZuvErrorCode CZuvCommunication::SetSensorLeverArm(const float leverArm[3]) {
    ZuvEComSensorAlignmentInfo alignment{};
    float current[3] = {};
    const ZuvErrorCode rc = readAlignment(alignment, current);
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    return SetSensorConfiguration(alignment, leverArm);
}

ZuvErrorCode CZuvCommunication::SetSensorLeverArm(float x, float y, float z) {
    const float leverArm[3] = {x, y, z};
    return SetSensorLeverArm(leverArm);
}

ZuvErrorCode CZuvCommunication::GetSensorAlignment(ZuvEComSensorAlignmentInfo &alignment) {
    ZuvEComSensorAlignmentInfo read{};
    float leverArm[3] = {};
    const ZuvErrorCode rc = readAlignment(read, leverArm);
    if (rc == ZUV_NO_ERROR) {
        alignment = read;
    }
    return rc;
}

ZuvErrorCode CZuvCommunication::GetSensorAlignment(float &roll, float &pitch, float &yaw) {
    ZuvEComSensorAlignmentInfo alignment{};
    const ZuvErrorCode rc = GetSensorAlignment(alignment);
    if (rc == ZUV_NO_ERROR) {
        roll = alignment.misRoll;
        pitch = alignment.misPitch;
        yaw = alignment.misYaw;
    }
    return rc;
}

ZuvErrorCode CZuvCommunication::SetSensorAlignment(const ZuvEComSensorAlignmentInfo &alignment) {
    ZuvEComSensorAlignmentInfo current{};
    float leverArm[3] = {};
    const ZuvErrorCode rc = readAlignment(current, leverArm);
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    return SetSensorConfiguration(alignment, leverArm);
}

ZuvErrorCode CZuvCommunication::SetSensorAlignment(float roll, float pitch, float yaw) {
    ZuvEComSensorAlignmentInfo alignment{};
    float leverArm[3] = {};
    const ZuvErrorCode rc = readAlignment(alignment, leverArm);
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    alignment.misRoll = roll;
    alignment.misPitch = pitch;
    alignment.misYaw = yaw;
    return SetSensorConfiguration(alignment, leverArm);
}

ZuvErrorCode CZuvCommunication::GetSensorAxisDirection(ZuvEComAxisDirection &axisDirectionX,
                                                       ZuvEComAxisDirection &axisDirectionY) {
    ZuvEComSensorAlignmentInfo alignment{};
    const ZuvErrorCode rc = GetSensorAlignment(alignment);
    if (rc == ZUV_NO_ERROR) {
        axisDirectionX = alignment.axisDirectionX;
        axisDirectionY = alignment.axisDirectionY;
    }
    return rc;
}

ZuvErrorCode CZuvCommunication::SetSensorAxisDirection(ZuvEComAxisDirection axisDirectionX,
                                                       ZuvEComAxisDirection axisDirectionY) {
    ZuvEComSensorAlignmentInfo alignment{};
    float leverArm[3] = {};
    const ZuvErrorCode rc = readAlignment(alignment, leverArm);
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    alignment.axisDirectionX = axisDirectionX;
    alignment.axisDirectionY = axisDirectionY;
    return SetSensorConfiguration(alignment, leverArm);
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
    ZuvEComModelInfo info{};
    const ZuvErrorCode rc = GetSensorMotionProfileInfo(info);
    if (rc == ZUV_NO_ERROR) {
        profileId = info.id;
    }
    return rc;
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
    ZuvEComGnssInstallation installation{};
    const ZuvErrorCode rc = GetGNSS1Installation(installation);
    if (rc == ZUV_NO_ERROR) {
        x = installation.leverArmPrimary[0];
        y = installation.leverArmPrimary[1];
        z = installation.leverArmPrimary[2];
        precise = installation.leverArmPrimaryPrecise;
    }
    return rc;
}

ZuvErrorCode CZuvCommunication::SetGNSS1LeverArmPrimary(float x, float y, float z, bool precise) {
    ZuvEComGnssInstallation installation{};
    const ZuvErrorCode rc = GetGNSS1Installation(installation);
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    installation.leverArmPrimary[0] = x;
    installation.leverArmPrimary[1] = y;
    installation.leverArmPrimary[2] = z;
    installation.leverArmPrimaryPrecise = precise;
    return SetGNSS1Installation(installation);
}

ZuvErrorCode CZuvCommunication::GetGNSS1LeverArmSecondary(float &x, float &y, float &z,
                                                          ZuvEComGnssInstallationMode &mode) {
    ZuvEComGnssInstallation installation{};
    const ZuvErrorCode rc = GetGNSS1Installation(installation);
    if (rc == ZUV_NO_ERROR) {
        x = installation.leverArmSecondary[0];
        y = installation.leverArmSecondary[1];
        z = installation.leverArmSecondary[2];
        mode = installation.leverArmSecondaryMode;
    }
    return rc;
}

ZuvErrorCode CZuvCommunication::SetGNSS1LeverArmSecondary(float x, float y, float z, ZuvEComGnssInstallationMode mode) {
    ZuvEComGnssInstallation installation{};
    const ZuvErrorCode rc = GetGNSS1Installation(installation);
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    installation.leverArmSecondary[0] = x;
    installation.leverArmSecondary[1] = y;
    installation.leverArmSecondary[2] = z;
    installation.leverArmSecondaryMode = mode;
    return SetGNSS1Installation(installation);
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
    float leverArm[3] = {};
    const ZuvErrorCode rc = zuvEComCmdOdoGetLeverArm(&handle_, leverArm);
    if (rc == ZUV_NO_ERROR) {
        x = leverArm[0];
        y = leverArm[1];
        z = leverArm[2];
    }
    return rc;
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
    ZuvEComAdvancedConf conf{};
    const ZuvErrorCode rc = GetAdvancedConf(conf);
    if (rc == ZUV_NO_ERROR) {
        source = conf.timeReferenceSrc;
    }
    return rc;
}

ZuvErrorCode CZuvCommunication::SetTimeReferenceSource(ZuvEComTimeReferenceSrc source) {
    ZuvEComAdvancedConf conf{};
    const ZuvErrorCode rc = GetAdvancedConf(conf);
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    conf.timeReferenceSrc = source;
    return SetAdvancedConf(conf);
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
