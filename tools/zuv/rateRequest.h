// The body of the page's rate request: {"rates": {"pImuData": "50 Hz", ...}},
// each name a reader rate property and each value one of its choice texts.
// Errors: false with a message for the page (malformed JSON, an unknown
// property or choice, nothing to set); `out` is then left empty.
// Threading: pure.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zuv::tool {

using RateSettings = std::vector<std::pair<std::string, std::string>>;

bool parseRateRequest(std::string_view body, RateSettings &out, std::string &error);
bool isRateProperty(std::string_view name);

}  // namespace zuv::tool
