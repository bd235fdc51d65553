// One diagram run by the tool: the host runtime with the package loaded, the
// instances a subcommand created, and `-p` property assignments applied to
// them in command-line order.
// Errors: ToolError. A package that cannot be loaded is status 1; an unknown
// model, a bad `-p` (malformed, unknown, ambiguous, value that does not fit, a
// change the host refuses) is status 2 with a message that names it.
// Threading: the main thread drives it; component reports arrive on any thread
// and go to ToolContext::report.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "maps_runtime.h"
#include "propertyAssignment.h"
#include "toolContext.h"

namespace zuv::tool {

// Adds the repeatable `-p [INSTANCE.]NAME=VALUE` option to a subcommand.
CLI::Option *addPropertyOption(CLI::App &command, std::vector<std::string> &into);

PropertyDesc describeProperty(const host::PropertyInfo &info);
host::PropertyValue toHostValue(const PropertyValue &value, const PropertyDesc &property);

class Session {
public:
    explicit Session(ToolContext &context);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    host::Runtime &runtime() { return runtime_; }
    ToolContext &context() { return context_; }

    // Loads the package that --package, $ZUV_PACKAGE or the tool's folder names.
    void loadPackage();
    host::Instance &createInstance(const std::string &model, const std::string &name);
    const std::vector<host::Instance *> &instances() const { return instances_; }

    // Each assignment runs Dynamic again, so later ones see what earlier ones created.
    void applyProperties(const std::vector<std::string> &arguments);
    void applyProperty(const std::string &argument);

private:
    ToolContext &context_;
    host::Runtime runtime_;
    std::vector<host::Instance *> instances_;
};

}  // namespace zuv::tool
