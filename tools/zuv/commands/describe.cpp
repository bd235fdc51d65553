// zuv describe MODEL [-p NAME=VALUE]...: one instance, its properties applied,
// printed as one JSON object in the order the instance holds everything.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "commands.h"
#include "instanceJson.h"
#include "session.h"

namespace zuv::tool {

namespace {

struct DescribeOptions {
    std::string model;
    std::vector<std::string> properties;
    int indent = -1;
};

// The names the rest of the tool uses, so that `-p decoder.NAME=…` works here too.
std::string instanceNameFor(const std::string &model) {
    if (model == "ZUV_FrameReader") return "reader";
    if (model == "ZUV_FrameDecoder") return "decoder";
    return "instance";
}

void runDescribe(ToolContext &context, const DescribeOptions &options) {
    Session session(context);
    session.loadPackage();
    host::Instance &instance = session.createInstance(options.model, instanceNameFor(options.model));
    session.applyProperties(options.properties);
    std::string text =
        describeInstance(instance).dump(options.indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    text.push_back('\n');
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

void addDescribeCommand(CLI::App &parent, ToolContext &context) {
    auto options = std::make_shared<DescribeOptions>();
    CLI::App *cmd = parent.add_subcommand(
        "describe",
        "Create one instance of MODEL, apply the properties, and print its inputs, outputs, properties and "
        "actions as one JSON object");
    cmd->add_option("MODEL", options->model, "Component model, e.g. ZUV_FrameReader or ZUV_FrameDecoder")->required();
    addPropertyOption(*cmd, options->properties);
    cmd->add_option("--indent", options->indent, "Pretty-print with this many spaces per level (default: one line)")
        ->check(CLI::Range(0, 16));
    cmd->callback([&context, options] { runDescribe(context, *options); });
}

}  // namespace zuv::tool
