// Property values, element type names and the name rule.
#include <string>

#include "host.h"

namespace zuv::host {

const char *Name(ElementType type) {
    switch (type) {
        case ElementType::Stream8: return "Stream8";
        case ElementType::TextAscii: return "TextAscii";
        case ElementType::Integer32: return "Integer32";
        case ElementType::Integer64: return "Integer64";
        case ElementType::Float64: return "Float64";
        case ElementType::Float32: return "Float32";
    }
    return "?";
}

size_t ElementSize(ElementType type) {
    switch (type) {
        case ElementType::Stream8:
        case ElementType::TextAscii: return 1;
        case ElementType::Integer32:
        case ElementType::Float32: return 4;
        default: return 8;
    }
}

const char *Name(PropertyType type) {
    switch (type) {
        case PropertyType::Bool: return "bool";
        case PropertyType::Integer: return "integer";
        case PropertyType::Float: return "float";
        case PropertyType::Text: return "text";
        case PropertyType::Enum: return "enum";
    }
    return "?";
}

PropertyValue PropertyValue::Bool(bool v) {
    PropertyValue value;
    value.type = PropertyType::Bool;
    value.boolean = v;
    return value;
}

PropertyValue PropertyValue::Integer(int64_t v) {
    PropertyValue value;
    value.type = PropertyType::Integer;
    value.integer = v;
    return value;
}

PropertyValue PropertyValue::Float(double v) {
    PropertyValue value;
    value.type = PropertyType::Float;
    value.real = v;
    return value;
}

PropertyValue PropertyValue::Text(std::string v) {
    PropertyValue value;
    value.type = PropertyType::Text;
    value.text = std::move(v);
    return value;
}

PropertyValue PropertyValue::Enum(std::vector<std::string> choices, int selected) {
    PropertyValue value;
    value.type = PropertyType::Enum;
    value.choices = std::move(choices);
    value.selected = selected;
    return value;
}

std::string PropertyValue::SelectedText() const {
    return selected >= 0 && selected < static_cast<int>(choices.size()) ? choices[static_cast<size_t>(selected)]
                                                                        : std::string();
}

namespace detail {

bool ValidName(const std::string &name) {
    if (name.empty()) return false;
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(name[0])) return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
    return true;
}

PropertyType TypeOf(MAPSPropertyKind kind) {
    switch (kind) {
        case MAPSProperty_Bool: return PropertyType::Bool;
        case MAPSProperty_Float: return PropertyType::Float;
        case MAPSProperty_String: return PropertyType::Text;
        case MAPSProperty_Enum: return PropertyType::Enum;
        default: return PropertyType::Integer;
    }
}

PropertyValue FromDefinition(const MAPSPropertyValue &value) {
    switch (value.kind) {
        case MAPSProperty_Bool: return PropertyValue::Bool(value.boolean);
        case MAPSProperty_Float: return PropertyValue::Float(value.real);
        case MAPSProperty_String: return PropertyValue::Text(value.text ? value.text : "");
        case MAPSProperty_Enum: {
            std::vector<std::string> choices;
            std::string all = value.text ? value.text : "";
            size_t start = 0;
            for (;;) {
                size_t bar = all.find('|', start);
                choices.push_back(all.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
                if (bar == std::string::npos) break;
                start = bar + 1;
            }
            return PropertyValue::Enum(std::move(choices), static_cast<int>(value.integer));
        }
        default: return PropertyValue::Integer(value.integer);
    }
}

}  // namespace detail
}  // namespace zuv::host
