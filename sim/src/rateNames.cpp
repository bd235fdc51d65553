// Names of the logs and rate choices on the command line: the same texts as the
// frame reader's rate properties, so one vocabulary serves both.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "settingsRules.h"
#include "zuvEComLogCatalogue.h"
#include "zuvSimCli.h"

namespace zuv::sim {

namespace {

namespace catalogue = zuv::catalogue;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool plainNumber(const std::string &text, unsigned long &value) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    value = std::strtoul(text.c_str(), nullptr, 10);
    return true;
}

std::string trimmed(const std::string &text) {
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

}  // namespace

std::optional<uint16_t> outputModeFromText(const std::string &text) {
    const std::string wanted = lower(trimmed(text));
    for (const catalogue::RateChoice &choice : catalogue::kRateChoices) {
        if (lower(choice.text) == wanted) {
            return choice.mode;
        }
    }
    unsigned long number = 0;
    if (plainNumber(wanted, number) && number <= UINT16_MAX &&
        (number == 0 || outputModeAllowed(static_cast<uint16_t>(number)))) {
        return static_cast<uint16_t>(number);
    }
    return std::nullopt;
}

const char *outputModeText(uint16_t mode) {
    for (const catalogue::RateChoice &choice : catalogue::kRateChoices) {
        if (choice.mode == mode) {
            return choice.text;
        }
    }
    return nullptr;
}

std::vector<uint8_t> logIdsFromText(const std::string &text) {
    std::string wanted = lower(trimmed(text));
    if (wanted == "all") {
        std::vector<uint8_t> ids;
        for (const catalogue::LogKind &kind : catalogue::kLogKinds) {
            ids.push_back(kind.msgId);
        }
        return ids;
    }
    unsigned long number = 0;
    if (plainNumber(wanted, number)) {
        return number < kLogIdCount && logProduced(static_cast<uint8_t>(number))
                   ? std::vector<uint8_t>{static_cast<uint8_t>(number)}
                   : std::vector<uint8_t>{};
    }
    for (const catalogue::LogKind &kind : catalogue::kLogKinds) {
        const std::string name = lower(catalogue::logName(kind));
        if (wanted == name || wanted == "p" + name) {
            return {kind.msgId};
        }
    }
    return {};
}

bool parseRateOption(const std::string &text, std::vector<OutputModeSetting> &out, std::string &error) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos) {
        error = "--rate wants LOG=CHOICE, got '" + text + "'";
        return false;
    }
    const std::vector<uint8_t> ids = logIdsFromText(text.substr(0, equals));
    if (ids.empty()) {
        error = "--rate: unknown log '" + text.substr(0, equals) + "'";
        return false;
    }
    const std::optional<uint16_t> mode = outputModeFromText(text.substr(equals + 1));
    if (!mode) {
        error = "--rate: unknown rate '" + text.substr(equals + 1) + "' (e.g. \"100 Hz\", \"On Sync B Event\")";
        return false;
    }
    for (const uint8_t id : ids) {
        out.push_back(OutputModeSetting{id, *mode});
    }
    return true;
}

}  // namespace zuv::sim
