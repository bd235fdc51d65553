// `zuv sim`: the simulator's command line, so that the tool's subcommand file
// only registers it. zuvSimAddOptions puts the options on a CLI11 (sub)command;
// zuvSimMain runs the simulator until the duration ends or SIGINT/SIGTERM.
//
// Output: the first line is "pty: PATH" (or "udp: BIND -> PEER"), flushed at
// once, so that a script or test can read where to connect.
// Errors: zuvSimMain returns 0 on success, 1 when the simulator cannot start,
// 2 for a usage error (the message names the option), and prints the reason
// on standard error.
// Threading: without a stop function zuvSimMain blocks SIGINT and SIGTERM on the
// calling thread while it runs (the simulator's thread inherits that) and waits
// for them itself; a caller with its own signal handling passes its wait instead.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "zuvSim.h"

namespace CLI {
class App;
}

namespace zuv::sim {

struct SimCliOptions {
    bool pty = false;
    std::string link;
    std::string udpBind;
    std::string udpPeer;
    uint32_t baud = 0;
    std::vector<std::string> rates;  // LOG=CHOICE
    std::string position;            // LAT,LON[,ALT]
    double radius = 50.0;
    double speed = 10.0;
    std::vector<std::string> sync;  // INPUT=HZ, inputs A to E
    std::string settings;
    size_t exportPad = 0;
    uint32_t tsStart = 0;
    uint32_t seed = 1;
    double duration = 0.0;  // seconds; 0 = until a signal
    FaultConfig faults;
    TimingConfig timing;
    double unplugAfter = 0.0;  // seconds; 0 = never
    double replugAfter = 0.0;  // seconds after the unplug; 0 = never
    uint32_t unplugTimes = 1;  // unplug cycles; each next one unplugAfter seconds after the replug
};

void zuvSimAddOptions(CLI::App &app, SimCliOptions &options);
// The configuration the options describe; false with a message that names the bad option.
bool zuvSimBuildConfig(const SimCliOptions &options, SimConfig &config, std::string &error);
// Sleeps up to ms milliseconds; true when the run is to stop.
using StopWait = std::function<bool(int ms)>;
int zuvSimMain(const SimCliOptions &options, const StopWait &waitForStop = nullptr);
// Parses argv (argv[0] being the program or subcommand name) and runs: for callers without CLI11.
int zuvSimMainArgs(int argc, const char *const *argv);

// The rate choices of the frame reader ("Disabled", "200 Hz", ..., "On Sync D Event")
// and their output modes; a plain mode number is accepted too. Case does not matter.
std::optional<uint16_t> outputModeFromText(const std::string &text);
const char *outputModeText(uint16_t mode);  // nullptr for a mode without a choice
// Log names as the reader's rate properties have them, with or without the "p"
// ("ImuData", "pGps1Pos"), a log id, or "all" for the 26 kinds. Empty when unknown.
std::vector<uint8_t> logIdsFromText(const std::string &text);
// "LOG=CHOICE" -> settings; false with a message.
bool parseRateOption(const std::string &text, std::vector<OutputModeSetting> &out, std::string &error);

}  // namespace zuv::sim
