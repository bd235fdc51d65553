#include "ZuvWriteSample.h"

#include <cstdio>

namespace {

// Messages are bounded like the host's own: 500 bytes with the end.
constexpr size_t kMessageSize = 500;

const char *TypeName(MAPSElementType type) {
    switch (type) {
        case MAPSType_Stream8: return "Stream8";
        case MAPSType_TextAscii: return "TextAscii";
        case MAPSType_Integer32: return "Integer32";
        case MAPSType_Integer64: return "Integer64";
        case MAPSType_Float64: return "Float64";
        case MAPSType_Float32: return "Float32";
    }
    return "unknown";
}

}  // namespace

namespace zuv {

MAPSOutput *OutputTaking(MAPSComponent &component, const char *outputName, MAPSElementType type, long long count) {
    MAPSOutput &output = component.Output(outputName);
    char message[kMessageSize];
    if (output.Type() != type) {
        std::snprintf(message, sizeof message, "Cannot write %s data on pin %s of type %s", TypeName(type),
                      output.Name(), TypeName(output.Type()));
    } else if (count < 0 || count > output.BufferSize()) {
        std::snprintf(message, sizeof message, "Cannot write %lld elements on pin %s (at most %d)", count,
                      output.Name(), output.BufferSize());
    } else {
        return &output;
    }
    component.Report(message, 2);
    return nullptr;
}

void ReportNoElement(MAPSComponent &component, const char *noElementReport, const char *outputName) {
    if (noElementReport == nullptr) {
        return;
    }
    char message[kMessageSize];
    std::snprintf(message, sizeof message, noElementReport, outputName);
    component.Report(message, 2);
}

}  // namespace zuv
