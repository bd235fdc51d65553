// One output sample as one JSON line:
//   {"t":T,"pin":"INSTANCE.OUTPUT","type":"TYPE","data":DATA}\n
// Float64 (and Float32, widened) in the shortest form that reads back to the
// same double (non-finite as null), integers and bytes as integer arrays, TextAscii as a JSON string
// (bytes above 0x7F taken as U+0080..U+00FF, so the line is always valid UTF-8).
// Errors: none; every input gives a well-formed line. Threading: a formatter
// belongs to one thread. Appending reuses the caller's string: once it has
// grown to the largest line, formatting allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zuv::sinks {

enum class SampleType { Stream8, TextAscii, Float64, Float32, Integer32, Integer64 };
inline constexpr size_t kSampleTypeCount = 6;

const char *sampleTypeName(SampleType type);
size_t sampleElementSize(SampleType type);

// The constant middle of a pin's lines, built once per pin.
class JsonPinTag {
public:
    JsonPinTag(std::string_view instance, std::string_view output, SampleType type);
    SampleType type() const { return type_; }
    const std::string &middle() const { return middle_; }

private:
    SampleType type_;
    std::string middle_;  // ,"pin":"…","type":"…","data":
};

// data points at count elements of the pin's type (bytes for Stream8 and TextAscii).
void appendJsonLine(std::string &out, int64_t timestampUs, const JsonPinTag &pin, const void *data, size_t count);

// Building blocks, exposed for the tests and for other JSON writers.
void appendJsonDouble(std::string &out, double value);
// The same text into at least 25 bytes at p (no terminator); the end of it.
// The text is fmt's "{}" of the value, or null when it is not finite.
char *putJsonDoubleText(char *p, double value);
void appendJsonString(std::string &out, std::string_view bytes);

}  // namespace zuv::sinks
