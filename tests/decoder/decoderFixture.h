// A decoder instance in the component harness, with what it publishes kept
// as samples and as JSON lines (the tool's own line format).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jsonLineFormat.h"
#include "zuvComponentHarness.h"
#include "zuvLogFrames.h"

namespace zuv::test {

inline sinks::SampleType sampleTypeOf(MAPSElementType type) {
    switch (type) {
        case MAPSType_TextAscii: return sinks::SampleType::TextAscii;
        case MAPSType_Integer32: return sinks::SampleType::Integer32;
        case MAPSType_Integer64: return sinks::SampleType::Integer64;
        case MAPSType_Float64: return sinks::SampleType::Float64;
        case MAPSType_Float32: return sinks::SampleType::Float32;
        default: return sinks::SampleType::Stream8;
    }
}

inline std::string jsonLine(const char *instance, const char *output, MAPSIOElt &element) {
    const sinks::JsonPinTag tag(instance, output, sampleTypeOf(element.Type()));
    std::string line;
    sinks::appendJsonLine(line, element.Timestamp(), tag, element.Data(), static_cast<size_t>(element.VectorSize()));
    return line;
}

class DecoderRun {
public:
    DecoderRun() {
        harness.setPublishHook(
            [this](const char *output, MAPSIOElt &element) { lines.push_back(jsonLine("decoder", output, element)); });
    }

    DecoderRun &enable(const char *property) {
        harness.set(property, 1);
        return *this;
    }
    DecoderRun &set(const char *property, int64_t value) {
        harness.set(property, value);
        return *this;
    }
    // Birth with the host clock at `now`.
    void start(int64_t now = 0) {
        ComponentHarness::setTime(now);
        harness.birth();
    }
    void stop() { harness.death(); }
    void decode(int64_t timestamp, const FrameBytes &sample) {
        harness.feed(timestamp, sample);
        harness.runCore();
    }
    std::vector<std::string> takeLines() { return std::exchange(lines, {}); }
    std::vector<std::string> reportTexts() const {
        std::vector<std::string> texts;
        for (const auto &report : harness.reports()) texts.push_back(report.text);
        return texts;
    }

    ComponentHarness harness{"ZUV_FrameDecoder", "decoder"};
    std::vector<std::string> lines;
};

}  // namespace zuv::test
