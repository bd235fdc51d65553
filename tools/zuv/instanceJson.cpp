#include "instanceJson.h"

namespace zuv::tool {

using Json = nlohmann::ordered_json;

Json propertyValueJson(const host::PropertyValue &value) {
    switch (value.type) {
        case host::PropertyType::Bool: return value.boolean;
        case host::PropertyType::Integer: return value.integer;
        case host::PropertyType::Float: return value.real;
        case host::PropertyType::Text: return value.text;
        case host::PropertyType::Enum: return value.SelectedText();
    }
    return nullptr;
}

Json describeInstance(const host::Instance &instance) {
    Json j;
    j["model"] = instance.Model();
    Json inputs = Json::array();
    for (const auto &in : instance.Inputs()) inputs.push_back(Json{{"name", in.name}, {"type", in.type}});
    j["inputs"] = std::move(inputs);
    Json outputs = Json::array();
    for (const auto &out : instance.Outputs()) {
        outputs.push_back(
            Json{{"name", out.name}, {"type", host::Name(out.type)}, {"maxSize", out.maxSize}, {"fifo", out.fifo}});
    }
    j["outputs"] = std::move(outputs);
    Json properties = Json::array();
    for (const auto &p : instance.Properties()) {
        Json entry{{"name", p.name},
                   {"type", host::Name(p.value.type)},
                   {"value", propertyValueJson(p.value)},
                   {"flags", p.flags}};
        if (p.value.type == host::PropertyType::Enum) entry["choices"] = p.value.choices;
        properties.push_back(std::move(entry));
    }
    j["properties"] = std::move(properties);
    j["actions"] = instance.Actions();
    return j;
}

}  // namespace zuv::tool
