// zuv sim: the device simulator on a pseudo-terminal or UDP; the simulator
// library owns its options and its run, this file only hangs them on the tool.
#include <chrono>
#include <memory>

#include "commands.h"
#include "stopSignal.h"
#include "zuvSimCli.h"

namespace zuv::tool {

void addSimCommand(CLI::App &parent, ToolContext &context) {
    auto options = std::make_shared<sim::SimCliOptions>();
    CLI::App *cmd = parent.add_subcommand(
        "sim",
        "Run the device simulator on a new pseudo-terminal (--pty, prints 'pty: PATH' first) or on UDP "
        "(--udp-bind ADDR:PORT --udp-peer ADDR:PORT) until --duration ends or SIGINT/SIGTERM");
    sim::zuvSimAddOptions(*cmd, *options);
    cmd->callback([&context, options] {
        context.exitStatus =
            sim::zuvSimMain(*options, [](int ms) { return StopSignal::waitFor(std::chrono::milliseconds(ms)); });
    });
}

}  // namespace zuv::tool
