#include "propertyValue.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace zuv::tool {

namespace {

bool parseDecimal(std::string_view text, int64_t &out) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    auto res = std::from_chars(text.data(), text.data() + text.size(), out, 10);
    return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

bool parseReal(std::string_view text, double &out) {
    // strtod also takes hex floats, "inf" and leading blanks; a property wants none of them.
    if (text.empty()) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
    }
    std::string copy(text);
    char *end = nullptr;
    out = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size() && std::isfinite(out);
}

}  // namespace

const char *propertyKindName(PropertyKind kind) {
    switch (kind) {
        case PropertyKind::Bool: return "bool";
        case PropertyKind::Integer: return "integer";
        case PropertyKind::Float: return "float";
        case PropertyKind::Text: return "text";
        case PropertyKind::Enum: return "enumeration";
    }
    return "text";
}

std::string describeAccepted(const PropertyDesc &property) {
    switch (property.kind) {
        case PropertyKind::Bool: return "true, false, 1 or 0";
        case PropertyKind::Integer: return "a decimal integer";
        case PropertyKind::Float: return "a decimal number";
        case PropertyKind::Text: return "any text";
        case PropertyKind::Enum: {
            std::string s = "one of: ";
            for (size_t i = 0; i < property.choices.size(); ++i) {
                if (i != 0) s += ", ";
                s += "\"" + property.choices[i] + "\"";
            }
            if (property.choices.empty()) return "nothing (the enumeration has no choice)";
            s += " (or an index 0.." + std::to_string(property.choices.size() - 1) + ")";
            return s;
        }
    }
    return {};
}

std::string valueMismatch(const PropertyDesc &property, std::string_view text, std::string_view shownName) {
    return "\"" + std::string(text) + "\" does not fit " + std::string(shownName) + " (" +
           propertyKindName(property.kind) + ": " + describeAccepted(property) + ")";
}

bool parsePropertyValue(const PropertyDesc &property, std::string_view text, PropertyValue &value) {
    value = PropertyValue{};
    value.kind = property.kind;
    bool ok = false;
    switch (property.kind) {
        case PropertyKind::Bool:
            if (text == "true" || text == "1") {
                value.boolean = ok = true;
            } else if (text == "false" || text == "0") {
                ok = true;
            }
            break;
        case PropertyKind::Integer: ok = parseDecimal(text, value.integer); break;
        case PropertyKind::Float: ok = parseReal(text, value.real); break;
        case PropertyKind::Text:
            value.text = std::string(text);
            ok = true;
            break;
        case PropertyKind::Enum: {
            // The choice text wins over an index, so a choice that reads like a number stays itself.
            for (size_t i = 0; i < property.choices.size() && !ok; ++i) {
                if (property.choices[i] == text) {
                    value.integer = static_cast<int64_t>(i);
                    ok = true;
                }
            }
            int64_t index = 0;
            if (!ok && !text.empty() && text.front() != '+' && text.front() != '-' && parseDecimal(text, index) &&
                index >= 0 && static_cast<uint64_t>(index) < property.choices.size()) {
                value.integer = index;
                ok = true;
            }
            if (ok) value.text = property.choices[static_cast<size_t>(value.integer)];
            break;
        }
    }
    return ok;
}

}  // namespace zuv::tool
