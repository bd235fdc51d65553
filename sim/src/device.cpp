#include "device.h"

#include "outputSchedule.h"
#include "settingsImage.h"
#include "settingsRules.h"
#include "zuvEComProtocol.h"

namespace zuv::sim {

namespace {

uint64_t nextOnGrid(uint64_t timeUs) {
    return (timeUs + kMainLoopPeriodUs - 1) / kMainLoopPeriodUs * kMainLoopPeriodUs;
}

}  // namespace

Device::Device(const SimConfig &config, DeviceOutput &output, SimStats &stats)
    : config_(config),
      output_(output),
      stats_(stats),
      logs_(MotionModel(config.latitude, config.longitude, config.altitude, config.radius, config.speed), config.seed),
      factory_(factorySettings()),
      exportPadTo_(config.exportPadTo),
      payload_(ZUV_ECOM_MAX_PAYLOAD_SIZE),
      frame_(ZUV_ECOM_MAX_FRAME_SIZE) {}

ZuvErrorCode Device::powerOn(std::string &error) {
    saved_ = factory_;
    if (!config_.settingsFile.empty()) {
        bool found = false;
        if (!loadSettingsFile(config_.settingsFile, saved_, &found, error)) {
            return ZUV_ERROR;
        }
    }
    if (config_.baudRate != 0) {
        if (!baudRateSupported(config_.baudRate)) {
            error = "the device cannot run its port at " + std::to_string(config_.baudRate) + " baud";
            return ZUV_INVALID_PARAMETER;
        }
        saved_.uart[0].baudRate = config_.baudRate;
    }
    for (const OutputModeSetting &setting : config_.outputModes) {
        if (setting.logId >= kLogIdCount || !logProduced(setting.logId) ||
            (setting.mode != 0 && !outputModeAllowed(setting.mode))) {
            error = "log " + std::to_string(setting.logId) + " cannot take output mode " + std::to_string(setting.mode);
            return ZUV_INVALID_PARAMETER;
        }
        saved_.outputs.set(0, 0, setting.logId, setting.mode);
    }
    current_ = saved_;
    speedOnLink_ = current_.uart[0].baudRate;
    for (size_t input = 0; input < kSyncInputCount; ++input) {
        sync_.configure(input, config_.sync[input], 0);
    }
    bootUs_ = 0;
    nextCycleUs_ = 0;
    now_ = 0;
    return ZUV_NO_ERROR;
}

uint32_t Device::timeStampAt(uint64_t timeUs) const {
    return static_cast<uint32_t>(config_.tsStart + (timeUs - bootUs_));
}

uint64_t Device::nextWakeUs() const {
    if (booting_) {
        return bootEndUs_;
    }
    const uint64_t pulse = sync_.nextPulseUs();
    return pulse < nextCycleUs_ ? pulse : nextCycleUs_;
}

void Device::advanceTo(uint64_t timeUs) {
    for (;;) {
        if (booting_) {
            if (bootEndUs_ > timeUs) {
                break;
            }
            now_ = bootEndUs_;
            finishBoot();
            continue;
        }
        const uint64_t pulseUs = sync_.nextPulseUs();
        const uint64_t next = pulseUs <= nextCycleUs_ ? pulseUs : nextCycleUs_;
        if (next > timeUs) {
            break;
        }
        now_ = next;
        size_t input = 0;
        uint64_t pulseTime = 0;
        // A pulse at the very time of a cycle is seen before the cycle.
        if (pulseUs <= nextCycleUs_ && sync_.takePulse(next, input, pulseTime)) {
            handlePulse(input, pulseTime);
        } else {
            runCycle(nextCycleUs_);
            nextCycleUs_ += kMainLoopPeriodUs;
        }
    }
    if (timeUs > now_) {
        now_ = timeUs;
    }
}

void Device::runCycle(uint64_t timeUs) {
    if (outputPaused(timeUs)) {
        return;
    }
    for (const CycleLog &log : kCyclePlan) {
        const uint8_t logId = log.logId;
        for (uint8_t msgClass = 0; msgClass < kLogClassCount; ++msgClass) {
            const uint16_t mode = current_.outputs.get(0, msgClass, logId);
            if (mode == 0) {
                continue;
            }
            if (log.marker) {
                const size_t input = markerInput(logId);
                const bool due =
                    mode == ZUV_ECOM_OUTPUT_MODE_NEW_DATA ? sync_.hasEvents(input) : dueAtCycle(mode, log, timeUs);
                if (due) {
                    const EventMarker marker = sync_.takeMarker(input);
                    emitLog(logId, msgClass, marker.status != 0 ? marker.firstTimeUs : timeUs, &marker);
                }
            } else if (dueAtCycle(mode, log, timeUs)) {
                emitLog(logId, msgClass, timeUs, nullptr);
            }
        }
    }
}

void Device::handlePulse(size_t input, uint64_t timeUs) {
    sync_.recordEvent(input, timeUs);
    if (outputPaused(timeUs) || input >= 4) {
        return;  // input E feeds its marker only
    }
    const uint16_t trigger = static_cast<uint16_t>(ZUV_ECOM_OUTPUT_MODE_SYNC_A + input);
    for (const CycleLog &log : kCyclePlan) {
        const uint8_t logId = log.logId;
        for (uint8_t msgClass = 0; msgClass < kLogClassCount; ++msgClass) {
            if (current_.outputs.get(0, msgClass, logId) != trigger) {
                continue;
            }
            if (log.marker) {
                const EventMarker marker = sync_.takeMarker(markerInput(logId));
                emitLog(logId, msgClass, marker.status != 0 ? marker.firstTimeUs : timeUs, &marker);
            } else {
                emitLog(logId, msgClass, timeUs, nullptr);
            }
        }
    }
}

void Device::pulse(size_t input) {
    if (input < kSyncInputCount && !booting_) {
        handlePulse(input, now_);
    }
}

void Device::setSyncPulses(size_t input, const SyncPulses &pulses) {
    if (input < kSyncInputCount) {
        config_.sync[input] = pulses;
        // The schedule counts from the next main-loop cycle, so it never lies in the past.
        sync_.configure(input, pulses, booting_ ? bootEndUs_ : nextOnGrid(now_));
    }
}

void Device::emitLog(uint8_t logId, uint8_t msgClass, uint64_t timeUs, const EventMarker *marker) {
    LogMoment moment;
    moment.simTimeUs = timeUs;
    moment.upTimeUs = timeUs - bootUs_;
    moment.timeStamp = timeStampAt(timeUs);
    moment.utcUnixUs = config_.utcStartUnixSeconds * 1000000 + static_cast<int64_t>(timeUs);
    moment.marker = marker;
    size_t size = 0;
    if (!logs_.build(logId, moment, log_) ||
        zuvEComBinaryLogEncode(static_cast<ZuvEComClass>(msgClass), logId, &log_, payload_.data(), payload_.size(),
                               &size) != ZUV_NO_ERROR) {
        return;
    }
    ++stats_.logFrames;
    ++stats_.logsById[logId];
    emitFrame(logId, msgClass, payload_.data(), size);
}

void Device::emitFrame(uint8_t msgId, uint8_t msgClass, const uint8_t *payload, size_t size) {
    size_t frameSize = 0;
    if (zuvEComFrameBuild(msgId, msgClass, payload, size, frame_.data(), frame_.size(), &frameSize) == ZUV_NO_ERROR) {
        output_.deviceFrame(frame_.data(), frameSize, msgClass, msgId, now_);
    }
}

void Device::sendFrame(uint8_t msgId, uint8_t msgClass, const uint8_t *payload, size_t size) {
    emitFrame(msgId, msgClass, payload, size);
}

void Device::receive(const uint8_t *data, size_t size) {
    if (booting_) {
        stats_.bytesIgnored += size;
        return;
    }
    const uint64_t badBefore = receiver_.badFrames();
    receiver_.feed(data, size, [this](uint8_t id, uint8_t msgClass, const uint8_t *payload, size_t n) {
        // Only commands concern the device; an ACK is its own word and is never answered.
        if (msgClass == ZUV_ECOM_CLASS_CMD_0 && id != ZUV_ECOM_CMD_ACK && !booting_) {
            handleCommand(id, payload, n);
        }
    });
    stats_.badCommandFrames += receiver_.badFrames() - badBefore;
}

ZuvErrorCode Device::setOutputMode(uint8_t port, uint8_t msgClass, uint8_t logId, uint16_t mode) {
    if (port >= kPortCount || msgClass >= kLogClassCount || logId >= kLogIdCount || !logProduced(logId) ||
        (mode != 0 && !outputModeAllowed(mode))) {
        return ZUV_INVALID_PARAMETER;
    }
    current_.outputs.set(port, msgClass, logId, mode);
    return ZUV_NO_ERROR;
}

uint16_t Device::outputMode(uint8_t port, uint8_t msgClass, uint8_t logId) const {
    if (port >= kPortCount || msgClass >= kLogClassCount || logId >= kLogIdCount) {
        return 0;
    }
    return current_.outputs.get(port, msgClass, logId);
}

void Device::changePortSpeedTo(uint32_t baudRate) {
    if (baudRate != speedOnLink_) {
        speedOnLink_ = baudRate;
        output_.devicePortSpeed(baudRate);
    }
}

void Device::applySettings(const DeviceSettings &settings) {
    current_ = settings;
    changePortSpeedTo(current_.uart[0].baudRate);
}

void Device::beginReboot() {
    booting_ = true;
    // Boots land on the main-loop grid so that every rate keeps its phase.
    bootEndUs_ = nextOnGrid(now_ + kRebootPauseUs);
    receiver_.reset();
    import_.reset();
    exportImage_.clear();
    sync_.stopAll();
}

void Device::finishBoot() {
    booting_ = false;
    bootUs_ = bootEndUs_;
    nextCycleUs_ = bootUs_;
    pausedUntil_ = 0;
    applySettings(saved_);
    for (size_t input = 0; input < kSyncInputCount; ++input) {
        sync_.configure(input, config_.sync[input], bootUs_);
    }
}

}  // namespace zuv::sim
