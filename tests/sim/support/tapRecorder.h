// Collects what a simulator sends, frame by frame, and parses the logs.
#pragma once

#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "zuvEComBinaryLogs.h"
#include "zuvSim.h"

namespace zuv::test {
using namespace zuv::sim;

struct TappedFrame {
    std::vector<uint8_t> bytes;  // the frame without noise
    size_t noiseBytes = 0;
    uint8_t msgClass = 0;
    uint8_t msgId = 0;
    uint32_t faults = 0;
    uint64_t deviceTimeUs = 0;

    const uint8_t *payload() const { return bytes.data() + 6; }
    size_t payloadSize() const { return bytes.size() - 9; }
    uint32_t timeStamp() const {
        uint32_t ts = 0;
        std::memcpy(&ts, payload(), 4);  // little-endian host
        return ts;
    }
    ZuvBinaryLogData parse() const {
        ZuvBinaryLogData log{};
        zuvEComBinaryLogParse(static_cast<ZuvEComClass>(msgClass), msgId, payload(), payloadSize(), &log);
        return log;
    }
};

// Frames in the order the device sent them, with lookups by log.
class FrameList {
public:
    std::vector<const TappedFrame *> ofId(uint8_t id, uint8_t msgClass = 0) const {
        std::vector<const TappedFrame *> out;
        for (const TappedFrame &frame : frames) {
            if (frame.msgId == id && frame.msgClass == msgClass) {
                out.push_back(&frame);
            }
        }
        return out;
    }
    std::vector<uint32_t> timeStamps(uint8_t id, uint8_t msgClass = 0) const {
        std::vector<uint32_t> out;
        for (const TappedFrame *frame : ofId(id, msgClass)) {
            out.push_back(frame->timeStamp());
        }
        return out;
    }
    // When the device produced each frame (raw logs carry no time stamp of their own).
    std::vector<uint32_t> productionTimes(uint8_t id, uint8_t msgClass = 0) const {
        std::vector<uint32_t> out;
        for (const TappedFrame *frame : ofId(id, msgClass)) {
            out.push_back(static_cast<uint32_t>(frame->deviceTimeUs));
        }
        return out;
    }
    static bool hasTimeStamp(uint8_t id) { return zuvEComBinaryLogIsRaw(id) == 0; }

    std::vector<TappedFrame> frames;
};

// Install with sim.setFrameTap(recorder.tap()). Without a link the tap runs inside
// advance() and `frames` can be read directly; with one, read a snapshot().
class TapRecorder : public FrameList {
public:
    FrameTap tap() {
        return [this](const SentFrame &sent) {
            TappedFrame frame;
            frame.bytes.assign(sent.bytes + sent.noiseBytes, sent.bytes + sent.size);
            frame.noiseBytes = sent.noiseBytes;
            frame.msgClass = sent.msgClass;
            frame.msgId = sent.msgId;
            frame.faults = sent.faults;
            frame.deviceTimeUs = sent.deviceTimeUs;
            std::lock_guard<std::mutex> lock(mutex_);
            frames.push_back(std::move(frame));
        };
    }
    FrameList snapshot() const {
        std::lock_guard<std::mutex> lock(mutex_);
        FrameList copy;
        copy.frames = frames;
        return copy;
    }

private:
    mutable std::mutex mutex_;
};

// A simulator without a link on the manual clock: everything it sends lands in the recorder.
inline SimConfig manualConfig() {
    SimConfig config;
    config.clock = ClockMode::Manual;
    config.link = LinkKind::None;
    return config;
}

}  // namespace zuv::test
