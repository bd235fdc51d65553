#include "maps_advanced.h"

#include "ZuvWriteSample.h"

#include <cstdio>
#include <cstring>
#include <limits>

namespace {

const char *const kNoElementReport = "Problem to write data on pin %s !!!";

}  // namespace

MAPSAdvancedComponent::MAPSAdvancedComponent(const char *name, MAPSComponentDefinition &definition)
    : MAPSComponent(name, definition) {}

MAPSAdvancedComponent::~MAPSAdvancedComponent() = default;

MAPSString MAPSAdvancedComponent::GetName(const char *pattern, int index) {
    MAPSString name(pattern ? pattern : "");
    name += MAPSString::FromInteger(index, "0");
    return name;
}

MAPSInput &MAPSAdvancedComponent::AddNewInput(const char *pattern, int index) {
    return NewInput(pattern, GetName(pattern, index));
}

MAPSOutput &MAPSAdvancedComponent::AddNewOutput(const char *pattern, int index) {
    return NewOutput(pattern, GetName(pattern, index));
}

MAPSProperty &MAPSAdvancedComponent::AddNewProperty(const char *pattern, int index) {
    return NewProperty(pattern, GetName(pattern, index));
}

void MAPSAdvancedComponent::AddNewInputs(const char *pattern, int count) {
    for (int i = 0; i < count; ++i) AddNewInput(pattern, i);
}

void MAPSAdvancedComponent::AddNewOutputs(const char *pattern, int count) {
    for (int i = 0; i < count; ++i) AddNewOutput(pattern, i);
}

void MAPSAdvancedComponent::AddNewProperties(const char *pattern, int count) {
    for (int i = 0; i < count; ++i) AddNewProperty(pattern, i);
}

bool MAPSAdvancedComponent::CopyDouble2OutPin(const char *outputName, const double *values, int count,
                                              const MAPSTimestamp &timestamp, int quality) {
    return zuv::WriteSample(*this, outputName, MAPSType_Float64, count, {timestamp, quality}, kNoElementReport,
                            [&](MAPSIOElt &element) {
                                for (int i = 0; i < count; ++i)
                                    element.Float64(i) = static_cast<double>(static_cast<float>(values[i]));
                            });
}

bool MAPSAdvancedComponent::CopyDouble2OutPin(const char *outputName, std::vector<double> values,
                                              const MAPSTimestamp &timestamp, int quality) {
    const long long count = static_cast<long long>(values.size());
    if (count > std::numeric_limits<int>::max()) {
        zuv::OutputTaking(*this, outputName, MAPSType_Float64, count);  // reports the refusal
        return false;
    }
    return CopyDouble2OutPin(outputName, values.data(), static_cast<int>(values.size()), timestamp, quality);
}

bool MAPSAdvancedComponent::CopyVectorDouble2OutPin(const char *outputName, const std::vector<double> &values,
                                                    const MAPSTimestamp &timestamp, int quality) {
    return CopyDouble2OutPin(outputName, values, timestamp, quality);
}

bool MAPSAdvancedComponent::CopyInteger2OutPin(const char *outputName, const MAPSInt32 *values, int count,
                                               const MAPSTimestamp &timestamp, int quality) {
    return zuv::WriteSample(*this, outputName, MAPSType_Integer32, count, {timestamp, quality}, kNoElementReport,
                            [&](MAPSIOElt &element) {
                                for (int i = 0; i < count; ++i) element.Integer32(i) = values[i];
                            });
}

bool MAPSAdvancedComponent::CopyString2OutPin(const char *outputName, const char *text,
                                              const MAPSTimestamp &timestamp) {
    if (text == nullptr) text = "";
    const size_t length = std::strlen(text);
    // The host gives text elements room for the terminating zero.
    return zuv::WriteSample(*this, outputName, MAPSType_TextAscii, static_cast<long long>(length),
                            {timestamp, std::nullopt}, kNoElementReport,
                            [&](MAPSIOElt &element) { std::memcpy(element.TextAscii(), text, length + 1); });
}

void MAPSAdvancedComponent::LifeChecking(MAPSModule *component, int) {
    if (component == nullptr) return;
    component->Set(component->Property("pAlive"), component->IsRunning());
}

MAPSString MAPSAdvancedComponent::TimestampedLine(const std::tm &localTime, const char *message) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%d-%d-%d @ %d:%d]", localTime.tm_year + 1900, localTime.tm_mon + 1,
                  localTime.tm_mday, localTime.tm_hour, localTime.tm_min);
    MAPSString line(stamp);
    line += "Error: ";
    line += message ? message : "";
    return line;
}

void MAPSAdvancedComponent::WriteTimestampedMessageInFile(const char *path, const char *message) {
    if (path == nullptr || *path == '\0') return;
    const std::time_t now = std::time(nullptr);
    std::tm localTime{};
    if (localtime_r(&now, &localTime) == nullptr) return;
    std::FILE *file = std::fopen(path, "a");
    if (file == nullptr) return;
    MAPSString line = TimestampedLine(localTime, message);
    line += '\n';
    std::fputs(line.c_str(), file);
    std::fclose(file);
}

void MAPSAdvancedComponent::ReportInFile(const char *message) {
    if (!firstReportFile.IsEmpty()) WriteTimestampedMessageInFile(firstReportFile, message);
    if (!secondReportFile.IsEmpty()) WriteTimestampedMessageInFile(secondReportFile, message);
}
