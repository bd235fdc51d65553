// What every subcommand shares: global options, the exit status, and where
// reports, errors and the status line go.
// Errors: none of its own. Threading: report() may be called from any thread
// (component threads report); the rest belongs to the main thread.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "reportLine.h"
#include "statusLine.h"

namespace zuv::tool {

struct ToolContext {
    // Reports, errors and the status line go to `errors` (tests pass a file).
    explicit ToolContext(std::FILE *errors = stderr) : errorStream(errors), reports(errors), status(errors) {}

    std::string packageOption;  // --package
    int exitStatus = 0;         // set by a subcommand that finishes without throwing

    std::FILE *errorStream;
    sinks::ReportPrinter reports;
    StatusLine status;

    // One component report as a line on stderr, kept clear of the status line.
    void report(std::string_view instance, int level, std::string_view text);
    // "zuv: MESSAGE" on stderr.
    void printError(std::string_view message);
};

}  // namespace zuv::tool
