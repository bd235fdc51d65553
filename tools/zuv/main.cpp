// zuv: runs the components of zuv.pck through the host stand-in.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "commands/commands.h"
#include "stopSignal.h"
#include "toolContext.h"
#include "toolError.h"

namespace {

// CLI11 says only "A subcommand is required" for `zuv frobnicate`; name the word instead.
const char *unknownSubcommand(const CLI::App &app, int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--package") {
            ++i;
            continue;
        }
        if (arg.empty() || arg[0] == '-') continue;
        for (const CLI::App *sub : app.get_subcommands({})) {
            if (sub->check_name(arg)) return nullptr;
        }
        return argv[i];
    }
    return nullptr;
}

}  // namespace

int main(int argc, char **argv) {
    using namespace zuv::tool;
    CLI::App app{"zuv: run, record, replay and inspect the ZUV components of zuv.pck without the host.", "zuv"};
    app.require_subcommand(1);
    app.fallthrough();
    app.set_help_all_flag("--help-all", "Print the help of every subcommand");
    app.set_version_flag("--version", "zuv " ZUV_VERSION, "Print the version and exit");

    ToolContext context;
    app.add_option("--package", context.packageOption,
                   "zuv.pck to load (default: $ZUV_PACKAGE, else the zuv.pck beside this program or installed with it)")
        ->type_name("PATH");
    addAllCommands(app, context);

    if (const char *word = unknownSubcommand(app, argc, argv)) {
        context.printError(std::string("unknown subcommand \"") + word + "\" (see zuv --help)");
        return kExitUsage;
    }

    StopSignal::install();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    } catch (const ToolError &e) {
        context.printError(e.what());
        return e.status();
    }
    return context.exitStatus;
}
