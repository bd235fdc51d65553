// The subcommands. Each lives in commands/<name>.cpp and defines
// add<Name>Command(CLI::App &parent, ToolContext &context), which adds the
// subcommand with its options and help texts and a callback that does the
// work: it throws ToolError to fail, or sets context.exitStatus.
// A new subcommand is its file plus one line in commandList.h.
#pragma once

#include <CLI/CLI.hpp>

#include "toolContext.h"

namespace zuv::tool {

#define ZUV_COMMAND(Name) void add##Name##Command(CLI::App &parent, ToolContext &context);
#include "commandList.h"
#undef ZUV_COMMAND

inline void addAllCommands(CLI::App &app, ToolContext &context) {
#define ZUV_COMMAND(Name) add##Name##Command(app, context);
#include "commandList.h"
#undef ZUV_COMMAND
}

}  // namespace zuv::tool
