#include "deviceLink.h"

#include <unistd.h>

#include <charconv>

#include "toolError.h"

namespace zuv::tool {

std::string codeText(ZuvErrorCode code) {
    return std::string(zuvEComErrorCodeName(code)) + " (" + std::to_string(static_cast<int>(code)) + ")";
}

namespace {

struct UdpTarget {
    std::string address;
    uint32_t port = 0;
};

UdpTarget splitUdp(const std::string &text) {
    const size_t colon = text.rfind(':');
    UdpTarget target;
    bool ok = colon != std::string::npos && colon > 0;
    if (ok) {
        const char *first = text.data() + colon + 1;
        const char *last = text.data() + text.size();
        const auto parsed = std::from_chars(first, last, target.port);
        ok =
            parsed.ec == std::errc() && parsed.ptr == last && first != last && target.port >= 1 && target.port <= 65535;
    }
    if (!ok) {
        throw usageError("--udp \"" + text + "\": expected ADDR:PORT with a port in 1..65535");
    }
    target.address = text.substr(0, colon);
    return target;
}

std::string portProblem(const std::string &port) {
    if (access(port.c_str(), F_OK) != 0) {
        return "no such device";
    }
    if (access(port.c_str(), R_OK | W_OK) != 0) {
        return "no permission to read and write it";
    }
    return "not a serial port, or in use";
}

}  // namespace

void openLink(CZuvCommunication &link, const LinkOptions &options) {
    if (!options.port.empty()) {
        const auto baud = static_cast<uint32_t>(options.baud);
        const ZuvErrorCode rc = link.Connect(options.port, baud, false);
        const std::string where = options.port + " at " + std::to_string(baud) + " baud";
        switch (rc) {
            case ZUV_NO_ERROR: return;
            case ZUV_ERROR: throw runError("cannot open " + options.port + ": " + portProblem(options.port));
            case ZUV_INVALID_PARAMETER:
                throw usageError("--baud " + std::to_string(options.baud) + ": not a rate the port can take");
            case ZUV_TIME_OUT: throw runError("no answer from a device on " + where + " (wrong port or baud rate?)");
            default: throw runError("cannot talk to the device on " + where + ": " + codeText(rc));
        }
    }
    if (options.udp.empty()) {
        throw usageError("give the device link: --port PATH or --udp ADDR:PORT");
    }
    const UdpTarget target = splitUdp(options.udp);
    const auto localPort = static_cast<uint32_t>(options.localPort);
    const ZuvErrorCode rc = link.Connect(target.address, target.port, localPort);
    switch (rc) {
        case ZUV_NO_ERROR: return;
        case ZUV_INVALID_PARAMETER: throw usageError("--udp \"" + options.udp + "\": not an IPv4 address and port");
        case ZUV_ERROR:
            throw runError("cannot open a UDP socket on local port " + std::to_string(localPort) + " (in use?)");
        default: throw runError("cannot open the UDP link to " + options.udp + ": " + codeText(rc));
    }
}

}  // namespace zuv::tool
