// The device's side of the command exchange. Every request gets exactly one
// answer: the data asked for, or an ACK with 0 or the refusal code (9 for a value
// out of range, an unknown log or port, or a payload of the wrong size; 1 for
// anything else). Effects that change the link (speed, reboot, pauses) come after
// the answer has been handed out.
#include <cstring>

#include "byteOrder.h"
#include "device.h"
#include "settingsImage.h"
#include "settingsRules.h"
#include "zuvEComCommandCodec.h"
#include "zuvEComProtocol.h"

namespace zuv::sim {

namespace {

constexpr size_t kCommandLogLimit = 4096;
constexpr size_t kAnswerCapacity = ZUV_ECOM_MAX_PAYLOAD_SIZE;

// Decoders report a wrong size as an invalid frame; the device refuses both alike.
ZuvErrorCode refusalFor(ZuvErrorCode decodeResult) {
    return decodeResult == ZUV_NO_ERROR ? ZUV_NO_ERROR : ZUV_INVALID_PARAMETER;
}

void copyText(char *out, size_t size, const char *text) {
    std::memset(out, 0, size);
    std::strncpy(out, text, size - 1);
}

}  // namespace

void Device::record(uint8_t id, const uint8_t *payload, size_t size, uint16_t code) {
    if (commands_.size() == kCommandLogLimit) {
        commands_.pop_front();
    }
    CommandRecord entry;
    entry.id = id;
    entry.payload.assign(payload, payload + size);
    entry.answerCode = code;
    entry.deviceTimeUs = now_;
    commands_.push_back(std::move(entry));
    if (code != 0) {
        ++stats_.commandsRefused;
    }
}

void Device::answer(uint8_t id, const uint8_t *payload, size_t size) {
    ++stats_.answerFrames;
    emitFrame(id, ZUV_ECOM_CLASS_CMD_0, payload, size);
}

void Device::acknowledge(uint8_t id, ZuvErrorCode code) {
    const ZuvEComAck ack{id, ZUV_ECOM_CLASS_CMD_0, static_cast<uint16_t>(code)};
    uint8_t bytes[ZUV_ECOM_ACK_SIZE];
    size_t size = 0;
    zuvEComAckEncode(&ack, bytes, sizeof(bytes), &size);
    answer(ZUV_ECOM_CMD_ACK, bytes, size);
}

void Device::reply(uint8_t id, const uint8_t *request, size_t size, ZuvErrorCode code) {
    record(id, request, size, static_cast<uint16_t>(code));
    acknowledge(id, code);
}

void Device::replyData(uint8_t id, const uint8_t *request, size_t size, const uint8_t *data, size_t dataSize) {
    record(id, request, size, 0);
    answer(id, data, dataSize);
}

void Device::handleCommand(uint8_t id, const uint8_t *p, size_t n) {
    ++stats_.commands;
    if (refusal_ != 0) {
        reply(id, p, n, static_cast<ZuvErrorCode>(refusal_));
        return;
    }
    uint8_t out[kAnswerCapacity];
    size_t outSize = 0;
    DeviceSettings &s = current_;
    switch (id) {
        case ZUV_ECOM_CMD_SETTINGS_ACTION: settingsAction(p, n); return;
        case ZUV_ECOM_CMD_IMPORT_SETTINGS: importPage(p, n); return;
        case ZUV_ECOM_CMD_EXPORT_SETTINGS: exportPage(p, n); return;
        case ZUV_ECOM_CMD_INFO: {
            ZuvEComDeviceInfo info{};
            copyText(info.productCode, sizeof(info.productCode), "ZUV-SIM-INS");
            info.serialNumber = 45000000u + config_.seed % 1000000u;
            info.calibrationRev = 3;
            info.calibrationYear = 2024;
            info.calibrationMonth = 1;
            info.calibrationDay = 15;
            info.hardwareRev = 0x01000000u;
            info.firmwareRev = 0x01020000u;
            if (n != 0 || zuvEComDeviceInfoEncode(&info, out, sizeof(out), &outSize) != ZUV_NO_ERROR) {
                reply(id, p, n, ZUV_INVALID_PARAMETER);
            } else {
                replyData(id, p, n, out, outSize);
            }
            return;
        }
        case ZUV_ECOM_CMD_FEATURES: {
            ZuvEComFeatures features{};
            features.sensorsMask = 0x000001FFu;
            features.gnssSignalsMask = 0x0000003Fu;
            features.gnssUpdateRate = kGnssUpdateRateHz;
            copyText(features.gnssProductCode, sizeof(features.gnssProductCode), "ZUV-SIM-GNSS");
            if (n != 0 || zuvEComFeaturesEncode(&features, out, sizeof(out), &outSize) != ZUV_NO_ERROR) {
                reply(id, p, n, ZUV_INVALID_PARAMETER);
            } else {
                replyData(id, p, n, out, outSize);
            }
            return;
        }
        case ZUV_ECOM_CMD_SENSOR_ALIGNMENT:
            configRecord(
                id, p, n, ZUV_ECOM_SENSOR_ALIGNMENT_SIZE,
                [&](uint8_t *o, size_t c, size_t *k) {
                    return zuvEComSensorAlignmentEncode(&s.alignment, s.leverArm, o, c, k);
                },
                [&](const uint8_t *in, size_t k) {
                    ZuvEComSensorAlignmentInfo alignment{};
                    float leverArm[3];
                    const ZuvErrorCode code = zuvEComSensorAlignmentDecode(in, k, &alignment, leverArm);
                    if (code != ZUV_NO_ERROR || !alignmentAllowed(alignment, leverArm)) {
                        return ZUV_INVALID_PARAMETER;
                    }
                    s.alignment = alignment;
                    std::memcpy(s.leverArm, leverArm, sizeof(leverArm));
                    return ZUV_NO_ERROR;
                });
            return;
        case ZUV_ECOM_CMD_INIT_CONDITION:
            configRecord(
                id, p, n, ZUV_ECOM_INIT_CONDITION_SIZE,
                [&](uint8_t *o, size_t c, size_t *k) { return zuvEComInitConditionEncode(&s.initCondition, o, c, k); },
                [&](const uint8_t *in, size_t k) {
                    ZuvEComInitConditionConf conf{};
                    if (zuvEComInitConditionDecode(in, k, &conf) != ZUV_NO_ERROR || !initConditionAllowed(conf)) {
                        return ZUV_INVALID_PARAMETER;
                    }
                    s.initCondition = conf;
                    return ZUV_NO_ERROR;
                });
            return;
        case ZUV_ECOM_CMD_MOTION_PROFILE_INFO: {
            const MotionProfile *profile = findMotionProfile(s.motionProfileId);
            ZuvEComModelInfo info{};
            info.id = s.motionProfileId;
            info.revision = profile != nullptr ? profile->revision : 0;
            copyText(info.name, sizeof(info.name), profile != nullptr ? profile->name : "");
            if (n != 0 || zuvEComModelInfoEncode(&info, out, sizeof(out), &outSize) != ZUV_NO_ERROR) {
                reply(id, p, n, ZUV_INVALID_PARAMETER);
            } else {
                replyData(id, p, n, out, outSize);
            }
            return;
        }
        case ZUV_ECOM_CMD_MOTION_PROFILE_ID: {
            const bool known = n == ZUV_ECOM_MOTION_PROFILE_ID_SIZE && findMotionProfile(getU32(p)) != nullptr;
            if (known) {
                s.motionProfileId = getU32(p);
            }
            reply(id, p, n, known ? ZUV_NO_ERROR : ZUV_INVALID_PARAMETER);
            return;
        }
        case ZUV_ECOM_CMD_AIDING_ASSIGNMENT:
            configRecord(
                id, p, n, ZUV_ECOM_AIDING_ASSIGN_SIZE,
                [&](uint8_t *o, size_t c, size_t *k) { return zuvEComAidingAssignEncode(&s.aiding, o, c, k); },
                [&](const uint8_t *in, size_t k) {
                    ZuvEComAidingAssignConf conf{};
                    if (zuvEComAidingAssignDecode(in, k, &conf) != ZUV_NO_ERROR || !aidingAllowed(conf)) {
                        return ZUV_INVALID_PARAMETER;
                    }
                    s.aiding = conf;
                    return ZUV_NO_ERROR;
                });
            return;
        case ZUV_ECOM_CMD_GNSS1_INSTALLATION:
            configRecord(
                id, p, n, ZUV_ECOM_GNSS_INSTALLATION_SIZE,
                [&](uint8_t *o, size_t c, size_t *k) {
                    return zuvEComGnssInstallationEncode(&s.gnss1Installation, o, c, k);
                },
                [&](const uint8_t *in, size_t k) {
                    ZuvEComGnssInstallation conf{};
                    if (zuvEComGnssInstallationDecode(in, k, &conf) != ZUV_NO_ERROR || !gnssInstallationAllowed(conf)) {
                        return ZUV_INVALID_PARAMETER;
                    }
                    s.gnss1Installation = conf;
                    return ZUV_NO_ERROR;
                });
            return;
        case ZUV_ECOM_CMD_GNSS1_REJECTION:
            configRecord(
                id, p, n, ZUV_ECOM_GNSS_REJECTION_SIZE,
                [&](uint8_t *o, size_t c, size_t *k) { return zuvEComGnssRejectionEncode(&s.gnss1Rejection, o, c, k); },
                [&](const uint8_t *in, size_t k) {
                    return refusalFor(zuvEComGnssRejectionDecode(in, k, &s.gnss1Rejection));
                });
            return;
        case ZUV_ECOM_CMD_ODO_CONF:
            configRecord(
                id, p, n, ZUV_ECOM_ODO_CONF_SIZE,
                [&](uint8_t *o, size_t c, size_t *k) { return zuvEComOdoConfEncode(&s.odometer, o, c, k); },
                [&](const uint8_t *in, size_t k) {
                    ZuvEComOdoConf conf{};
                    if (zuvEComOdoConfDecode(in, k, &conf) != ZUV_NO_ERROR || !odometerAllowed(conf)) {
                        return ZUV_INVALID_PARAMETER;
                    }
                    s.odometer = conf;
                    return ZUV_NO_ERROR;
                });
            return;
        case ZUV_ECOM_CMD_ODO_LEVER_ARM:
            configRecord(
                id, p, n, ZUV_ECOM_LEVER_ARM_SIZE,
                [&](uint8_t *o, size_t c, size_t *k) { return zuvEComLeverArmEncode(s.odometerLeverArm, o, c, k); },
                [&](const uint8_t *in, size_t k) {
                    float leverArm[3];
                    if (zuvEComLeverArmDecode(in, k, leverArm) != ZUV_NO_ERROR || !leverArmAllowed(leverArm)) {
                        return ZUV_INVALID_PARAMETER;
                    }
                    std::memcpy(s.odometerLeverArm, leverArm, sizeof(leverArm));
                    return ZUV_NO_ERROR;
                });
            return;
        case ZUV_ECOM_CMD_ODO_REJECTION:
            configRecord(
                id, p, n, ZUV_ECOM_ODO_REJECTION_SIZE,
                [&](uint8_t *o, size_t c, size_t *k) {
                    return zuvEComOdoRejectionEncode(&s.odometerRejection, o, c, k);
                },
                [&](const uint8_t *in, size_t k) {
                    return refusalFor(zuvEComOdoRejectionDecode(in, k, &s.odometerRejection));
                });
            return;
        case ZUV_ECOM_CMD_ADVANCED_CONF:
            configRecord(
                id, p, n, ZUV_ECOM_ADVANCED_CONF_SIZE,
                [&](uint8_t *o, size_t c, size_t *k) { return zuvEComAdvancedConfEncode(&s.advanced, o, c, k); },
                [&](const uint8_t *in, size_t k) { return refusalFor(zuvEComAdvancedConfDecode(in, k, &s.advanced)); });
            return;
        case ZUV_ECOM_CMD_OUTPUT_CONF: outputConfiguration(p, n); return;
        case ZUV_ECOM_CMD_UART_CONF: uartConfiguration(p, n); return;
        default: reply(id, p, n, ZUV_ERROR); return;
    }
}

void Device::settingsAction(const uint8_t *p, size_t n) {
    const uint8_t id = ZUV_ECOM_CMD_SETTINGS_ACTION;
    if (n != ZUV_ECOM_SETTINGS_ACTION_SIZE || p[0] > ZUV_ECOM_RESTORE_DEFAULT_SETTINGS) {
        reply(id, p, n, ZUV_INVALID_PARAMETER);
        return;
    }
    switch (p[0]) {
        case ZUV_ECOM_REBOOT_ONLY:
            reply(id, p, n, ZUV_NO_ERROR);
            beginReboot();
            return;
        case ZUV_ECOM_SAVE_SETTINGS: {
            std::string error;
            if (!config_.settingsFile.empty() && !saveSettingsFile(config_.settingsFile, current_, error)) {
                reply(id, p, n, ZUV_ERROR);
                return;
            }
            saved_ = current_;
            reply(id, p, n, ZUV_NO_ERROR);
            pausedUntil_ = now_ + kSavePauseUs;
            return;
        }
        default:
            reply(id, p, n, ZUV_NO_ERROR);
            applySettings(factory_);
            return;
    }
}

void Device::importPage(const uint8_t *p, size_t n) {
    const uint8_t id = ZUV_ECOM_CMD_IMPORT_SETTINGS;
    uint16_t index = 0;
    uint16_t count = 0;
    const uint8_t *data = nullptr;
    size_t size = 0;
    if (zuvEComSettingsPageDecode(p, n, &index, &count, &data, &size) != ZUV_NO_ERROR) {
        import_.reset();
        reply(id, p, n, ZUV_INVALID_PARAMETER);
        return;
    }
    switch (import_.take(index, count, data, size)) {
        case SettingsImport::Step::Refused: reply(id, p, n, ZUV_INVALID_PARAMETER); return;
        case SettingsImport::Step::NeedMore: reply(id, p, n, ZUV_NO_ERROR); return;
        case SettingsImport::Step::Repeated: reply(id, p, n, import_.result()); return;
        case SettingsImport::Step::Complete: {
            DeviceSettings imported = current_;
            const bool usable = decodeSettingsImage(import_.image().data(), import_.image().size(), imported);
            import_.setResult(usable ? ZUV_NO_ERROR : ZUV_INVALID_PARAMETER);
            reply(id, p, n, import_.result());
            if (usable) {
                applySettings(imported);
            }
            return;
        }
    }
}

void Device::exportPage(const uint8_t *p, size_t n) {
    const uint8_t id = ZUV_ECOM_CMD_EXPORT_SETTINGS;
    if (n != ZUV_ECOM_EXPORT_REQUEST_SIZE) {
        reply(id, p, n, ZUV_INVALID_PARAMETER);
        return;
    }
    const uint16_t index = getU16(p);
    // Page 0 takes a snapshot; the other pages come from it, so a change in the
    // middle of an export cannot mix two images.
    if (index == 0 || exportImage_.empty()) {
        exportImage_ = encodeSettingsImage(current_, exportPadTo_);
    }
    const size_t pageSize = ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE;
    const size_t count = (exportImage_.size() + pageSize - 1) / pageSize;
    if (index >= count) {
        reply(id, p, n, ZUV_INVALID_PARAMETER);
        return;
    }
    const size_t offset = index * pageSize;
    const size_t size = exportImage_.size() - offset < pageSize ? exportImage_.size() - offset : pageSize;
    uint8_t out[kAnswerCapacity];
    size_t outSize = 0;
    zuvEComSettingsPageEncode(index, static_cast<uint16_t>(count), exportImage_.data() + offset, size, out, sizeof(out),
                              &outSize);
    replyData(id, p, n, out, outSize);
}

void Device::outputConfiguration(const uint8_t *p, size_t n) {
    const uint8_t id = ZUV_ECOM_CMD_OUTPUT_CONF;
    ZuvEComOutputConf conf{};
    bool withMode = false;
    if (zuvEComOutputConfDecode(p, n, &conf, &withMode) != ZUV_NO_ERROR || conf.msgId >= kLogIdCount ||
        !logProduced(conf.msgId)) {
        reply(id, p, n, ZUV_INVALID_PARAMETER);
        return;
    }
    const auto port = static_cast<uint8_t>(conf.port);
    const auto msgClass = static_cast<uint8_t>(conf.msgClass);
    if (withMode) {
        reply(id, p, n, setOutputMode(port, msgClass, conf.msgId, static_cast<uint16_t>(conf.mode)));
        return;
    }
    conf.mode = static_cast<ZuvEComOutputMode>(current_.outputs.get(port, msgClass, conf.msgId));
    uint8_t out[ZUV_ECOM_OUTPUT_CONF_SIZE];
    size_t outSize = 0;
    zuvEComOutputConfEncode(&conf, true, out, sizeof(out), &outSize);
    replyData(id, p, n, out, outSize);
}

void Device::uartConfiguration(const uint8_t *p, size_t n) {
    const uint8_t id = ZUV_ECOM_CMD_UART_CONF;
    ZuvEComPortId port{};
    ZuvEComInterfaceConf conf{};
    bool hasConf = false;
    if (zuvEComUartConfDecode(p, n, &port, &conf, &hasConf) != ZUV_NO_ERROR || port >= kPortCount) {
        reply(id, p, n, ZUV_INVALID_PARAMETER);
        return;
    }
    if (!hasConf) {
        uint8_t out[ZUV_ECOM_UART_CONF_SIZE];
        size_t outSize = 0;
        zuvEComUartConfEncode(port, &current_.uart[port], out, sizeof(out), &outSize);
        replyData(id, p, n, out, outSize);
        return;
    }
    if (!uartAllowed(static_cast<uint8_t>(port), conf)) {
        reply(id, p, n, ZUV_INVALID_PARAMETER);
        return;
    }
    current_.uart[port] = conf;
    reply(id, p, n, ZUV_NO_ERROR);
    if (port == ZUV_ECOM_IF_COM_A) {
        changePortSpeedTo(conf.baudRate);
    }
}

}  // namespace zuv::sim
