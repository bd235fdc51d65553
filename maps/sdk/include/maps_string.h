// Host strings used by the component API.
// Errors: none; allocation failure throws std::bad_alloc like the standard
// library. Threads: a string is owned by one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class MAPSString {
public:
    MAPSString() = default;
    MAPSString(const char *text) : text_(text ? text : "") {}
    MAPSString(const char *text, size_t length) : text_(text ? text : "", text ? length : 0) {}
    MAPSString(const std::string &text) : text_(text) {}

    const char *Beginning() const { return text_.c_str(); }
    const char *c_str() const { return text_.c_str(); }
    operator const char *() const { return text_.c_str(); }
    int Len() const { return static_cast<int>(text_.size()); }
    int Length() const { return Len(); }
    bool IsEmpty() const { return text_.empty(); }
    void Clear() { text_.clear(); }

    MAPSString &operator=(const char *text) {
        text_ = text ? text : "";
        return *this;
    }
    MAPSString &operator+=(const MAPSString &other) {
        text_ += other.text_;
        return *this;
    }
    MAPSString &operator+=(const char *text) {
        if (text) text_ += text;
        return *this;
    }
    MAPSString &operator+=(char c) {
        text_ += c;
        return *this;
    }
    // Numbers render in decimal with no padding (the numeric format "0").
    MAPSString &operator+=(int value) { return *this += static_cast<long long>(value); }
    MAPSString &operator+=(long value) { return *this += static_cast<long long>(value); }
    MAPSString &operator+=(long long value) {
        text_ += std::to_string(value);
        return *this;
    }
    MAPSString &operator+=(unsigned value) { return *this += static_cast<unsigned long long>(value); }
    MAPSString &operator+=(unsigned long value) { return *this += static_cast<unsigned long long>(value); }
    MAPSString &operator+=(unsigned long long value) {
        text_ += std::to_string(value);
        return *this;
    }
    MAPSString &operator+=(double value) {
        text_ += std::to_string(value);
        return *this;
    }

    template <class T>
    friend MAPSString operator+(MAPSString left, const T &right) {
        left += right;
        return left;
    }
    friend MAPSString operator+(const char *left, const MAPSString &right) { return MAPSString(left) += right; }

    friend bool operator==(const MAPSString &a, const MAPSString &b) { return a.text_ == b.text_; }
    friend bool operator==(const MAPSString &a, const char *b) { return a.text_ == (b ? b : ""); }
    friend bool operator!=(const MAPSString &a, const MAPSString &b) { return !(a == b); }
    friend bool operator!=(const MAPSString &a, const char *b) { return !(a == b); }

    // Renders value with a numeric format: "0" is a plain decimal integer.
    static MAPSString FromInteger(long long value, const char *format = "0");

private:
    std::string text_;
};

// A string meant to live on the stack; the same type, kept for the API.
class MAPSStackedString : public MAPSString {
public:
    using MAPSString::MAPSString;
    MAPSStackedString() = default;
    MAPSStackedString(const MAPSString &other) : MAPSString(other) {}
};

using MAPSStringArray = std::vector<MAPSString>;
