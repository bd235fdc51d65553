#include "webAccess.h"

#include <arpa/inet.h>

#include <charconv>
#include <cstdio>

#include "toolError.h"

namespace zuv::tool {

namespace {

bool parsePort(std::string_view text, int &port) {
    const char *first = text.data();
    const char *last = text.data() + text.size();
    const auto res = std::from_chars(first, last, port);
    return res.ec == std::errc() && res.ptr == last && first != last && port >= 0 && port <= 65535;
}

std::string hostPort(const std::string &host, int port) {
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

}  // namespace

ListenAddress parseListenAddress(const std::string &text) {
    ListenAddress out;
    std::string host;
    std::string port;
    if (!text.empty() && text[0] == '[') {
        const size_t close = text.find(']');
        if (close != std::string::npos && close + 1 < text.size() && text[close + 1] == ':') {
            host = text.substr(1, close - 1);
            port = text.substr(close + 2);
        }
    } else {
        const size_t colon = text.rfind(':');
        if (colon != std::string::npos && text.find(':') == colon) {
            host = text.substr(0, colon);
            port = text.substr(colon + 1);
        }
    }
    if (host.empty() || !parsePort(port, out.port)) {
        throw usageError("--listen \"" + text + "\": expected ADDR:PORT (IPv6 as [ADDR]:PORT) with a port in 0..65535");
    }
    if (host != "localhost") {
        unsigned char buffer[16];
        if (inet_pton(AF_INET, host.c_str(), buffer) != 1 && inet_pton(AF_INET6, host.c_str(), buffer) != 1) {
            throw usageError("--listen \"" + text + "\": \"" + host + "\" is not an IP address (or localhost)");
        }
    }
    out.host = host;
    return out;
}

bool isLoopbackHost(const std::string &host) {
    if (host == "localhost" || host == "::1") return true;
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    return false;
}

void checkListenAccess(const ListenAddress &address, const std::string &token) {
    if (!token.empty() && token.size() < 16) {
        throw usageError("--token: give at least 16 characters (or --token random)");
    }
    if (!isLoopbackHost(address.host) && token.empty()) {
        throw usageError("--listen " + hostPort(address.host, address.port) +
                         " is not a loopback address: anyone who reaches it could change the device, so give "
                         "--token TOKEN (or --token random) that every request must carry");
    }
}

std::string randomToken() {
    unsigned char bytes[16] = {};
    std::FILE *random = std::fopen("/dev/urandom", "rb");
    const bool ok = random != nullptr && std::fread(bytes, 1, sizeof bytes, random) == sizeof bytes;
    if (random != nullptr) std::fclose(random);
    if (!ok) throw runError("cannot read /dev/urandom for a token; give one with --token");
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 15]);
    }
    return out;
}

bool tokensMatch(std::string_view given, std::string_view expected) {
    if (given.size() != expected.size()) return false;
    unsigned char diff = 0;
    for (size_t i = 0; i < given.size(); ++i) {
        diff |= static_cast<unsigned char>(given[i] ^ expected[i]);
    }
    return diff == 0;
}

bool hostAllowed(std::string_view hostHeader, const ListenAddress &address) {
    const std::string port = ":" + std::to_string(address.port);
    if (hostHeader == hostPort(address.host, address.port)) return true;
    for (const char *name : {"127.0.0.1", "localhost", "[::1]"}) {
        if (hostHeader == std::string(name) + port) return true;
    }
    return false;
}

bool originAllowed(std::string_view origin, std::string_view hostHeader) {
    return origin.empty() || origin == "http://" + std::string(hostHeader);
}

}  // namespace zuv::tool
