#include "session.h"

#include "packageLocator.h"
#include "toolError.h"

namespace zuv::tool {

CLI::Option *addPropertyOption(CLI::App &command, std::vector<std::string> &into) {
    return command
        .add_option("-p,--property", into,
                    "Set a property before the run, as [INSTANCE.]NAME=VALUE; repeatable, applied in order "
                    "(bool true/false/1/0, integer in decimal, enumeration by choice text or index, text as is)")
        ->type_name("[INST.]NAME=VALUE")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

PropertyDesc describeProperty(const host::PropertyInfo &info) {
    PropertyDesc d;
    d.name = info.name;
    switch (info.value.type) {
        case host::PropertyType::Bool: d.kind = PropertyKind::Bool; break;
        case host::PropertyType::Integer: d.kind = PropertyKind::Integer; break;
        case host::PropertyType::Float: d.kind = PropertyKind::Float; break;
        case host::PropertyType::Text: d.kind = PropertyKind::Text; break;
        case host::PropertyType::Enum:
            d.kind = PropertyKind::Enum;
            d.choices = info.value.choices;
            break;
    }
    return d;
}

host::PropertyValue toHostValue(const PropertyValue &value, const PropertyDesc &property) {
    switch (value.kind) {
        case PropertyKind::Bool: return host::PropertyValue::Bool(value.boolean);
        case PropertyKind::Integer: return host::PropertyValue::Integer(value.integer);
        case PropertyKind::Float: return host::PropertyValue::Float(value.real);
        case PropertyKind::Text: return host::PropertyValue::Text(value.text);
        case PropertyKind::Enum: return host::PropertyValue::Enum(property.choices, static_cast<int>(value.integer));
    }
    return host::PropertyValue::Text(value.text);
}

Session::Session(ToolContext &context) : context_(context) {
    runtime_.SetReportCallback([this](int level, const std::string &instance, const std::string &text) {
        context_.report(instance, level, text);
    });
}

Session::~Session() {
    runtime_.Stop();
}

void Session::loadPackage() {
    PackageChoice choice = locatePackage(context_.packageOption);
    try {
        runtime_.LoadPackage(choice.path);
    } catch (const host::HostError &e) {
        throw runError("cannot load the package " + choice.path + " (" + choice.source + "): " + e.what());
    }
}

host::Instance &Session::createInstance(const std::string &model, const std::string &name) {
    try {
        host::Instance &instance = runtime_.CreateInstance(model, name);
        instances_.push_back(&instance);
        return instance;
    } catch (const host::HostError &e) {
        if (e.code() != host::HostError::Code::NotFound) throw runError(e.what());
        std::string known;
        for (const auto &m : runtime_.Models()) known += (known.empty() ? "" : ", ") + m;
        throw usageError("unknown model \"" + model + "\" (" +
                         (known.empty() ? std::string("the package has none") : "the package has: " + known) + ")");
    }
}

void Session::applyProperties(const std::vector<std::string> &arguments) {
    for (const auto &argument : arguments) applyProperty(argument);
}

void Session::applyProperty(const std::string &argument) {
    PropertyAssignment assignment = parsePropertyAssignment(argument);
    std::vector<InstanceProperties> views;
    views.reserve(instances_.size());
    for (host::Instance *instance : instances_) {
        InstanceProperties view{instance->Name(), {}};
        for (const auto &info : instance->Properties()) view.properties.push_back(describeProperty(info));
        views.push_back(std::move(view));
    }
    ResolvedProperty target = resolvePropertyAssignment(views, assignment);
    PropertyValue value;
    if (!parsePropertyValue(*target.property, assignment.value, value)) {
        throw usageError(valueMismatch(*target.property, assignment.value,
                                       views[target.instanceIndex].instance + "." + target.property->name));
    }
    host::Instance &instance = *instances_[target.instanceIndex];
    try {
        instance.SetProperty(target.property->name, toHostValue(value, *target.property));
    } catch (const host::HostError &e) {
        throw usageError("cannot set " + instance.Name() + "." + target.property->name + ": " + e.what());
    }
}

}  // namespace zuv::tool
