#include "maps_advanced.h"

#include <cstdio>
#include <cstring>
#include <limits>

namespace {

// Messages are bounded like the host's own: 500 bytes with the end.
constexpr size_t kMessageSize = 500;

const char* TypeName(MAPSElementType type) {
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

} // namespace

MAPSAdvancedComponent::MAPSAdvancedComponent(const char* name, MAPSComponentDefinition& definition)
    : MAPSComponent(name, definition) {}

MAPSAdvancedComponent::~MAPSAdvancedComponent() = default;

MAPSString MAPSAdvancedComponent::GetName(const char* pattern, int index) {
  MAPSString name(pattern ? pattern : "");
  name += MAPSString::FromInteger(index, "0");
  return name;
}

MAPSInput& MAPSAdvancedComponent::AddNewInput(const char* pattern, int index) {
  return NewInput(pattern, GetName(pattern, index));
}

MAPSOutput& MAPSAdvancedComponent::AddNewOutput(const char* pattern, int index) {
  return NewOutput(pattern, GetName(pattern, index));
}

MAPSProperty& MAPSAdvancedComponent::AddNewProperty(const char* pattern, int index) {
  return NewProperty(pattern, GetName(pattern, index));
}

void MAPSAdvancedComponent::AddNewInputs(const char* pattern, int count) {
  for (int i = 0; i < count; ++i) AddNewInput(pattern, i);
}

void MAPSAdvancedComponent::AddNewOutputs(const char* pattern, int count) {
  for (int i = 0; i < count; ++i) AddNewOutput(pattern, i);
}

void MAPSAdvancedComponent::AddNewProperties(const char* pattern, int count) {
  for (int i = 0; i < count; ++i) AddNewProperty(pattern, i);
}

MAPSOutput* MAPSAdvancedComponent::OutputFor(const char* outputName, MAPSElementType type, long long count) {
  MAPSOutput& output = Output(outputName);
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
  Report(message, 2);
  return nullptr;
}

bool MAPSAdvancedComponent::CopyDouble2OutPin(const char* outputName, const double* values, int count,
                                              const MAPSTimestamp& timestamp, int quality) {
  MAPSOutput* output = OutputFor(outputName, MAPSType_Float64, count);
  if (output == nullptr) return false;
  MAPSIOElt* element = StartWriting(*output);
  if (element == nullptr) {
    char message[kMessageSize];
    std::snprintf(message, sizeof message, "Problem to write data on pin %s !!!", outputName);
    Report(message, 2);
    return false;
  }
  for (int i = 0; i < count; ++i) element->Float64(i) = static_cast<double>(static_cast<float>(values[i]));
  element->Timestamp() = timestamp;
  element->Quality() = quality;
  element->VectorSize() = count;
  return StopWriting(element, false);
}

bool MAPSAdvancedComponent::CopyDouble2OutPin(const char* outputName, std::vector<double> values,
                                              const MAPSTimestamp& timestamp, int quality) {
  const long long count = static_cast<long long>(values.size());
  if (count > std::numeric_limits<int>::max()) {
    OutputFor(outputName, MAPSType_Float64, count); // reports the refusal
    return false;
  }
  return CopyDouble2OutPin(outputName, values.data(), static_cast<int>(values.size()), timestamp, quality);
}

bool MAPSAdvancedComponent::CopyVectorDouble2OutPin(const char* outputName, const std::vector<double>& values,
                                                    const MAPSTimestamp& timestamp, int quality) {
  return CopyDouble2OutPin(outputName, values, timestamp, quality);
}

bool MAPSAdvancedComponent::CopyInteger2OutPin(const char* outputName, const MAPSInt32* values, int count,
                                               const MAPSTimestamp& timestamp, int quality) {
  MAPSOutput* output = OutputFor(outputName, MAPSType_Integer32, count);
  if (output == nullptr) return false;
  MAPSIOElt* element = StartWriting(*output);
  if (element == nullptr) {
    char message[kMessageSize];
    std::snprintf(message, sizeof message, "Problem to write data on pin %s !!!", outputName);
    Report(message, 2);
    return false;
  }
  for (int i = 0; i < count; ++i) element->Integer32(i) = values[i];
  element->Timestamp() = timestamp;
  element->Quality() = quality;
  element->VectorSize() = count;
  return StopWriting(element, false);
}

bool MAPSAdvancedComponent::CopyString2OutPin(const char* outputName, const char* text,
                                              const MAPSTimestamp& timestamp) {
  if (text == nullptr) text = "";
  const size_t length = std::strlen(text);
  MAPSOutput* output = OutputFor(outputName, MAPSType_TextAscii, static_cast<long long>(length));
  if (output == nullptr) return false;
  MAPSIOElt* element = StartWriting(*output);
  if (element == nullptr) {
    char message[kMessageSize];
    std::snprintf(message, sizeof message, "Problem to write data on pin %s !!!", outputName);
    Report(message, 2);
    return false;
  }
  // The host gives text elements room for the terminating zero.
  std::memcpy(element->TextAscii(), text, length + 1);
  element->Timestamp() = timestamp;
  element->VectorSize() = static_cast<int>(length);
  return StopWriting(element, false);
}

void MAPSAdvancedComponent::LifeChecking(MAPSModule* component, int) {
  if (component == nullptr) return;
  component->Set(component->Property("pAlive"), component->IsRunning());
}

MAPSString MAPSAdvancedComponent::TimestampedLine(const std::tm& localTime, const char* message) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "[%d-%d-%d @ %d:%d]", localTime.tm_year + 1900, localTime.tm_mon + 1,
                localTime.tm_mday, localTime.tm_hour, localTime.tm_min);
  MAPSString line(stamp);
  line += "Error: ";
  line += message ? message : "";
  return line;
}

void MAPSAdvancedComponent::WriteTimestampedMessageInFile(const char* path, const char* message) {
  if (path == nullptr || *path == '\0') return;
  const std::time_t now = std::time(nullptr);
  std::tm localTime{};
  if (localtime_r(&now, &localTime) == nullptr) return;
  std::FILE* file = std::fopen(path, "a");
  if (file == nullptr) return;
  MAPSString line = TimestampedLine(localTime, message);
  line += '\n';
  std::fputs(line.c_str(), file);
  std::fclose(file);
}

void MAPSAdvancedComponent::ReportInFile(const char* message) {
  if (!firstReportFile.IsEmpty()) WriteTimestampedMessageInFile(firstReportFile, message);
  if (!secondReportFile.IsEmpty()) WriteTimestampedMessageInFile(secondReportFile, message);
}
