// Eight bytes as a double (and four of them as a float, widened), written by
// the JSON lines number writer.
// Checks: the text is exactly fmt's "{}" of the value (null when it is not
// finite), fits the room the line writer makes for it, and reads back to the
// same bits.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fmt/format.h>

#include "jsonLineFormat.h"

namespace {

void check(double value) {
    char buf[32];
    const size_t size = static_cast<size_t>(zuv::sinks::putJsonDoubleText(buf, value) - buf);
    if (size > 24) std::abort();
    const std::string text(buf, size);
    if (!std::isfinite(value)) {
        if (text != "null") std::abort();
        return;
    }
    if (text != fmt::format("{}", value)) std::abort();
    const double back = std::strtod(text.c_str(), nullptr);
    if (std::memcmp(&back, &value, sizeof value) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    uint8_t bytes[8] = {};
    std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
    double value;
    std::memcpy(&value, bytes, sizeof value);
    check(value);
    float narrow;
    std::memcpy(&narrow, bytes, sizeof narrow);
    check(static_cast<double>(narrow));
    return 0;
}
