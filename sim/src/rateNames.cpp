// Names of the logs and rate choices on the command line: the same texts as the
// frame reader's rate properties, so one vocabulary serves both.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "settingsRules.h"
#include "zuvSimCli.h"

namespace zuv::sim {

namespace {

struct Choice {
    const char *text;
    uint16_t mode;
};

constexpr Choice kChoices[] = {
    {"Disabled", 0},           {"200 Hz", 1},           {"100 Hz", 2},           {"50 Hz", 4},
    {"25 Hz", 8},              {"20 Hz", 10},           {"10 Hz", 20},           {"5 Hz", 40},
    {"1 Hz", 200},             {"On PPS", 10000},       {"On New Data", 10001},  {"On Sync A Event", 10003},
    {"On Sync B Event", 10004}, {"On Sync C Event", 10005}, {"On Sync D Event", 10006},
};

struct LogName {
    const char *name;
    uint8_t id;
};

// The reader's 26 rate properties, without their "p".
constexpr LogName kLogNames[] = {
    {"Status", 1},         {"UtcTime", 2},         {"ImuData", 3},         {"Mag", 4},
    {"MagCalib", 5},       {"EkfEuler", 6},        {"EkfQuat", 7},         {"EkfNav", 8},
    {"Gps1Vel", 13},       {"Gps1Pos", 14},        {"Gps1Hdt", 15},        {"Gps1Raw", 31},
    {"Gps2Vel", 16},       {"Gps2Pos", 17},        {"Gps2Hdt", 18},        {"Gps2Raw", 38},
    {"OdoVel", 19},        {"EventA", 24},         {"EventB", 25},         {"EventC", 26},
    {"EventD", 27},        {"EventE", 28},         {"DvlBottomTrack", 29}, {"DvlWaterTrack", 30},
    {"AirData", 36},       {"Usbl", 37},
};

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
    for (const Choice &choice : kChoices) {
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
    for (const Choice &choice : kChoices) {
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
        for (const LogName &log : kLogNames) {
            ids.push_back(log.id);
        }
        return ids;
    }
    unsigned long number = 0;
    if (plainNumber(wanted, number)) {
        return number < kLogIdCount && logProduced(static_cast<uint8_t>(number))
                   ? std::vector<uint8_t>{static_cast<uint8_t>(number)}
                   : std::vector<uint8_t>{};
    }
    for (const LogName &log : kLogNames) {
        const std::string name = lower(log.name);
        if (wanted == name || wanted == "p" + name) {
            return {log.id};
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
