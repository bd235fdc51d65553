// The device link options shared by live, record, detect and config:
// --port PATH [--baud N] or --udp ADDR:PORT [--local-port N]. They become
// property assignments for the reader, applied before the user's own `-p`
// so that those can still override them.
// Errors: linkAssignments throws ToolError status 2 for a missing link, a
// malformed ADDR:PORT or a port out of 1..65535. Threading: pure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace zuv::tool {

struct LinkOptions {
    std::string port;
    int64_t baud = 115200;
    std::string udp;
    int64_t localPort = 1234;
};

void addLinkOptions(CLI::App &command, LinkOptions &options);

// ["reader.pInterface=Serial", "reader.pComPort=/dev/pts/3", "reader.pBaudRate=115200"], ...
// `required`: one of --port and --udp must have been given.
std::vector<std::string> linkAssignments(const LinkOptions &options, bool required = true,
                                         const std::string &instance = "reader");

}  // namespace zuv::tool
