// One component instance: creation, Dynamic, what it holds, its actions.
#include <algorithm>
#include <string>

#include "host.h"

namespace zuv::host::detail {
namespace {

MAPSHostInstance *Handle(InstanceImpl *instance) {
    return reinterpret_cast<MAPSHostInstance *>(instance);
}

int LeadingCount(int leading, int count) {
    return leading < 0 ? count : std::min(leading, count);
}

ElementType ToElementType(MAPSElementType type) {
    switch (type) {
        case MAPSType_TextAscii: return ElementType::TextAscii;
        case MAPSType_Integer32: return ElementType::Integer32;
        case MAPSType_Integer64: return ElementType::Integer64;
        case MAPSType_Float64: return ElementType::Float64;
        case MAPSType_Float32: return ElementType::Float32;
        default: return ElementType::Stream8;
    }
}

// Keeps the leading pins in place, then the ones the last Dynamic declared,
// in its order; destroys the rest.
template <class Pin>
void Prune(std::vector<std::unique_ptr<Pin>> &pins, const std::vector<Pin *> &declared) {
    std::vector<std::unique_ptr<Pin>> kept;
    for (auto &pin : pins)
        if (pin->leading) kept.push_back(std::move(pin));
    for (Pin *wanted : declared) {
        if (wanted->leading) continue;
        for (auto &pin : pins)
            if (pin.get() == wanted) kept.push_back(std::move(pin));
    }
    pins = std::move(kept);
}

}  // namespace

InstanceImpl::InstanceImpl(Host &host, std::string name, std::string model, MAPSComponentDefinition *definition,
                           const MAPSPackageGlue *glue)
    : host_(host), name_(std::move(name)), model_(std::move(model)), definition_(definition), glue_(glue) {
    const MAPSComponentDefinition &d = *definition_;
    for (int i = 0; i < LeadingCount(d.leadingInputs, d.inputCount); ++i) {
        auto pin = std::make_unique<InputPin>(d.inputs[i].name, i, true);
        pin->face.Init(pin.get(), pin->name, d.inputs[i].filter);
        inputs_.push_back(std::move(pin));
    }
    for (int i = 0; i < LeadingCount(d.leadingOutputs, d.outputCount); ++i) {
        auto pin = std::make_unique<OutputPin>(d.outputs[i].name, i, true);
        pin->face.Init(pin.get(), pin->name, d.outputs[i]);
        outputs_.push_back(std::move(pin));
    }
    for (int i = 0; i < LeadingCount(d.leadingProperties, d.propertyCount); ++i) {
        const MAPSPropertyDefinition &entry = d.properties[i];
        auto slot =
            std::make_unique<PropertySlot>(entry.name, i, true, entry.flags, FromDefinition(entry.defaultValue));
        slot->face.Init(slot.get(), slot->name, entry.defaultValue.kind, entry.flags);
        properties_.push_back(std::move(slot));
    }
    for (int i = 0; i < LeadingCount(d.leadingActions, d.actionCount); ++i) actions_.push_back(i);
}

InstanceImpl::~InstanceImpl() {
    DestroyComponent();
}

bool InstanceImpl::Create() {
    {
        RoleScope role(&host_, this, false);
        component_ = glue_->create(definition_, name_.c_str(), Handle(this));
    }
    if (component_ == nullptr) return false;
    std::lock_guard<std::recursive_mutex> control(host_.Control());
    RunDynamic();
    return true;
}

void InstanceImpl::DestroyComponent() {
    JoinCreatedThreads();
    if (component_ != nullptr) {
        RoleScope role(&host_, this, false);
        glue_->destroy(component_);
        component_ = nullptr;
    }
}

int InstanceImpl::CallGlue(int32_t operation) {
    int result = glue_->call(component_, operation);
    if (result == MAPS_GLUE_FAILED) MarkEnded(EndState::Error);
    return result;
}

void InstanceImpl::RunDynamic() {
    // Caller holds the host's control lock. A Set inside Dynamic stores its
    // value without running Dynamic again.
    if (inDynamic_ || component_ == nullptr) return;
    inDynamic_ = true;
    declaredInputs_.clear();
    declaredOutputs_.clear();
    declaredProperties_.clear();
    int result;
    {
        RoleScope role(&host_, this, false);
        result = glue_->call(component_, MAPS_CALL_DYNAMIC);
    }
    inDynamic_ = false;
    if (result != MAPS_GLUE_RETURNED) {
        // An aborted Dynamic keeps every pin: removing half a declaration
        // would lose more than it mends.
        Report("Dynamic did not complete; pins and properties left as they were", 2);
        return;
    }
    std::lock_guard<std::mutex> pins(pinsMutex_);
    std::lock_guard<std::mutex> props(propMutex_);
    Prune(inputs_, declaredInputs_);
    Prune(outputs_, declaredOutputs_);
    Prune(properties_, declaredProperties_);
}

std::vector<InputInfo> InstanceImpl::Inputs() const {
    std::lock_guard<std::mutex> lock(pinsMutex_);
    std::vector<InputInfo> list;
    for (auto &pin : inputs_) list.push_back({pin->name, pin->face.Filter().name ? pin->face.Filter().name : ""});
    return list;
}

std::vector<OutputInfo> InstanceImpl::Outputs() const {
    std::lock_guard<std::mutex> lock(pinsMutex_);
    std::vector<OutputInfo> list;
    for (auto &pin : outputs_)
        list.push_back({pin->name, ToElementType(pin->face.Type()), pin->face.BufferSize(), pin->face.FifoSize()});
    return list;
}

std::vector<PropertyInfo> InstanceImpl::Properties() const {
    std::lock_guard<std::mutex> pins(pinsMutex_);
    std::lock_guard<std::mutex> props(propMutex_);
    std::vector<PropertyInfo> list;
    for (auto &slot : properties_) list.push_back({slot->name, slot->value, slot->flags});
    return list;
}

std::vector<std::string> InstanceImpl::Actions() const {
    std::vector<std::string> list;
    for (int index : actions_) list.emplace_back(definition_->actions[index].name);
    return list;
}

PropertySlot *InstanceImpl::PropertyByName(const char *name) const {
    std::lock_guard<std::mutex> lock(pinsMutex_);
    for (auto &slot : properties_)
        if (slot->name == name) return slot.get();
    return nullptr;
}

InputPin *InstanceImpl::InputByName(const char *name) {
    std::lock_guard<std::mutex> lock(pinsMutex_);
    for (auto &pin : inputs_)
        if (pin->name == name) return pin.get();
    return nullptr;
}

OutputPin *InstanceImpl::OutputByName(const char *name) {
    std::lock_guard<std::mutex> lock(pinsMutex_);
    for (auto &pin : outputs_)
        if (pin->name == name) return pin.get();
    return nullptr;
}
void InstanceImpl::RunAction(const std::string &name) {
    for (int index : actions_) {
        if (name == definition_->actions[index].name) {
            RoleScope role(&host_, this, false);
            glue_->action(component_, index);
            return;
        }
    }
    throw HostError(HostError::Code::NotFound, name_ + ": no action " + name);
}
MAPSInput *InstanceImpl::FindInput(const char *name) {
    InputPin *pin = name ? InputByName(name) : nullptr;
    return pin ? &pin->face : nullptr;
}

MAPSOutput *InstanceImpl::FindOutput(const char *name) {
    OutputPin *pin = name ? OutputByName(name) : nullptr;
    return pin ? &pin->face : nullptr;
}

MAPSProperty *InstanceImpl::FindProperty(const char *name) {
    PropertySlot *slot = name ? PropertyByName(name) : nullptr;
    return slot ? &slot->face : nullptr;
}
}  // namespace zuv::host::detail
