#include "propertyAssignment.h"

#include "toolError.h"

namespace zuv::tool {

PropertyAssignment parsePropertyAssignment(std::string_view argument) {
    PropertyAssignment a;
    a.argument = std::string(argument);
    size_t eq = argument.find('=');
    if (eq == std::string_view::npos) {
        throw usageError("property \"" + a.argument + "\": expected [INSTANCE.]NAME=VALUE");
    }
    std::string_view target = argument.substr(0, eq);
    a.value = std::string(argument.substr(eq + 1));
    size_t dot = target.find('.');
    if (dot != std::string_view::npos) {
        a.instance = std::string(target.substr(0, dot));
        a.name = std::string(target.substr(dot + 1));
        if (a.instance.empty()) throw usageError("property \"" + a.argument + "\": empty instance name");
    } else {
        a.name = std::string(target);
    }
    if (a.name.empty()) throw usageError("property \"" + a.argument + "\": empty property name");
    return a;
}

ResolvedProperty resolvePropertyAssignment(const std::vector<InstanceProperties> &instances,
                                           const PropertyAssignment &assignment) {
    std::vector<ResolvedProperty> found;
    bool instanceSeen = assignment.instance.empty();
    for (size_t i = 0; i < instances.size(); ++i) {
        if (!assignment.instance.empty() && instances[i].instance != assignment.instance) continue;
        instanceSeen = true;
        for (const PropertyDesc &p : instances[i].properties) {
            if (p.name == assignment.name) found.push_back({i, &p});
        }
    }
    const std::string shown =
        assignment.instance.empty() ? assignment.name : assignment.instance + "." + assignment.name;
    if (!instanceSeen) {
        std::string known;
        for (const auto &inst : instances) known += (known.empty() ? "" : ", ") + inst.instance;
        throw usageError("unknown instance \"" + assignment.instance + "\" in \"" + assignment.argument +
                         "\" (instances: " + known + ")");
    }
    if (found.empty()) throw usageError("unknown property \"" + shown + "\"");
    if (found.size() > 1) {
        std::string which;
        for (const auto &r : found) {
            which += (which.empty() ? "" : ", ") + instances[r.instanceIndex].instance + "." + assignment.name;
        }
        throw usageError("ambiguous property \"" + shown + "\": give one of " + which);
    }
    return found.front();
}

}  // namespace zuv::tool
