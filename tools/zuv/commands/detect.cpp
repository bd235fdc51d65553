// zuv detect: runs the reader's aAutoDetection action (a scan of /dev/ttyUSB0
// to /dev/ttyUSB255 at eight baud rates) and prints the port and rate found;
// status 1 with the component's warning when there is none.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "commands.h"
#include "session.h"
#include "stopSignal.h"
#include "toolError.h"

namespace zuv::tool {

namespace {

void runDetect(ToolContext &context) {
    Session session(context);
    session.loadPackage();
    host::Instance &reader = session.createInstance("ZUV_FrameReader", "reader");
    std::atomic<bool> warned{false};
    session.runtime().SetReportCallback(
        [&context, &warned](int level, const std::string &instance, const std::string &text) {
            if (level >= 1) warned = true;
            context.report(instance, level, text);
        });
    // The scan is an action of an idle instance: nothing dies to end it. A stop
    // request leaves it to the process exit, which closes whatever port it has open.
    std::atomic<bool> scanned{false};
    std::thread scan([&reader, &scanned] {
        reader.RunAction("aAutoDetection");
        scanned = true;
    });
    while (!scanned) {
        if (StopSignal::waitFor(std::chrono::milliseconds(50)) && !scanned) {
            std::fputs("zuv detect: stopped before the scan ended\n", stderr);
            std::fflush(stderr);
            std::_Exit(kExitRunFailed);
        }
    }
    scan.join();
    if (warned) {
        context.exitStatus = kExitRunFailed;
        return;
    }
    std::printf("port: %s\nbaud: %lld\n", reader.GetProperty("pComPort").text.c_str(),
                static_cast<long long>(reader.GetProperty("pBaudRate").integer));
    std::fflush(stdout);
}

}  // namespace

void addDetectCommand(CLI::App &parent, ToolContext &context) {
    CLI::App *cmd = parent.add_subcommand(
        "detect", "Scan /dev/ttyUSB0 to /dev/ttyUSB255 for a device and print the port and baud rate found");
    cmd->callback([&context] { runDetect(context); });
}

}  // namespace zuv::tool
