// Pins and properties that a component creates from its definition tables.
#include <cstring>
#include <string>

#include "host.h"

namespace zuv::host::detail {
namespace {

template <class Entry>
int FindEntry(const Entry *table, int count, const char *name) {
    if (name == nullptr) return -1;
    for (int i = 0; i < count; ++i)
        if (table[i].name != nullptr && std::strcmp(table[i].name, name) == 0) return i;
    return -1;
}

}  // namespace

// The rules shared by inputs, outputs and properties: only while stopped,
// from an existing entry, under a valid name not taken by another entry.
// A name that the same entry already made is the same pin, declared again.
template <class Pin, class Entry, class Make>
Pin *InstanceImpl::Declare(const char *kind, const Entry *table, int count, std::vector<std::unique_ptr<Pin>> &list,
                           std::vector<Pin *> &declared, const char *entryName, const char *newName, Make make) {
    const int entry = FindEntry(table, count, entryName);
    const std::string name = newName ? newName : (entryName ? entryName : "");
    std::string refusal;
    if (host_.Running()) {
        refusal = std::string("Cannot create ") + kind + " " + Quoted(name.c_str()) + " while running";
    } else if (entry < 0) {
        refusal = std::string("No ") + kind + " entry named " + Quoted(entryName);
    } else if (!ValidName(name)) {
        refusal =
            std::string("Invalid ") + kind + " name " + Quoted(name.c_str()) + " (must match ^[a-zA-Z][a-zA-Z_0-9]*$)";
    }
    Pin *pin = nullptr;
    if (refusal.empty()) {
        std::lock_guard<std::mutex> pins(pinsMutex_);
        for (auto &existing : list)
            if (existing->name == name) pin = existing.get();
        if (pin != nullptr && pin->entry != entry) {
            refusal = std::string("The ") + kind + " name " + Quoted(name.c_str()) + " is already in use";
        } else if (pin == nullptr) {
            std::lock_guard<std::mutex> props(propMutex_);
            list.push_back(make(name, entry, table[entry]));
            pin = list.back().get();
        }
    }
    if (!refusal.empty()) {
        Report(refusal.c_str(), 2);
        return nullptr;
    }
    if (inDynamic_) declared.push_back(pin);
    return pin;
}

MAPSInput *InstanceImpl::NewInput(const char *entryName, const char *newName) {
    InputPin *pin = Declare("input", definition_->inputs, definition_->inputCount, inputs_, declaredInputs_, entryName,
                            newName, [](const std::string &name, int entry, const MAPSInputDefinition &definition) {
                                auto made = std::make_unique<InputPin>(name, entry, false);
                                made->face.Init(made.get(), made->name, definition.filter);
                                return made;
                            });
    return pin ? &pin->face : nullptr;
}

MAPSOutput *InstanceImpl::NewOutput(const char *entryName, const char *newName) {
    OutputPin *pin =
        Declare("output", definition_->outputs, definition_->outputCount, outputs_, declaredOutputs_, entryName,
                newName, [](const std::string &name, int entry, const MAPSOutputDefinition &definition) {
                    auto made = std::make_unique<OutputPin>(name, entry, false);
                    made->face.Init(made.get(), made->name, definition);
                    return made;
                });
    return pin ? &pin->face : nullptr;
}

MAPSProperty *InstanceImpl::NewProperty(const char *entryName, const char *newName) {
    PropertySlot *slot =
        Declare("property", definition_->properties, definition_->propertyCount, properties_, declaredProperties_,
                entryName, newName, [](const std::string &name, int entry, const MAPSPropertyDefinition &definition) {
                    auto made = std::make_unique<PropertySlot>(name, entry, false, definition.flags,
                                                               FromDefinition(definition.defaultValue));
                    made->face.Init(made.get(), made->name, definition.defaultValue.kind, definition.flags);
                    return made;
                });
    return slot ? &slot->face : nullptr;
}

}  // namespace zuv::host::detail
