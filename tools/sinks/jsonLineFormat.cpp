#include "jsonLineFormat.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include <fmt/compile.h>
#include <fmt/format.h>

namespace zuv::sinks {

namespace {

template <typename Int>
void appendInt(std::string &out, Int v) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, static_cast<size_t>(res.ptr - buf));
}

template <typename T>
void appendArray(std::string &out, const void *data, size_t count, void (*one)(std::string &, T)) {
    out.push_back('[');
    const auto *bytes = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i < count; ++i) {
        if (i != 0) out.push_back(',');
        T v;
        std::memcpy(&v, bytes + i * sizeof(T), sizeof(T));  // samples need not be aligned
        one(out, v);
    }
    out.push_back(']');
}

void appendByteArray(std::string &out, const uint8_t *data, size_t count) {
    out.push_back('[');
    for (size_t i = 0; i < count; ++i) {
        if (i != 0) out.push_back(',');
        unsigned v = data[i];
        if (v >= 100) out.push_back(static_cast<char>('0' + v / 100));
        if (v >= 10) out.push_back(static_cast<char>('0' + v / 10 % 10));
        out.push_back(static_cast<char>('0' + v % 10));
    }
    out.push_back(']');
}

}  // namespace

const char *sampleTypeName(SampleType type) {
    switch (type) {
        case SampleType::Stream8: return "Stream8";
        case SampleType::TextAscii: return "TextAscii";
        case SampleType::Float64: return "Float64";
        case SampleType::Float32: return "Float32";
        case SampleType::Integer32: return "Integer32";
        case SampleType::Integer64: return "Integer64";
    }
    return "Stream8";
}

size_t sampleElementSize(SampleType type) {
    switch (type) {
        case SampleType::Float64:
        case SampleType::Integer64: return 8;
        case SampleType::Float32:
        case SampleType::Integer32: return 4;
        default: return 1;
    }
}

void appendJsonDouble(std::string &out, double value) {
    if (!std::isfinite(value)) {
        out.append("null");
        return;
    }
    // fmt's shortest round-trip digits; its exponent form (1e+22) is valid JSON.
    char buf[32];
    char *end = fmt::format_to(buf, FMT_COMPILE("{}"), value);
    out.append(buf, static_cast<size_t>(end - buf));
}

void appendJsonString(std::string &out, std::string_view bytes) {
    static const char kHex[] = "0123456789abcdef";
    out.push_back('"');
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        switch (u) {
            case '"': out.append("\\\""); continue;
            case '\\': out.append("\\\\"); continue;
            case '\n': out.append("\\n"); continue;
            case '\r': out.append("\\r"); continue;
            case '\t': out.append("\\t"); continue;
            case '\b': out.append("\\b"); continue;
            case '\f': out.append("\\f"); continue;
            default: break;
        }
        if (u < 0x20) {
            out.append("\\u00");
            out.push_back(kHex[u >> 4]);
            out.push_back(kHex[u & 15]);
        } else if (u < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (u >> 6)));
            out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        }
    }
    out.push_back('"');
}

JsonPinTag::JsonPinTag(std::string_view instance, std::string_view output, SampleType type) : type_(type) {
    std::string pin;
    pin.append(instance).push_back('.');
    pin.append(output);
    middle_ = ",\"pin\":";
    appendJsonString(middle_, pin);
    middle_ += ",\"type\":\"";
    middle_ += sampleTypeName(type);
    middle_ += "\",\"data\":";
}

void appendJsonLine(std::string &out, int64_t timestampUs, const JsonPinTag &pin, const void *data, size_t count) {
    out.append("{\"t\":");
    appendInt(out, timestampUs);
    out.append(pin.middle());
    switch (pin.type()) {
        case SampleType::Stream8: appendByteArray(out, static_cast<const uint8_t *>(data), count); break;
        case SampleType::TextAscii:
            appendJsonString(out, std::string_view(static_cast<const char *>(data), count));
            break;
        case SampleType::Float64: appendArray<double>(out, data, count, appendJsonDouble); break;
        case SampleType::Float32:
            appendArray<float>(out, data, count, [](std::string &o, float v) { appendJsonDouble(o, v); });
            break;
        case SampleType::Integer32: appendArray<int32_t>(out, data, count, appendInt<int32_t>); break;
        case SampleType::Integer64: appendArray<int64_t>(out, data, count, appendInt<int64_t>); break;
    }
    out.append("}\n");
}

}  // namespace zuv::sinks
