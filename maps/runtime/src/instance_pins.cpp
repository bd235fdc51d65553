// Pins and properties that a component creates from its definition tables.
#include <cstring>
#include <string>

#include "host.h"

namespace zuv::host::detail {
namespace {

template <class Entry>
int FindEntry(const Entry* table, int count, const char* name) {
  if (name == nullptr) return -1;
  for (int i = 0; i < count; ++i)
    if (table[i].name != nullptr && std::strcmp(table[i].name, name) == 0) return i;
  return -1;
}

} // namespace

MAPSInput* InstanceImpl::NewInput(const char* entryName, const char* newName) {
  const int entry = FindEntry(definition_->inputs, definition_->inputCount, entryName);
  const std::string name = newName ? newName : (entryName ? entryName : "");
  if (host_.Running()) {
    Report(("Cannot create input " + Quoted(name.c_str()) + " while running").c_str(), 2);
    return nullptr;
  }
  if (entry < 0) {
    Report(("No input entry named " + Quoted(entryName)).c_str(), 2);
    return nullptr;
  }
  if (!ValidName(name)) {
    Report(("Invalid input name " + Quoted(name.c_str()) + " (must match ^[a-zA-Z][a-zA-Z_0-9]*$)").c_str(), 2);
    return nullptr;
  }
  InputPin* pin = InputByName(name.c_str());
  if (pin != nullptr && pin->entry != entry) {
    Report(("Input name " + Quoted(name.c_str()) + " is already in use").c_str(), 2);
    return nullptr;
  }
  if (pin == nullptr) {
    auto made = std::make_unique<InputPin>(name, entry, false);
    made->face.Init(made.get(), made->name, definition_->inputs[entry].filter);
    pin = made.get();
    std::lock_guard<std::mutex> lock(pinsMutex_);
    inputs_.push_back(std::move(made));
  }
  if (inDynamic_) declaredInputs_.push_back(pin);
  return &pin->face;
}

MAPSOutput* InstanceImpl::NewOutput(const char* entryName, const char* newName) {
  const int entry = FindEntry(definition_->outputs, definition_->outputCount, entryName);
  const std::string name = newName ? newName : (entryName ? entryName : "");
  if (host_.Running()) {
    Report(("Cannot create output " + Quoted(name.c_str()) + " while running").c_str(), 2);
    return nullptr;
  }
  if (entry < 0) {
    Report(("No output entry named " + Quoted(entryName)).c_str(), 2);
    return nullptr;
  }
  if (!ValidName(name)) {
    Report(("Invalid output name " + Quoted(name.c_str()) + " (must match ^[a-zA-Z][a-zA-Z_0-9]*$)").c_str(), 2);
    return nullptr;
  }
  OutputPin* pin = OutputByName(name.c_str());
  if (pin != nullptr && pin->entry != entry) {
    Report(("Output name " + Quoted(name.c_str()) + " is already in use").c_str(), 2);
    return nullptr;
  }
  if (pin == nullptr) {
    auto made = std::make_unique<OutputPin>(name, entry, false);
    made->face.Init(made.get(), made->name, definition_->outputs[entry]);
    pin = made.get();
    std::lock_guard<std::mutex> lock(pinsMutex_);
    outputs_.push_back(std::move(made));
  }
  if (inDynamic_) declaredOutputs_.push_back(pin);
  return &pin->face;
}

MAPSProperty* InstanceImpl::NewProperty(const char* entryName, const char* newName) {
  const int entry = FindEntry(definition_->properties, definition_->propertyCount, entryName);
  const std::string name = newName ? newName : (entryName ? entryName : "");
  if (host_.Running()) {
    Report(("Cannot create property " + Quoted(name.c_str()) + " while running").c_str(), 2);
    return nullptr;
  }
  if (entry < 0) {
    Report(("No property entry named " + Quoted(entryName)).c_str(), 2);
    return nullptr;
  }
  if (!ValidName(name)) {
    Report(("Invalid property name " + Quoted(name.c_str()) + " (must match ^[a-zA-Z][a-zA-Z_0-9]*$)").c_str(), 2);
    return nullptr;
  }
  PropertySlot* slot = PropertyByName(name.c_str());
  if (slot != nullptr && slot->entry != entry) {
    Report(("Property name " + Quoted(name.c_str()) + " is already in use").c_str(), 2);
    return nullptr;
  }
  if (slot == nullptr) {
    const MAPSPropertyDefinition& definition = definition_->properties[entry];
    auto made = std::make_unique<PropertySlot>(name, entry, false, definition.flags,
                                               FromDefinition(definition.defaultValue));
    made->face.Init(made.get(), made->name, definition.defaultValue.kind, definition.flags);
    slot = made.get();
    std::lock_guard<std::mutex> pins(pinsMutex_);
    std::lock_guard<std::mutex> props(propMutex_);
    properties_.push_back(std::move(made));
  }
  if (inDynamic_) declaredProperties_.push_back(slot);
  return &slot->face;
}
} // namespace zuv::host::detail
