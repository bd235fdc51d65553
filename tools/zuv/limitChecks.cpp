#include "limitChecks.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <fmt/format.h>

namespace zuv::tool {

std::string checkDurationSeconds(const std::string &text) {
    char *end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || *end != '\0')
        return fmt::format("\"{}\" is not a number of seconds", text);
    if (!std::isfinite(value) || errno == ERANGE) return fmt::format("\"{}\" is not a finite number of seconds", text);
    if (value < 0) return fmt::format("{} must be at least 0 seconds", text);
    if (value > kMaxDurationSeconds) {
        return fmt::format("{} must be at most {:.0f} seconds (about 100 years)", text, kMaxDurationSeconds);
    }
    return {};
}

std::string checkSampleCount(const std::string &text) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::string digits = negative ? text.substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
        return fmt::format("\"{}\" is not a whole number of samples", text);
    }
    if (negative) return fmt::format("{} must be at least 1", text);
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value > static_cast<unsigned long long>(INT64_MAX)) {
        return fmt::format("{} must be below 2^63", text);
    }
    if (value < 1) return fmt::format("{} must be at least 1", text);
    return {};
}

CLI::Validator durationSecondsCheck() {
    return CLI::Validator(checkDurationSeconds, "S", "DURATION");
}

CLI::Validator sampleCountCheck() {
    return CLI::Validator(checkSampleCount, "N", "COUNT");
}

}  // namespace zuv::tool
