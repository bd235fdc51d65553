#include "jsonLineFormat.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include <fmt/format.h>

namespace zuv::sinks {

namespace {

// Longest text of one element, with its separating comma.
constexpr size_t kMaxDoubleText = 25;   // -2.2250738585072014e-308,
constexpr size_t kMaxIntegerText = 21;  // -9223372036854775808,
constexpr size_t kMaxEscapedByte = 6;   // \u001f

// The formatters write into room the caller has made (jsonLineBound), which
// is faster than growing a string piece by piece.
template <typename Int>
char *putInt(char *p, Int v) {
    return std::to_chars(p, p + 24, v).ptr;
}

char *putText(char *p, std::string_view text) {
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The decimal digits of v, right-aligned ending at end; the first digit.
char *putDigitsBackwards(char *end, uint64_t v) {
    while (v >= 100) {
        end -= 2;
        std::memcpy(end, kDigitPairs + (v % 100) * 2, 2);
        v /= 100;
    }
    if (v >= 10) {
        end -= 2;
        std::memcpy(end, kDigitPairs + v * 2, 2);
    } else {
        *--end = static_cast<char>('0' + v);
    }
    return end;
}

}  // namespace

// fmt's "{}" text of a finite double, laid out here from the same shortest
// digits: fmt's general writer spends more on its options than on the digits.
char *putJsonDoubleText(char *p, double value) {
    if (!std::isfinite(value)) return putText(p, "null");
    if (std::signbit(value)) {
        *p++ = '-';
        value = -value;
    }
    const auto dec = fmt::detail::dragonbox::to_decimal(value);
    char digitsBuf[24];
    char *const digitsEnd = digitsBuf + sizeof digitsBuf;
    const char *digits = putDigitsBackwards(digitsEnd, dec.significand);
    const int count = static_cast<int>(digitsEnd - digits);
    const int exponent = dec.exponent;
    const int outputExponent = exponent + count - 1;
    if (outputExponent < -4 || outputExponent >= 16) {
        // 1.2345e+22, 5e-324: at least two exponent digits.
        *p++ = digits[0];
        if (count > 1) {
            *p++ = '.';
            p = putText(p, std::string_view(digits + 1, static_cast<size_t>(count - 1)));
        }
        *p++ = 'e';
        *p++ = outputExponent < 0 ? '-' : '+';
        unsigned e = static_cast<unsigned>(outputExponent < 0 ? -outputExponent : outputExponent);
        if (e >= 100) {
            *p++ = static_cast<char>('0' + e / 100);
            e %= 100;
        }
        std::memcpy(p, kDigitPairs + e * 2, 2);
        return p + 2;
    }
    if (exponent >= 0) {
        // 1234e5 -> 123400000
        p = putText(p, std::string_view(digits, static_cast<size_t>(count)));
        std::memset(p, '0', static_cast<size_t>(exponent));
        return p + exponent;
    }
    const int integral = exponent + count;
    if (integral > 0) {
        // 1234e-2 -> 12.34
        p = putText(p, std::string_view(digits, static_cast<size_t>(integral)));
        *p++ = '.';
        return putText(p, std::string_view(digits + integral, static_cast<size_t>(count - integral)));
    }
    // 1234e-6 -> 0.001234
    *p++ = '0';
    *p++ = '.';
    std::memset(p, '0', static_cast<size_t>(-integral));
    p += -integral;
    return putText(p, std::string_view(digits, static_cast<size_t>(count)));
}

namespace {

char *putDouble(char *p, double value) {
    return putJsonDoubleText(p, value);
}

template <typename T, typename Put>
char *putArray(char *p, const void *data, size_t count, Put one) {
    *p++ = '[';
    const auto *bytes = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i < count; ++i) {
        if (i != 0) *p++ = ',';
        T v;
        std::memcpy(&v, bytes + i * sizeof(T), sizeof(T));  // samples need not be aligned
        p = one(p, v);
    }
    *p++ = ']';
    return p;
}

char *putByteArray(char *p, const uint8_t *data, size_t count) {
    *p++ = '[';
    for (size_t i = 0; i < count; ++i) {
        if (i != 0) *p++ = ',';
        unsigned v = data[i];
        if (v >= 100) *p++ = static_cast<char>('0' + v / 100);
        if (v >= 10) *p++ = static_cast<char>('0' + v / 10 % 10);
        *p++ = static_cast<char>('0' + v % 10);
    }
    *p++ = ']';
    return p;
}

char *putString(char *p, std::string_view bytes) {
    static const char kHex[] = "0123456789abcdef";
    *p++ = '"';
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        switch (u) {
            case '"': p = putText(p, "\\\""); continue;
            case '\\': p = putText(p, "\\\\"); continue;
            case '\n': p = putText(p, "\\n"); continue;
            case '\r': p = putText(p, "\\r"); continue;
            case '\t': p = putText(p, "\\t"); continue;
            case '\b': p = putText(p, "\\b"); continue;
            case '\f': p = putText(p, "\\f"); continue;
            default: break;
        }
        if (u < 0x20) {
            p = putText(p, "\\u00");
            *p++ = kHex[u >> 4];
            *p++ = kHex[u & 15];
        } else if (u < 0x80) {
            *p++ = c;
        } else {
            *p++ = static_cast<char>(0xC0 | (u >> 6));
            *p++ = static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    *p++ = '"';
    return p;
}

size_t lineBound(const JsonPinTag &pin, size_t count) {
    size_t perElement = kMaxEscapedByte;
    switch (pin.type()) {
        case SampleType::Stream8: perElement = 4; break;
        case SampleType::TextAscii: perElement = kMaxEscapedByte; break;
        case SampleType::Float64:
        case SampleType::Float32: perElement = kMaxDoubleText; break;
        case SampleType::Integer32:
        case SampleType::Integer64: perElement = kMaxIntegerText; break;
    }
    // {"t":T MIDDLE [ ... ] }\n, or the two quotes of a string.
    return 5 + kMaxIntegerText + pin.middle().size() + 2 + count * perElement + 2;
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
    char buf[32];
    out.append(buf, static_cast<size_t>(putDouble(buf, value) - buf));
}

void appendJsonString(std::string &out, std::string_view bytes) {
    const size_t at = out.size();
    out.resize(at + 2 + bytes.size() * kMaxEscapedByte);
    char *end = putString(out.data() + at, bytes);
    out.resize(static_cast<size_t>(end - out.data()));
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
    const size_t at = out.size();
    out.resize(at + lineBound(pin, count));
    char *p = out.data() + at;
    p = putText(p, "{\"t\":");
    p = putInt(p, timestampUs);
    p = putText(p, pin.middle());
    switch (pin.type()) {
        case SampleType::Stream8: p = putByteArray(p, static_cast<const uint8_t *>(data), count); break;
        case SampleType::TextAscii: p = putString(p, std::string_view(static_cast<const char *>(data), count)); break;
        case SampleType::Float64: p = putArray<double>(p, data, count, putDouble); break;
        case SampleType::Float32:
            p = putArray<float>(p, data, count, [](char *q, float v) { return putDouble(q, v); });
            break;
        case SampleType::Integer32: p = putArray<int32_t>(p, data, count, putInt<int32_t>); break;
        case SampleType::Integer64: p = putArray<int64_t>(p, data, count, putInt<int64_t>); break;
    }
    p = putText(p, "}\n");
    out.resize(static_cast<size_t>(p - out.data()));
}

}  // namespace zuv::sinks
