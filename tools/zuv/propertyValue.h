// Property values given as text on the command line, checked against the
// property they are meant for: bool true/false/1/0, integer in decimal, float,
// enumeration by choice text or index, text as is.
// Errors: parsePropertyValue returns false; valueMismatch() words the error,
// naming the property and what it accepts. Threading: pure functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zuv::tool {

enum class PropertyKind { Bool, Integer, Float, Text, Enum };

struct PropertyDesc {
    std::string name;
    PropertyKind kind = PropertyKind::Text;
    std::vector<std::string> choices;  // Enum only
};

struct PropertyValue {
    PropertyKind kind = PropertyKind::Text;
    bool boolean = false;
    int64_t integer = 0;  // also the choice index of an Enum
    double real = 0.0;
    std::string text;  // Text, and the choice text of an Enum
};

const char *propertyKindName(PropertyKind kind);

// "true, false, 1 or 0", "one of: Disabled, Enabled (or an index 0..1)", ...
std::string describeAccepted(const PropertyDesc &property);

bool parsePropertyValue(const PropertyDesc &property, std::string_view text, PropertyValue &value);

// "\"x\" does not fit decoder.pVerbose (bool: true, false, 1 or 0)"
std::string valueMismatch(const PropertyDesc &property, std::string_view text, std::string_view shownName);

}  // namespace zuv::tool
