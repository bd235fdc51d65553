// A decoder instance in the runtime's step mode (the package objects linked
// in), with what it publishes kept as samples and as JSON lines (the tool's
// own line format).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "jsonLineFormat.h"
#include "zuvLinkedPackage.h"
#include "zuvLogFrames.h"

namespace zuv::test {

using host::ElementType;
using host::StepSample;

inline sinks::SampleType sampleTypeOf(ElementType type) {
    switch (type) {
        case ElementType::TextAscii: return sinks::SampleType::TextAscii;
        case ElementType::Integer32: return sinks::SampleType::Integer32;
        case ElementType::Integer64: return sinks::SampleType::Integer64;
        case ElementType::Float64: return sinks::SampleType::Float64;
        case ElementType::Float32: return sinks::SampleType::Float32;
        default: return sinks::SampleType::Stream8;
    }
}

inline std::string jsonLine(const host::SampleView &sample) {
    const sinks::JsonPinTag tag(sample.instance->c_str(), sample.output->c_str(), sampleTypeOf(sample.type));
    std::string line;
    sinks::appendJsonLine(line, sample.timestamp, tag, sample.data, static_cast<size_t>(sample.vectorSize));
    return line;
}

class DecoderRun {
public:
    DecoderRun() {
        decoder.SetSink([this](const host::SampleView &sample) { lines.push_back(jsonLine(sample)); });
    }

    DecoderRun &enable(const char *property) {
        decoder.Set(property, 1);
        return *this;
    }
    DecoderRun &set(const char *property, int64_t value) {
        decoder.Set(property, value);
        return *this;
    }
    // Birth with the host clock at `now`.
    void start(int64_t now = 0) {
        runtime.SetTime(now);
        decoder.Birth();
    }
    void stop() { decoder.Death(); }
    void decode(int64_t timestamp, const FrameBytes &sample) {
        decoder.Push(timestamp, sample);
        decoder.RunCore();
    }
    std::vector<std::string> takeLines() { return std::exchange(lines, {}); }
    std::vector<std::string> reportTexts() const {
        std::vector<std::string> texts;
        for (const auto &report : decoder.Reports()) texts.push_back(report.text);
        return texts;
    }

    host::StepRuntime runtime;
    host::StepInstance &decoder = linkedPackage(runtime).CreateInstance("ZUV_FrameDecoder", "decoder");
    std::vector<std::string> lines;
};

}  // namespace zuv::test
