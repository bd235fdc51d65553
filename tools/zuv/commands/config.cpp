// zuv config (export FILE | import FILE | save | reboot | restore)
//            (--port PATH [--baud N] | --udp ADDR:PORT [--local-port N])
// The device link's settings operations, one per run, over a serial or UDP
// link opened with the device link itself (no diagram, no package).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "ZuvCommunication.h"
#include "commands.h"
#include "deviceLink.h"
#include "linkOptions.h"
#include "toolError.h"

namespace zuv::tool {

namespace {

enum class ConfigAction { Export, Import, Save, Reboot, Restore };

constexpr uintmax_t kSettingsImageMax = 100000;

struct ConfigOptions {
    LinkOptions link;
    std::string file;
};

const char *actionName(ConfigAction action) {
    switch (action) {
        case ConfigAction::Export: return "export";
        case ConfigAction::Import: return "import";
        case ConfigAction::Save: return "save";
        case ConfigAction::Reboot: return "reboot";
        case ConfigAction::Restore: return "restore";
    }
    return "?";
}

// Tells a file that cannot be opened from a device that refused, both being code 1.
std::string fileProblem(const std::string &path, const char *mode) {
    errno = 0;
    std::FILE *file = std::fopen(path.c_str(), mode);
    if (file != nullptr) {
        std::fclose(file);
        return {};
    }
    return std::strerror(errno);
}

std::string failureText(ConfigAction action, const std::string &file, ZuvErrorCode code) {
    switch (code) {
        case ZUV_TIME_OUT: return std::string("the device did not answer the ") + actionName(action) + " request";
        case ZUV_WRITE_ERROR:
        case ZUV_READ_ERROR: return "the link to the device failed (unplugged?): " + codeText(code);
        case ZUV_BUFFER_OVERFLOW: return "the device's settings image is larger than 100000 bytes";
        case ZUV_INVALID_FRAME: return "the device answered with a frame that does not fit the request";
        case ZUV_MALLOC_FAILED: return "out of memory";
        default: break;
    }
    if (action == ConfigAction::Export && code == ZUV_ERROR) {
        const std::string problem = fileProblem(file, "ab");
        return problem.empty() ? "the device refused the export: " + codeText(code)
                               : "cannot write " + file + ": " + problem;
    }
    if (action == ConfigAction::Import && (code == ZUV_ERROR || code == ZUV_INVALID_PARAMETER)) {
        const std::string problem = code == ZUV_ERROR ? fileProblem(file, "rb") : std::string();
        return problem.empty() ? "the device refused the settings image in " + file + ": " + codeText(code)
                               : "cannot read " + file + ": " + problem;
    }
    if (action == ConfigAction::Save && code == ZUV_ERROR) {
        return "the device did not confirm the save: it refused it, or sent no log within 30 s afterwards "
               "(a device with every log disabled never confirms)";
    }
    return std::string("the device refused the ") + actionName(action) + " request: " + codeText(code);
}

// An image above the device's maximum cannot be one of its own; sending its
// first 100000 bytes would hand the device a cut image.
void checkImportFile(const std::string &file) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(file, error);
    if (error) {
        throw runError("cannot read " + file + ": " + error.message());
    }
    if (size > kSettingsImageMax) {
        throw runError(file + " holds " + std::to_string(size) +
                       " bytes; a settings image is at most 100000 bytes, nothing was sent");
    }
}

void runConfig(ToolContext &context, ConfigAction action, const ConfigOptions &options) {
    if (action == ConfigAction::Import) {
        checkImportFile(options.file);
    }
    CZuvCommunication link;
    openLink(link, options.link);
    ZuvErrorCode rc = ZUV_NO_ERROR;
    std::string done;
    switch (action) {
        case ConfigAction::Export:
            rc = link.ExportConfigurationFile(options.file);
            if (rc == ZUV_NO_ERROR) {
                std::error_code error;
                const uintmax_t size = std::filesystem::file_size(options.file, error);
                done = "exported " + (error ? std::string("the") : std::to_string(size)) + " bytes of settings to " +
                       options.file;
            }
            break;
        case ConfigAction::Import:
            rc = link.ImportConfigurationFile(options.file);
            done = "imported the settings of " + options.file + " (not saved yet: run zuv config save to keep them)";
            break;
        case ConfigAction::Save:
            context.status.show("saving; waiting for the device to send logs again (up to 30 s)");
            rc = link.Save();
            context.status.finish();
            done = "settings saved";
            break;
        case ConfigAction::Reboot:
            rc = link.Reboot();
            done = "the device is rebooting";
            break;
        case ConfigAction::Restore:
            rc = link.RestoreDefaultSettings();
            done = "default settings restored";
            break;
    }
    if (rc != ZUV_NO_ERROR) {
        throw runError(std::string("config ") + actionName(action) + ": " + failureText(action, options.file, rc));
    }
    std::printf("%s\n", done.c_str());
    std::fflush(stdout);
    context.exitStatus = kExitOk;
}

void addAction(CLI::App &config, ToolContext &context, const std::shared_ptr<ConfigOptions> &options,
               ConfigAction action, const char *help, const char *fileHelp) {
    CLI::App *cmd = config.add_subcommand(actionName(action), help);
    if (fileHelp != nullptr) {
        cmd->add_option("FILE", options->file, fileHelp)->required();
    }
    addLinkOptions(*cmd, options->link);
    cmd->callback([&context, options, action] { runConfig(context, action, *options); });
}

}  // namespace

void addConfigCommand(CLI::App &parent, ToolContext &context) {
    auto options = std::make_shared<ConfigOptions>();
    CLI::App *config = parent.add_subcommand(
        "config", "Export, import, save, reboot or restore the device's settings over a serial or UDP link");
    config->require_subcommand(1, 1);
    addAction(*config, context, options, ConfigAction::Export, "Write the device's settings image to FILE",
              "File to write (replaced only once the device has sent its whole image)");
    addAction(*config, context, options, ConfigAction::Import,
              "Send the settings image in FILE to the device (at most 100000 bytes)", "Settings image to send");
    addAction(*config, context, options, ConfigAction::Save,
              "Make the device keep its current settings; waits until it sends logs again", nullptr);
    addAction(*config, context, options, ConfigAction::Reboot, "Reboot the device", nullptr);
    addAction(*config, context, options, ConfigAction::Restore, "Put the device back to its default settings", nullptr);
}

}  // namespace zuv::tool
