#include "settingsImage.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "byteOrder.h"
#include "settingsRules.h"
#include "zuvEComCommandCodec.h"

namespace zuv::sim {

namespace {

constexpr uint8_t kMagic[4] = {'Z', 'S', 'I', 'M'};
constexpr uint16_t kVersion = 1;
constexpr size_t kHeaderSize = 12;
constexpr size_t kOutputEntrySize = ZUV_ECOM_OUTPUT_CONF_SIZE;

uint32_t fnv1a(const uint8_t *data, size_t size) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 16777619u;
    }
    return hash;
}

// Appends one encoded record; the encoders cannot fail on the device's own valid records.
template <typename Encode>
void appendRecord(std::vector<uint8_t> &out, Encode encode) {
    uint8_t buffer[64];
    size_t size = 0;
    if (encode(buffer, sizeof(buffer), &size) == ZUV_NO_ERROR) {
        out.insert(out.end(), buffer, buffer + size);
    }
}

// Reads records in order from the body; any failure sticks.
class BodyReader {
public:
    BodyReader(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    template <typename Decode>
    void record(size_t size, Decode decode) {
        if (!ok_ || size_ - offset_ < size || decode(data_ + offset_, size) != ZUV_NO_ERROR) {
            ok_ = false;
            return;
        }
        offset_ += size;
    }
    bool u16(uint16_t &value) {
        if (!ok_ || size_ - offset_ < 2) {
            return ok_ = false;
        }
        value = getU16(data_ + offset_);
        offset_ += 2;
        return true;
    }
    bool u32(uint32_t &value) {
        if (!ok_ || size_ - offset_ < 4) {
            return ok_ = false;
        }
        value = getU32(data_ + offset_);
        offset_ += 4;
        return true;
    }
    bool complete() const { return ok_ && offset_ == size_; }
    bool ok() const { return ok_; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t offset_ = 0;
    bool ok_ = true;
};

std::vector<uint8_t> encodeBody(const DeviceSettings &s) {
    std::vector<uint8_t> body;
    appendRecord(body, [&](uint8_t *o, size_t c, size_t *n) {
        return zuvEComSensorAlignmentEncode(&s.alignment, s.leverArm, o, c, n);
    });
    appendRecord(
        body, [&](uint8_t *o, size_t c, size_t *n) { return zuvEComInitConditionEncode(&s.initCondition, o, c, n); });
    putU32(body, s.motionProfileId);
    appendRecord(body, [&](uint8_t *o, size_t c, size_t *n) { return zuvEComAidingAssignEncode(&s.aiding, o, c, n); });
    appendRecord(body, [&](uint8_t *o, size_t c, size_t *n) {
        return zuvEComGnssInstallationEncode(&s.gnss1Installation, o, c, n);
    });
    appendRecord(
        body, [&](uint8_t *o, size_t c, size_t *n) { return zuvEComGnssRejectionEncode(&s.gnss1Rejection, o, c, n); });
    appendRecord(body, [&](uint8_t *o, size_t c, size_t *n) { return zuvEComOdoConfEncode(&s.odometer, o, c, n); });
    appendRecord(body,
                 [&](uint8_t *o, size_t c, size_t *n) { return zuvEComLeverArmEncode(s.odometerLeverArm, o, c, n); });
    appendRecord(body, [&](uint8_t *o, size_t c, size_t *n) {
        return zuvEComOdoRejectionEncode(&s.odometerRejection, o, c, n);
    });
    appendRecord(body,
                 [&](uint8_t *o, size_t c, size_t *n) { return zuvEComAdvancedConfEncode(&s.advanced, o, c, n); });
    for (uint8_t port = 0; port < kPortCount; ++port) {
        appendRecord(body, [&](uint8_t *o, size_t c, size_t *n) {
            return zuvEComUartConfEncode(static_cast<ZuvEComPortId>(port), &s.uart[port], o, c, n);
        });
    }
    std::vector<ZuvEComOutputConf> entries;
    for (uint8_t port = 0; port < kPortCount; ++port) {
        for (uint8_t msgClass = 0; msgClass < kLogClassCount; ++msgClass) {
            for (uint8_t id = 0; id < kLogIdCount; ++id) {
                const uint16_t mode = s.outputs.get(port, msgClass, id);
                if (mode != 0) {
                    entries.push_back(ZuvEComOutputConf{static_cast<ZuvEComOutputPort>(port),
                                                        static_cast<ZuvEComClass>(msgClass), id,
                                                        static_cast<ZuvEComOutputMode>(mode)});
                }
            }
        }
    }
    putU16(body, static_cast<uint16_t>(entries.size()));
    for (const ZuvEComOutputConf &entry : entries) {
        appendRecord(body,
                     [&](uint8_t *o, size_t c, size_t *n) { return zuvEComOutputConfEncode(&entry, true, o, c, n); });
    }
    return body;
}

bool decodeBody(const uint8_t *data, size_t size, DeviceSettings &s) {
    BodyReader reader(data, size);
    reader.record(ZUV_ECOM_SENSOR_ALIGNMENT_SIZE, [&](const uint8_t *p, size_t n) {
        return zuvEComSensorAlignmentDecode(p, n, &s.alignment, s.leverArm);
    });
    reader.record(ZUV_ECOM_INIT_CONDITION_SIZE,
                  [&](const uint8_t *p, size_t n) { return zuvEComInitConditionDecode(p, n, &s.initCondition); });
    reader.u32(s.motionProfileId);
    reader.record(ZUV_ECOM_AIDING_ASSIGN_SIZE,
                  [&](const uint8_t *p, size_t n) { return zuvEComAidingAssignDecode(p, n, &s.aiding); });
    reader.record(ZUV_ECOM_GNSS_INSTALLATION_SIZE, [&](const uint8_t *p, size_t n) {
        return zuvEComGnssInstallationDecode(p, n, &s.gnss1Installation);
    });
    reader.record(ZUV_ECOM_GNSS_REJECTION_SIZE,
                  [&](const uint8_t *p, size_t n) { return zuvEComGnssRejectionDecode(p, n, &s.gnss1Rejection); });
    reader.record(ZUV_ECOM_ODO_CONF_SIZE,
                  [&](const uint8_t *p, size_t n) { return zuvEComOdoConfDecode(p, n, &s.odometer); });
    reader.record(ZUV_ECOM_LEVER_ARM_SIZE,
                  [&](const uint8_t *p, size_t n) { return zuvEComLeverArmDecode(p, n, s.odometerLeverArm); });
    reader.record(ZUV_ECOM_ODO_REJECTION_SIZE,
                  [&](const uint8_t *p, size_t n) { return zuvEComOdoRejectionDecode(p, n, &s.odometerRejection); });
    reader.record(ZUV_ECOM_ADVANCED_CONF_SIZE,
                  [&](const uint8_t *p, size_t n) { return zuvEComAdvancedConfDecode(p, n, &s.advanced); });
    for (uint8_t port = 0; port < kPortCount; ++port) {
        reader.record(ZUV_ECOM_UART_CONF_SIZE, [&](const uint8_t *p, size_t n) {
            ZuvEComPortId decodedPort{};
            bool hasConf = false;
            const ZuvErrorCode code = zuvEComUartConfDecode(p, n, &decodedPort, &s.uart[port], &hasConf);
            return (code == ZUV_NO_ERROR && (!hasConf || decodedPort != port)) ? ZUV_INVALID_FRAME : code;
        });
    }
    uint16_t count = 0;
    reader.u16(count);
    s.outputs = OutputModes{};
    for (uint16_t i = 0; i < count && reader.ok(); ++i) {
        reader.record(kOutputEntrySize, [&](const uint8_t *p, size_t n) {
            ZuvEComOutputConf entry{};
            bool withMode = false;
            const ZuvErrorCode code = zuvEComOutputConfDecode(p, n, &entry, &withMode);
            if (code != ZUV_NO_ERROR || !withMode || entry.msgId >= kLogIdCount) {
                return code != ZUV_NO_ERROR ? code : ZUV_INVALID_FRAME;
            }
            s.outputs.set(static_cast<uint8_t>(entry.port), static_cast<uint8_t>(entry.msgClass), entry.msgId,
                          static_cast<uint16_t>(entry.mode));
            return ZUV_NO_ERROR;
        });
    }
    return reader.complete();
}

}  // namespace

std::vector<uint8_t> encodeSettingsImage(const DeviceSettings &settings, size_t padTo) {
    const std::vector<uint8_t> body = encodeBody(settings);
    std::vector<uint8_t> image(kMagic, kMagic + 4);
    putU16(image, kVersion);
    putU16(image, 0);
    putU32(image, static_cast<uint32_t>(body.size()));
    image.insert(image.end(), body.begin(), body.end());
    putU32(image, fnv1a(image.data(), image.size()));
    if (padTo > kSettingsImageMaxSize) {
        padTo = kSettingsImageMaxSize;
    }
    if (image.size() < padTo) {
        image.resize(padTo, 0);
    }
    return image;
}

bool decodeSettingsImage(const uint8_t *image, size_t size, DeviceSettings &settings) {
    if (image == nullptr || size < kHeaderSize + 4 || size > kSettingsImageMaxSize ||
        std::memcmp(image, kMagic, 4) != 0 || getU16(image + 4) != kVersion) {
        return false;
    }
    const size_t bodySize = getU32(image + 8);
    if (bodySize > size - kHeaderSize - 4 ||
        getU32(image + kHeaderSize + bodySize) != fnv1a(image, kHeaderSize + bodySize)) {
        return false;
    }
    DeviceSettings decoded = settings;
    if (!decodeBody(image + kHeaderSize, bodySize, decoded) || !settingsAllowed(decoded)) {
        return false;
    }
    settings = decoded;
    return true;
}

bool loadSettingsFile(const std::string &path, DeviceSettings &settings, bool *pFound, std::string &error) {
    *pFound = false;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        if (errno == ENOENT) {
            return true;
        }
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    *pFound = true;
    // One byte more than the largest image tells an oversized file from a full one.
    std::vector<uint8_t> image(kSettingsImageMaxSize + 1);
    const size_t size = std::fread(image.data(), 1, image.size(), file);
    std::fclose(file);
    if (!decodeSettingsImage(image.data(), size, settings)) {
        error = path + " is not a usable settings file";
        return false;
    }
    return true;
}

bool saveSettingsFile(const std::string &path, const DeviceSettings &settings, std::string &error) {
    const std::vector<uint8_t> image = encodeSettingsImage(settings);
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(image.data()), static_cast<std::streamsize>(image.size()));
        if (!out.flush()) {
            error = "cannot write " + temporary;
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace zuv::sim
