#include "linkOptions.h"

#include <charconv>

#include "toolError.h"

namespace zuv::tool {

void addLinkOptions(CLI::App &command, LinkOptions &options) {
    auto *group = command.add_option_group("device link", "Where the device is");
    auto *port =
        group->add_option("--port", options.port, "Serial port of the device (e.g. /dev/ttyUSB0)")->type_name("PATH");
    auto *baud = group->add_option("--baud", options.baud, "Baud rate of the serial port")
                     ->default_val(115200)
                     ->check(CLI::PositiveNumber);
    auto *udp = group->add_option("--udp", options.udp, "UDP address and port of the device")->type_name("ADDR:PORT");
    auto *local = group->add_option("--local-port", options.localPort, "Local UDP port to receive on")
                      ->default_val(1234)
                      ->check(CLI::Range(1, 65535));
    port->excludes(udp);
    baud->needs(port);
    local->needs(udp);
}

std::vector<std::string> linkAssignments(const LinkOptions &options, bool required, const std::string &instance) {
    const std::string p = instance + ".";
    if (!options.port.empty()) {
        return {p + "pInterface=Serial", p + "pComPort=" + options.port,
                p + "pBaudRate=" + std::to_string(options.baud)};
    }
    if (options.udp.empty()) {
        if (required) throw usageError("give the device link: --port PATH or --udp ADDR:PORT");
        return {};
    }
    size_t colon = options.udp.rfind(':');
    int remotePort = 0;
    bool ok = colon != std::string::npos && colon > 0;
    if (ok) {
        const char *first = options.udp.data() + colon + 1;
        const char *last = options.udp.data() + options.udp.size();
        auto res = std::from_chars(first, last, remotePort);
        ok = res.ec == std::errc() && res.ptr == last && first != last && remotePort >= 1 && remotePort <= 65535;
    }
    if (!ok) throw usageError("--udp \"" + options.udp + "\": expected ADDR:PORT with a port in 1..65535");
    return {p + "pInterface=UDP", p + "pRemoteAdress=" + options.udp.substr(0, colon),
            p + "pRemotePort=" + std::to_string(remotePort), p + "pLocalPort=" + std::to_string(options.localPort)};
}

}  // namespace zuv::tool
