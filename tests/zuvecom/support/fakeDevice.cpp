#include "fakeDevice.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "zuvCrc.h"

namespace zuvtest {
namespace {

template <typename Record>
Bytes encodeRecord(ZuvErrorCode (*encode)(const Record *, uint8_t *, size_t, size_t *), const Record &record) {
    Bytes out(ZUV_ECOM_MAX_PAYLOAD_SIZE);
    size_t size = 0;
    if (encode(&record, out.data(), out.size(), &size) != ZUV_NO_ERROR) {
        throw std::runtime_error("fake device: cannot encode its own record");
    }
    out.resize(size);
    return out;
}

uint32_t outputKey(const ZuvEComOutputConf &conf) {
    return (static_cast<uint32_t>(conf.port) << 16) | (static_cast<uint32_t>(conf.msgClass) << 8) | conf.msgId;
}

// Whether a set request carries a record the device would take.
ZuvErrorCode checkRecord(uint8_t cmdId, const Bytes &request) {
    const uint8_t *p = request.data();
    const size_t n = request.size();
    switch (cmdId) {
        case ZUV_ECOM_CMD_SENSOR_ALIGNMENT: {
            ZuvEComSensorAlignmentInfo a;
            float arm[3];
            return zuvEComSensorAlignmentDecode(p, n, &a, arm);
        }
        case ZUV_ECOM_CMD_INIT_CONDITION: {
            ZuvEComInitConditionConf c;
            return zuvEComInitConditionDecode(p, n, &c);
        }
        case ZUV_ECOM_CMD_AIDING_ASSIGNMENT: {
            ZuvEComAidingAssignConf c;
            return zuvEComAidingAssignDecode(p, n, &c);
        }
        case ZUV_ECOM_CMD_GNSS1_INSTALLATION: {
            ZuvEComGnssInstallation c;
            return zuvEComGnssInstallationDecode(p, n, &c);
        }
        case ZUV_ECOM_CMD_GNSS1_REJECTION: {
            ZuvEComGnssRejectionConf c;
            return zuvEComGnssRejectionDecode(p, n, &c);
        }
        case ZUV_ECOM_CMD_ODO_CONF: {
            ZuvEComOdoConf c;
            return zuvEComOdoConfDecode(p, n, &c);
        }
        case ZUV_ECOM_CMD_ODO_LEVER_ARM: {
            float arm[3];
            return zuvEComLeverArmDecode(p, n, arm);
        }
        case ZUV_ECOM_CMD_ODO_REJECTION: {
            ZuvEComOdoRejectionConf c;
            return zuvEComOdoRejectionDecode(p, n, &c);
        }
        case ZUV_ECOM_CMD_ADVANCED_CONF: {
            ZuvEComAdvancedConf c;
            return zuvEComAdvancedConfDecode(p, n, &c);
        }
        default:
            return ZUV_ERROR;
    }
}

}  // namespace

Bytes buildFrame(uint8_t msgId, uint8_t msgClass, const Bytes &payload) {
    Bytes frame(payload.size() + ZUV_ECOM_FRAME_OVERHEAD);
    size_t size = 0;
    if (zuvEComFrameBuild(msgId, msgClass, payload.data(), payload.size(), frame.data(), frame.size(), &size) !=
        ZUV_NO_ERROR) {
        throw std::runtime_error("buildFrame: payload too large");
    }
    return frame;
}

Bytes ackPayload(uint8_t cmdId, uint16_t errorCode) {
    return {cmdId, ZUV_ECOM_CLASS_CMD_0, static_cast<uint8_t>(errorCode), static_cast<uint8_t>(errorCode >> 8)};
}

FakeDevice::FakeDevice() {
    zuvInterfaceZeroInit(&interface_);
    interface_.handle = this;
    interface_.type = ZUV_IF_TYPE_CUSTOM;
    std::strcpy(interface_.name, "fake device");
    interface_.pReadFunc = readOp;
    interface_.pWriteFunc = writeOp;

    std::strcpy(info.productCode, "ZUV-FAKE-INS");
    info.serialNumber = 45000123;
    info.calibrationRev = 7;
    info.calibrationYear = 2023;
    info.calibrationMonth = 11;
    info.calibrationDay = 30;
    info.hardwareRev = 0x01020300;
    info.firmwareRev = 0x03010000;
    features.sensorsMask = 0x1F;
    features.gnssSignalsMask = 0x3;
    features.gnssUpdateRate = 5;
    std::strcpy(features.gnssProductCode, "FAKE-GNSS");
    profile.id = 3;
    profile.revision = 2;
    std::strcpy(profile.name, "AUTOMOTIVE");

    const ZuvEComSensorAlignmentInfo alignment{ZUV_ECOM_ALIGNMENT_FORWARD, ZUV_ECOM_ALIGNMENT_RIGHT, 0, 0, 0};
    const float zero[3] = {0, 0, 0};
    Bytes bytes(ZUV_ECOM_SENSOR_ALIGNMENT_SIZE);
    size_t size = 0;
    zuvEComSensorAlignmentEncode(&alignment, zero, bytes.data(), bytes.size(), &size);
    records[ZUV_ECOM_CMD_SENSOR_ALIGNMENT] = bytes;
    records[ZUV_ECOM_CMD_INIT_CONDITION] =
        encodeRecord(zuvEComInitConditionEncode, ZuvEComInitConditionConf{48.85, 2.35, 35.0, 2024, 1, 1});
    records[ZUV_ECOM_CMD_AIDING_ASSIGNMENT] = encodeRecord(zuvEComAidingAssignEncode, ZuvEComAidingAssignConf{1, 0, 2, 0});
    ZuvEComGnssInstallation installation{};
    installation.leverArmSecondaryMode = ZUV_ECOM_GNSS_INSTALLATION_SINGLE;
    records[ZUV_ECOM_CMD_GNSS1_INSTALLATION] = encodeRecord(zuvEComGnssInstallationEncode, installation);
    records[ZUV_ECOM_CMD_GNSS1_REJECTION] = encodeRecord(
        zuvEComGnssRejectionEncode,
        ZuvEComGnssRejectionConf{ZUV_ECOM_AUTOMATIC_MODE, ZUV_ECOM_AUTOMATIC_MODE, ZUV_ECOM_AUTOMATIC_MODE});
    records[ZUV_ECOM_CMD_ODO_CONF] = encodeRecord(zuvEComOdoConfEncode, ZuvEComOdoConf{1000.0f, 1, false});
    records[ZUV_ECOM_CMD_ODO_LEVER_ARM] = Bytes(ZUV_ECOM_LEVER_ARM_SIZE, 0);
    records[ZUV_ECOM_CMD_ODO_REJECTION] =
        encodeRecord(zuvEComOdoRejectionEncode, ZuvEComOdoRejectionConf{ZUV_ECOM_AUTOMATIC_MODE});
    records[ZUV_ECOM_CMD_ADVANCED_CONF] =
        encodeRecord(zuvEComAdvancedConfEncode, ZuvEComAdvancedConf{ZUV_ECOM_TIME_REFERENCE_DISABLED});
    uarts[0] = ZuvEComInterfaceConf{115200, ZUV_ECOM_UART_MODE_232};
}

FakeDevice::~FakeDevice() = default;

size_t FakeDevice::requestCount(uint8_t cmdId) const {
    return static_cast<size_t>(std::count_if(requests_.begin(), requests_.end(),
                                             [cmdId](const auto &request) { return request.first == cmdId; }));
}

ZuvErrorCode FakeDevice::readOp(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes, size_t bytesToRead) {
    auto *device = static_cast<FakeDevice *>(pInterface->handle);
    *pReadBytes = 0;
    if (device->readFailure_ != ZUV_NO_ERROR) {
        return device->readFailure_;
    }
    const size_t n = std::min(bytesToRead, device->outgoing_.size());
    std::copy_n(device->outgoing_.begin(), n, static_cast<uint8_t *>(pBuffer));
    device->outgoing_.erase(device->outgoing_.begin(), device->outgoing_.begin() + static_cast<long>(n));
    *pReadBytes = n;
    return ZUV_NO_ERROR;
}

ZuvErrorCode FakeDevice::writeOp(ZuvInterface *pInterface, const void *pBuffer, size_t bytesToWrite) {
    auto *device = static_cast<FakeDevice *>(pInterface->handle);
    if (device->writeFailure_ != ZUV_NO_ERROR) {
        return device->writeFailure_;
    }
    device->receive(static_cast<const uint8_t *>(pBuffer), bytesToWrite);
    return ZUV_NO_ERROR;
}

void FakeDevice::receive(const uint8_t *pData, size_t size) {
    incoming_.insert(incoming_.end(), pData, pData + size);
    for (;;) {
        size_t start = 0;
        while (start + 1 < incoming_.size() && !(incoming_[start] == 0xFF && incoming_[start + 1] == 0x5A)) {
            ++start;
        }
        incoming_.erase(incoming_.begin(), incoming_.begin() + static_cast<long>(start));
        if (incoming_.size() < 6) {
            return;
        }
        const size_t n = incoming_[4] | (incoming_[5] << 8);
        if (incoming_.size() < n + 9) {
            return;
        }
        const uint16_t crc = static_cast<uint16_t>(incoming_[6 + n] | (incoming_[7 + n] << 8));
        const bool good = incoming_[8 + n] == 0x33 && zuvCrc16Compute(incoming_.data() + 2, n + 4) == crc &&
                          incoming_[3] == ZUV_ECOM_CLASS_CMD_0;
        const uint8_t cmdId = incoming_[2];
        const Bytes request(incoming_.begin() + 6, incoming_.begin() + 6 + static_cast<long>(n));
        incoming_.erase(incoming_.begin(), incoming_.begin() + static_cast<long>(n + 9));
        if (good) {
            requests_.emplace_back(cmdId, request);
            handle(cmdId, request);
        }
    }
}

void FakeDevice::handle(uint8_t cmdId, const Bytes &request) {
    if (silent_) {
        return;
    }
    const auto hook = hooks_.find(cmdId);
    if (hook != hooks_.end()) {
        hook->second(*this, request);
        return;
    }
    switch (cmdId) {
        case ZUV_ECOM_CMD_SETTINGS_ACTION:
            if (request.size() != 1 || request[0] > 2) {
                ack(cmdId, ZUV_INVALID_PARAMETER);
            } else {
                ++settingsActions[request[0]];
                ack(cmdId, ZUV_NO_ERROR);
            }
            return;
        case ZUV_ECOM_CMD_IMPORT_SETTINGS:
            handleImport(request);
            return;
        case ZUV_ECOM_CMD_EXPORT_SETTINGS:
            handleExport(request);
            return;
        case ZUV_ECOM_CMD_INFO:
            answer(cmdId, encodeRecord(zuvEComDeviceInfoEncode, info));
            return;
        case ZUV_ECOM_CMD_FEATURES:
            answer(cmdId, encodeRecord(zuvEComFeaturesEncode, features));
            return;
        case ZUV_ECOM_CMD_MOTION_PROFILE_INFO:
            answer(cmdId, encodeRecord(zuvEComModelInfoEncode, profile));
            return;
        case ZUV_ECOM_CMD_MOTION_PROFILE_ID:
            if (request.size() != 4) {
                ack(cmdId, ZUV_INVALID_PARAMETER);
            } else {
                profile.id = request[0] | (request[1] << 8) | (request[2] << 16) | (uint32_t{request[3]} << 24);
                ack(cmdId, ZUV_NO_ERROR);
            }
            return;
        case ZUV_ECOM_CMD_OUTPUT_CONF:
            handleOutput(request);
            return;
        case ZUV_ECOM_CMD_UART_CONF:
            handleUart(request);
            return;
        default:
            break;
    }
    const auto record = records.find(cmdId);
    if (record == records.end()) {
        ack(cmdId, ZUV_ERROR);
        return;
    }
    handleRecord(cmdId, request, record->second.size());
}

void FakeDevice::handleRecord(uint8_t cmdId, const Bytes &request, size_t recordSize) {
    if (request.empty()) {
        answer(cmdId, records[cmdId]);
    } else if (request.size() != recordSize || checkRecord(cmdId, request) != ZUV_NO_ERROR) {
        ack(cmdId, ZUV_INVALID_PARAMETER);
    } else {
        records[cmdId] = request;
        ack(cmdId, ZUV_NO_ERROR);
    }
}

void FakeDevice::handleOutput(const Bytes &request) {
    ZuvEComOutputConf conf{};
    bool withMode = false;
    if (zuvEComOutputConfDecode(request.data(), request.size(), &conf, &withMode) != ZUV_NO_ERROR ||
        conf.msgId >= ZUV_ECOM_LOG_ECOM_NUM_MESSAGES) {
        ack(ZUV_ECOM_CMD_OUTPUT_CONF, ZUV_INVALID_PARAMETER);
        return;
    }
    if (withMode) {
        outputModes[outputKey(conf)] = static_cast<uint16_t>(conf.mode);
        ack(ZUV_ECOM_CMD_OUTPUT_CONF, ZUV_NO_ERROR);
        return;
    }
    conf.mode = static_cast<ZuvEComOutputMode>(outputModes[outputKey(conf)]);
    Bytes out(ZUV_ECOM_OUTPUT_CONF_SIZE);
    size_t size = 0;
    zuvEComOutputConfEncode(&conf, true, out.data(), out.size(), &size);
    answer(ZUV_ECOM_CMD_OUTPUT_CONF, out);
}

void FakeDevice::handleUart(const Bytes &request) {
    ZuvEComPortId port{};
    ZuvEComInterfaceConf conf{};
    bool hasConf = false;
    if (zuvEComUartConfDecode(request.data(), request.size(), &port, &conf, &hasConf) != ZUV_NO_ERROR) {
        ack(ZUV_ECOM_CMD_UART_CONF, ZUV_INVALID_PARAMETER);
        return;
    }
    if (hasConf) {
        uarts[port] = conf;
        ack(ZUV_ECOM_CMD_UART_CONF, ZUV_NO_ERROR);
        return;
    }
    Bytes out(ZUV_ECOM_UART_CONF_SIZE);
    size_t size = 0;
    zuvEComUartConfEncode(port, &uarts[port], out.data(), out.size(), &size);
    answer(ZUV_ECOM_CMD_UART_CONF, out);
}

void FakeDevice::handleExport(const Bytes &request) {
    if (request.size() != 2) {
        ack(ZUV_ECOM_CMD_EXPORT_SETTINGS, ZUV_INVALID_PARAMETER);
        return;
    }
    const size_t index = request[0] | (request[1] << 8);
    const size_t pageSize = ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE;
    const size_t pages = settingsImage.empty() ? 1 : (settingsImage.size() + pageSize - 1) / pageSize;
    if (index >= pages) {
        ack(ZUV_ECOM_CMD_EXPORT_SETTINGS, ZUV_INVALID_PARAMETER);
        return;
    }
    const size_t offset = index * pageSize;
    const size_t dataSize = std::min(pageSize, settingsImage.size() - offset);
    Bytes out(ZUV_ECOM_MAX_PAYLOAD_SIZE);
    size_t size = 0;
    zuvEComSettingsPageEncode(static_cast<uint16_t>(index), static_cast<uint16_t>(pages),
                              settingsImage.data() + offset, dataSize, out.data(), out.size(), &size);
    out.resize(size);
    answer(ZUV_ECOM_CMD_EXPORT_SETTINGS, out);
}

void FakeDevice::handleImport(const Bytes &request) {
    uint16_t index = 0;
    uint16_t count = 0;
    const uint8_t *pData = nullptr;
    size_t dataSize = 0;
    if (zuvEComSettingsPageDecode(request.data(), request.size(), &index, &count, &pData, &dataSize) !=
            ZUV_NO_ERROR ||
        index >= count) {
        ack(ZUV_ECOM_CMD_IMPORT_SETTINGS, ZUV_INVALID_PARAMETER);
        return;
    }
    if (index == 0) {
        importedImage.clear();
    }
    importedImage.insert(importedImage.end(), pData, pData + dataSize);
    if (index + 1 < count) {
        ack(ZUV_ECOM_CMD_IMPORT_SETTINGS, ZUV_NO_ERROR);
        return;
    }
    if (importedImage.empty()) {
        ack(ZUV_ECOM_CMD_IMPORT_SETTINGS, ZUV_INVALID_PARAMETER);
        return;
    }
    settingsImage = importedImage;
    ack(ZUV_ECOM_CMD_IMPORT_SETTINGS, ZUV_NO_ERROR);
}

}  // namespace zuvtest
