// Property values of an instance: reads and stores from the tool and from
// the component, with the kinds' conversions and the running rule.
#include <algorithm>
#include <cctype>
#include <string>

#include "host.h"

namespace zuv::host::detail {

PropertyValue InstanceImpl::GetProperty(const std::string &name) const {
    PropertySlot *slot = PropertyByName(name.c_str());
    if (slot == nullptr) throw HostError(HostError::Code::NotFound, name_ + ": no property " + name);
    std::lock_guard<std::mutex> lock(propMutex_);
    return slot->value;
}

InstanceImpl::SetResult InstanceImpl::ApplySet(PropertySlot &slot, const PropertyValue &given, std::string &why) {
    if (host_.Running() && (slot.flags & kPropertyChangeableWhileRunning) == 0) {
        why = "property " + slot.name + " cannot change while running";
        return SetResult::Refused;
    }
    std::unique_lock<std::mutex> lock(propMutex_);
    PropertyValue &value = slot.value;
    const auto mismatch = [&] {
        why = "property " + slot.name + " is " + zuv::host::Name(value.type) + ", not " + zuv::host::Name(given.type);
        return SetResult::BadValue;
    };
    switch (value.type) {
        case PropertyType::Bool:
            if (given.type == PropertyType::Bool)
                value.boolean = given.boolean;
            else if (given.type == PropertyType::Integer && (given.integer == 0 || given.integer == 1))
                value.boolean = given.integer != 0;
            else
                return mismatch();
            break;
        case PropertyType::Integer:
            if (given.type == PropertyType::Integer)
                value.integer = given.integer;
            else if (given.type == PropertyType::Bool)
                value.integer = given.boolean ? 1 : 0;
            else
                return mismatch();
            break;
        case PropertyType::Float:
            if (given.type == PropertyType::Float)
                value.real = given.real;
            else if (given.type == PropertyType::Integer)
                value.real = static_cast<double>(given.integer);
            else
                return mismatch();
            break;
        case PropertyType::Text:
            if (given.type == PropertyType::Text)
                value.text = given.text;
            else
                return mismatch();
            break;
        case PropertyType::Enum: {
            if (given.type == PropertyType::Enum) {
                const std::vector<std::string> &choices = given.choices.empty() ? value.choices : given.choices;
                if (given.selected < 0 || given.selected >= static_cast<int>(choices.size())) {
                    why =
                        "property " + slot.name + ": choice index " + std::to_string(given.selected) + " out of range";
                    return SetResult::BadValue;
                }
                value.choices = choices;
                value.selected = given.selected;
            } else if (given.type == PropertyType::Integer) {
                if (given.integer < 0 || given.integer >= static_cast<int64_t>(value.choices.size())) {
                    why = "property " + slot.name + ": choice index " + std::to_string(given.integer) + " out of range";
                    return SetResult::BadValue;
                }
                value.selected = static_cast<int>(given.integer);
            } else if (given.type == PropertyType::Text) {
                auto found = std::find(value.choices.begin(), value.choices.end(), given.text);
                if (found == value.choices.end()) {
                    why = "property " + slot.name + ": \"" + given.text + "\" is not one of its choices";
                    return SetResult::BadValue;
                }
                value.selected = static_cast<int>(found - value.choices.begin());
            } else {
                return mismatch();
            }
            break;
        }
    }
    lock.unlock();
    if (!host_.Running()) RunDynamic();
    return SetResult::Done;
}

void InstanceImpl::SetProperty(const std::string &name, const PropertyValue &value) {
    std::lock_guard<std::recursive_mutex> control(host_.Control());
    PropertySlot *slot = PropertyByName(name.c_str());
    if (slot == nullptr) throw HostError(HostError::Code::NotFound, name_ + ": no property " + name);
    std::string why;
    switch (ApplySet(*slot, value, why)) {
        case SetResult::Done: return;
        case SetResult::Refused: throw HostError(HostError::Code::Refused, name_ + ": " + why);
        case SetResult::BadValue: throw HostError(HostError::Code::BadValue, name_ + ": " + why);
    }
}

void InstanceImpl::SetPropertyFromText(const std::string &name, const std::string &text) {
    PropertyValue current = GetProperty(name);
    PropertyValue given;
    const auto bad = [&](const char *expected) {
        return HostError(HostError::Code::BadValue,
                         name_ + ": property " + name + " takes " + expected + ", not \"" + text + "\"");
    };
    switch (current.type) {
        case PropertyType::Bool:
            if (text == "true" || text == "1")
                given = PropertyValue::Bool(true);
            else if (text == "false" || text == "0")
                given = PropertyValue::Bool(false);
            else
                throw bad("true, false, 1 or 0");
            break;
        case PropertyType::Integer: {
            size_t used = 0;
            long long number = 0;
            try {
                number = std::stoll(text, &used, 10);
            } catch (const std::exception &) {
                throw bad("a decimal integer");
            }
            if (used != text.size()) throw bad("a decimal integer");
            given = PropertyValue::Integer(number);
            break;
        }
        case PropertyType::Float: {
            size_t used = 0;
            double number = 0;
            try {
                number = std::stod(text, &used);
            } catch (const std::exception &) {
                throw bad("a number");
            }
            if (used != text.size()) throw bad("a number");
            given = PropertyValue::Float(number);
            break;
        }
        case PropertyType::Text: given = PropertyValue::Text(text); break;
        case PropertyType::Enum: {
            auto found = std::find(current.choices.begin(), current.choices.end(), text);
            if (found != current.choices.end()) {
                given = PropertyValue::Integer(found - current.choices.begin());
            } else {
                bool digits = !text.empty() && text.size() < 10 && std::all_of(text.begin(), text.end(), ::isdigit);
                if (!digits) throw bad("one of its choices or a choice index");
                given = PropertyValue::Integer(std::stoll(text));
            }
            break;
        }
    }
    SetProperty(name, given);
}
int InstanceImpl::GetPropertyValue(MAPSProperty *property, MAPSKernelValue *out) {
    PropertySlot *slot = static_cast<PropertyFace *>(property)->slot;
    std::unique_lock<std::mutex> lock(propMutex_);
    const PropertyValue &value = slot->value;
    bool ok = true;
    switch (out->kind) {
        case MAPSProperty_Bool:
            if (value.type == PropertyType::Bool)
                out->integer = value.boolean ? 1 : 0;
            else if (value.type == PropertyType::Integer)
                out->integer = value.integer != 0;
            else if (value.type == PropertyType::Enum)
                out->integer = value.selected != 0;
            else
                ok = false;
            break;
        case MAPSProperty_Integer:
            if (value.type == PropertyType::Integer)
                out->integer = value.integer;
            else if (value.type == PropertyType::Bool)
                out->integer = value.boolean ? 1 : 0;
            else if (value.type == PropertyType::Enum)
                out->integer = value.selected;
            else
                ok = false;
            break;
        case MAPSProperty_Float:
            if (value.type == PropertyType::Float)
                out->real = value.real;
            else if (value.type == PropertyType::Integer)
                out->real = static_cast<double>(value.integer);
            else
                ok = false;
            break;
        case MAPSProperty_String:
            if (value.type == PropertyType::Text && out->assignText)
                out->assignText(out->sink, value.text.data(), value.text.size());
            else if (value.type == PropertyType::Enum && out->assignText) {
                const std::string text = value.SelectedText();
                out->assignText(out->sink, text.data(), text.size());
            } else
                ok = false;
            break;
        case MAPSProperty_Enum:
            if (value.type == PropertyType::Enum && out->addChoice) {
                for (const std::string &choice : value.choices) out->addChoice(out->sink, choice.data(), choice.size());
                out->integer = value.selected;
            } else
                ok = false;
            break;
        default: ok = false;
    }
    if (ok) return 0;
    const std::string name = slot->name;
    const char *type = zuv::host::Name(value.type);
    lock.unlock();
    Report(("Property " + name + " is " + type + " and cannot be read as " +
            zuv::host::Name(TypeOf(static_cast<MAPSPropertyKind>(out->kind))))
               .c_str(),
           2);
    return -1;
}

int InstanceImpl::SetPropertyValue(MAPSProperty *property, const MAPSKernelValue *in) {
    PropertySlot *slot = static_cast<PropertyFace *>(property)->slot;
    PropertyValue given;
    switch (in->kind) {
        case MAPSProperty_Bool: given = PropertyValue::Bool(in->integer != 0); break;
        case MAPSProperty_Integer: given = PropertyValue::Integer(in->integer); break;
        case MAPSProperty_Float: given = PropertyValue::Float(in->real); break;
        case MAPSProperty_String:
            given = PropertyValue::Text(std::string(in->text ? in->text : "", in->text ? in->textLength : 0));
            break;
        case MAPSProperty_Enum: {
            std::vector<std::string> choices;
            for (int i = 0; i < in->choiceCount && in->choices; ++i)
                choices.emplace_back(in->choices[i] ? in->choices[i] : "");
            given = PropertyValue::Enum(std::move(choices), static_cast<int>(in->integer));
            break;
        }
        default: Report("Property set with an unknown value kind", 2); return -1;
    }
    std::lock_guard<std::recursive_mutex> control(host_.Control());
    std::string why;
    if (ApplySet(*slot, given, why) == SetResult::Done) return 0;
    Report(why.c_str(), 2);
    return -1;
}
}  // namespace zuv::host::detail
