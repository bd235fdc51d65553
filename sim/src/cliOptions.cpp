// The options of `zuv sim` and what they mean for the simulator's configuration.
#include <CLI/CLI.hpp>
#include <cmath>
#include <sstream>

#include "timingOptions.h"
#include "zuvSimCli.h"

namespace zuv::sim {

namespace {

// Logs a fresh `zuv sim` streams when neither --rate nor --settings says otherwise.
const char *const kDefaultRates[] = {"Status=1 Hz",  "UtcTime=1 Hz",        "ImuData=50 Hz",      "EkfEuler=25 Hz",
                                     "EkfNav=25 Hz", "Gps1Vel=On New Data", "Gps1Pos=On New Data"};

bool parsePosition(const std::string &text, SimConfig &config, std::string &error) {
    std::vector<double> values;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        char *end = nullptr;
        const double value = std::strtod(item.c_str(), &end);
        if (item.empty() || *end != '\0' || !std::isfinite(value)) {
            values.clear();
            break;
        }
        values.push_back(value);
    }
    if ((values.size() != 2 && values.size() != 3) || std::fabs(values[0]) > 89.0 || std::fabs(values[1]) > 180.0) {
        error = "--position wants LAT,LON[,ALT] in degrees (|LAT| <= 89), got '" + text + "'";
        return false;
    }
    config.latitude = values[0];
    config.longitude = values[1];
    if (values.size() == 3) {
        config.altitude = values[2];
    }
    return true;
}

bool parseSync(const std::string &text, SimConfig &config, std::string &error) {
    const size_t equals = text.find('=');
    char *end = nullptr;
    const double rate = equals == std::string::npos ? 0.0 : std::strtod(text.c_str() + equals + 1, &end);
    const bool inputOk = equals == 1 && std::toupper(static_cast<unsigned char>(text[0])) >= 'A' &&
                         std::toupper(static_cast<unsigned char>(text[0])) <= 'E';
    if (!inputOk || end == nullptr || *end != '\0' || !(rate > 0.0) || rate > kMaxSyncRateHz) {
        error = "--sync wants INPUT=HZ with INPUT A to E and 0 < HZ <= 10000, got '" + text + "'";
        return false;
    }
    config.sync[static_cast<size_t>(std::toupper(static_cast<unsigned char>(text[0])) - 'A')].rateHz = rate;
    return true;
}

}  // namespace

void zuvSimAddOptions(CLI::App &app, SimCliOptions &o) {
    app.add_flag("--pty", o.pty, "Serve on a new pseudo-terminal; prints 'pty: PATH' first");
    app.add_option("--link", o.link, "Also make PATH a symbolic link to the pseudo-terminal")->type_name("PATH");
    app.add_option("--udp-bind", o.udpBind, "Serve on UDP, bound to ADDR:PORT")->type_name("ADDR:PORT");
    app.add_option("--udp-peer", o.udpPeer, "Send every frame to ADDR:PORT (loopback only)")->type_name("ADDR:PORT");
    app.add_option("--baud", o.baud, "Port A speed; the device is silent to a host at another one (default 115200)")
        ->type_name("N");
    app.add_option("--rate", o.rates,
                   "Output mode of a log at power-on, LOG=CHOICE, e.g. ImuData=\"100 Hz\", all=Disabled")
        ->type_name("LOG=CHOICE")
        ->expected(1)
        ->take_all();
    app.add_option("--position", o.position, "Centre of the vehicle's circle in degrees and metres")
        ->type_name("LAT,LON[,ALT]");
    app.add_option("--radius", o.radius, "Radius of the circle in metres")->check(CLI::PositiveNumber);
    app.add_option("--speed", o.speed, "Vehicle speed in metres per second")->check(CLI::NonNegativeNumber);
    app.add_option("--sync", o.sync, "Pulses on a sync input (A to E) at HZ")
        ->type_name("INPUT=HZ")
        ->expected(1)
        ->take_all();
    app.add_option("--settings", o.settings, "Settings file: read at start when present, written by save")
        ->type_name("FILE");
    app.add_option("--export-pad", o.exportPad, "Pad the exported settings image to N bytes (at most 100000)")
        ->check(CLI::Range(0, 100000));
    app.add_option("--ts-start", o.tsStart, "Device time stamp of the first cycle (to see the 32-bit wrap soon)");
    app.add_option("--seed", o.seed, "Seed of the sensor noise");
    app.add_option("--duration", o.duration, "Stop after S seconds (default: at SIGINT/SIGTERM)")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--noise-every", o.faults.noiseEvery, "Noise bytes before every N-th log frame");
    app.add_option("--bad-crc-every", o.faults.badCrcEvery, "Corrupt the CRC of every N-th log frame");
    app.add_option("--bad-end-every", o.faults.badEndEvery, "Corrupt the end byte of every N-th log frame");
    app.add_option("--oversized-length-every", o.faults.oversizedLengthEvery,
                   "Length field above 4086 in every N-th log frame");
    app.add_flag("--silent", o.faults.silent, "Send nothing and ignore every command");
    app.add_flag("--never-ack", o.faults.neverAcknowledge,
                 "Answer queries (device information...) but never acknowledge a command");
    app.add_option("--unplug-after", o.unplugAfter, "Close the link after S seconds")->check(CLI::NonNegativeNumber);
    app.add_option("--replug-after", o.replugAfter, "Open a new link S seconds after the unplug")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--unplug-times", o.unplugTimes,
                   "Unplug this many times, each --unplug-after seconds after the last replug")
        ->check(CLI::PositiveNumber);
    addTimingOptions(app, o.timing);
}

bool zuvSimBuildConfig(const SimCliOptions &o, SimConfig &config, std::string &error) {
    config = SimConfig{};
    if (!o.link.empty() && !o.pty) {
        error = "--link goes with --pty";
        return false;
    }
    const bool udp = !o.udpBind.empty() || !o.udpPeer.empty();
    if (o.pty == udp) {
        error = "choose one link: --pty, or --udp-bind ADDR:PORT with --udp-peer ADDR:PORT";
        return false;
    }
    if (udp && (o.udpBind.empty() || o.udpPeer.empty())) {
        error = "UDP needs both --udp-bind and --udp-peer";
        return false;
    }
    if (o.unplugTimes > 1 && !(o.replugAfter > 0.0)) {
        error = "--unplug-times goes with --replug-after";
        return false;
    }
    if (o.replugAfter > 0.0 && !(o.unplugAfter > 0.0)) {
        error = "--replug-after goes with --unplug-after";
        return false;
    }
    config.clock = ClockMode::RealTime;
    config.link = o.pty ? LinkKind::Pty : LinkKind::Udp;
    config.linkPath = o.link;
    config.udpBind = o.udpBind;
    config.udpPeer = o.udpPeer;
    config.baudRate = o.baud;
    if (!o.position.empty() && !parsePosition(o.position, config, error)) {
        return false;
    }
    config.radius = o.radius;
    config.speed = o.speed;
    for (const std::string &sync : o.sync) {
        if (!parseSync(sync, config, error)) {
            return false;
        }
    }
    config.settingsFile = o.settings;
    config.exportPadTo = o.exportPad;
    config.tsStart = o.tsStart;
    config.seed = o.seed;
    config.faults = o.faults;
    if (!checkTimingOptions(o.timing, error)) {
        return false;
    }
    config.timing = o.timing;
    if (o.rates.empty() && o.settings.empty()) {
        for (const char *rate : kDefaultRates) {
            parseRateOption(rate, config.outputModes, error);
        }
    }
    for (const std::string &rate : o.rates) {
        if (!parseRateOption(rate, config.outputModes, error)) {
            return false;
        }
    }
    return true;
}

}  // namespace zuv::sim
