#include "rateRequest.h"

#include <nlohmann/json.hpp>

#include "zuvEComLogCatalogue.h"

namespace zuv::tool {

namespace {

bool isRateChoice(const std::string &text) {
    for (const auto &choice : catalogue::kRateChoices) {
        if (text == choice.text) return true;
    }
    return false;
}

// Values are quoted in the message, cut short: they came from the network.
std::string shown(const nlohmann::json &value) {
    std::string text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return text.size() > 40 ? text.substr(0, 40) + "..." : text;
}

}  // namespace

bool isRateProperty(std::string_view name) {
    for (const auto &kind : catalogue::kLogKinds) {
        if (name == kind.property) return true;
    }
    return false;
}

bool parseRateRequest(std::string_view body, RateSettings &out, std::string &error) {
    out.clear();
    const nlohmann::json request = nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
    if (request.is_discarded() || !request.is_object() || !request.contains("rates") || !request["rates"].is_object()) {
        error = "expected {\"rates\": {\"pImuData\": \"50 Hz\", ...}}";
        return false;
    }
    RateSettings settings;
    for (const auto &[property, value] : request["rates"].items()) {
        if (!isRateProperty(property)) {
            error = "no rate property " + shown(nlohmann::json(property));
            return false;
        }
        if (!value.is_string() || !isRateChoice(value.get<std::string>())) {
            error = property + ": not a rate choice: " + shown(value);
            return false;
        }
        settings.emplace_back(property, value.get<std::string>());
    }
    if (settings.empty()) {
        error = "no rate to set";
        return false;
    }
    out = std::move(settings);
    return true;
}

}  // namespace zuv::tool
