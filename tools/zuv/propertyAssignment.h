// `-p [INSTANCE.]NAME=VALUE` arguments: splitting them, and finding the property
// they name among the instances of a diagram.
// Errors: parse and resolve throw ToolError with exit status 2 and a message
// naming the argument (malformed, unknown instance or property, ambiguous name).
// Threading: pure functions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "propertyValue.h"

namespace zuv::tool {

struct PropertyAssignment {
    std::string instance;  // empty: any instance that has the name
    std::string name;
    std::string value;
    std::string argument;  // as given, for messages
};

PropertyAssignment parsePropertyAssignment(std::string_view argument);

// What resolution needs to know of an instance: its name and its properties now.
struct InstanceProperties {
    std::string instance;
    std::vector<PropertyDesc> properties;
};

struct ResolvedProperty {
    size_t instanceIndex = 0;
    const PropertyDesc *property = nullptr;
};

ResolvedProperty resolvePropertyAssignment(const std::vector<InstanceProperties> &instances,
                                           const PropertyAssignment &assignment);

}  // namespace zuv::tool
