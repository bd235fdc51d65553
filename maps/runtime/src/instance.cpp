// One component instance: its pins and properties, Dynamic, and its run.
#include <algorithm>
#include <cstring>
#include <string>

#include "host.h"

namespace zuv::host::detail {
namespace {

MAPSHostInstance* Handle(InstanceImpl* instance) { return reinterpret_cast<MAPSHostInstance*>(instance); }

int LeadingCount(int leading, int count) { return leading < 0 ? count : std::min(leading, count); }

template <class Entry>
int FindEntry(const Entry* table, int count, const char* name) {
  if (name == nullptr) return -1;
  for (int i = 0; i < count; ++i)
    if (table[i].name != nullptr && std::strcmp(table[i].name, name) == 0) return i;
  return -1;
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
void Prune(std::vector<std::unique_ptr<Pin>>& pins, const std::vector<Pin*>& declared) {
  std::vector<std::unique_ptr<Pin>> kept;
  for (auto& pin : pins)
    if (pin->leading) kept.push_back(std::move(pin));
  for (Pin* wanted : declared) {
    if (wanted->leading) continue;
    for (auto& pin : pins)
      if (pin.get() == wanted) kept.push_back(std::move(pin));
  }
  pins = std::move(kept);
}

std::string Quote(const char* text) { return std::string("\"") + (text ? text : "(null)") + "\""; }

} // namespace

InstanceImpl::InstanceImpl(Host& host, std::string name, std::string model, MAPSComponentDefinition* definition,
                           const MAPSPackageGlue* glue)
    : host_(host), name_(std::move(name)), model_(std::move(model)), definition_(definition), glue_(glue) {
  const MAPSComponentDefinition& d = *definition_;
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
    const MAPSPropertyDefinition& entry = d.properties[i];
    auto slot = std::make_unique<PropertySlot>(entry.name, i, true, entry.flags,
                                               FromDefinition(entry.defaultValue));
    slot->face.Init(slot.get(), slot->name, entry.defaultValue.kind, entry.flags);
    properties_.push_back(std::move(slot));
  }
  for (int i = 0; i < LeadingCount(d.leadingActions, d.actionCount); ++i) actions_.push_back(i);
}

InstanceImpl::~InstanceImpl() { DestroyComponent(); }

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
  for (auto& pin : inputs_) list.push_back({pin->name, pin->face.Filter().name ? pin->face.Filter().name : ""});
  return list;
}

std::vector<OutputInfo> InstanceImpl::Outputs() const {
  std::lock_guard<std::mutex> lock(pinsMutex_);
  std::vector<OutputInfo> list;
  for (auto& pin : outputs_)
    list.push_back({pin->name, ToElementType(pin->face.Type()), pin->face.BufferSize(), pin->face.FifoSize()});
  return list;
}

std::vector<PropertyInfo> InstanceImpl::Properties() const {
  std::lock_guard<std::mutex> pins(pinsMutex_);
  std::lock_guard<std::mutex> props(propMutex_);
  std::vector<PropertyInfo> list;
  for (auto& slot : properties_) list.push_back({slot->name, slot->value, slot->flags});
  return list;
}

std::vector<std::string> InstanceImpl::Actions() const {
  std::vector<std::string> list;
  for (int index : actions_) list.emplace_back(definition_->actions[index].name);
  return list;
}

PropertySlot* InstanceImpl::PropertyByName(const char* name) const {
  std::lock_guard<std::mutex> lock(pinsMutex_);
  for (auto& slot : properties_)
    if (slot->name == name) return slot.get();
  return nullptr;
}

InputPin* InstanceImpl::InputByName(const char* name) {
  std::lock_guard<std::mutex> lock(pinsMutex_);
  for (auto& pin : inputs_)
    if (pin->name == name) return pin.get();
  return nullptr;
}

OutputPin* InstanceImpl::OutputByName(const char* name) {
  std::lock_guard<std::mutex> lock(pinsMutex_);
  for (auto& pin : outputs_)
    if (pin->name == name) return pin.get();
  return nullptr;
}

PropertyValue InstanceImpl::GetProperty(const std::string& name) const {
  PropertySlot* slot = PropertyByName(name.c_str());
  if (slot == nullptr) throw HostError(HostError::Code::NotFound, name_ + ": no property " + name);
  std::lock_guard<std::mutex> lock(propMutex_);
  return slot->value;
}

InstanceImpl::SetResult InstanceImpl::ApplySet(PropertySlot& slot, const PropertyValue& given, std::string& why) {
  if (host_.Running() && (slot.flags & kPropertyChangeableWhileRunning) == 0) {
    why = "property " + slot.name + " cannot change while running";
    return SetResult::Refused;
  }
  std::unique_lock<std::mutex> lock(propMutex_);
  PropertyValue& value = slot.value;
  const auto mismatch = [&] {
    why = "property " + slot.name + " is " + zuv::host::Name(value.type) + ", not " + zuv::host::Name(given.type);
    return SetResult::BadValue;
  };
  switch (value.type) {
  case PropertyType::Bool:
    if (given.type == PropertyType::Bool) value.boolean = given.boolean;
    else if (given.type == PropertyType::Integer && (given.integer == 0 || given.integer == 1))
      value.boolean = given.integer != 0;
    else return mismatch();
    break;
  case PropertyType::Integer:
    if (given.type == PropertyType::Integer) value.integer = given.integer;
    else if (given.type == PropertyType::Bool) value.integer = given.boolean ? 1 : 0;
    else return mismatch();
    break;
  case PropertyType::Float:
    if (given.type == PropertyType::Float) value.real = given.real;
    else if (given.type == PropertyType::Integer) value.real = static_cast<double>(given.integer);
    else return mismatch();
    break;
  case PropertyType::Text:
    if (given.type == PropertyType::Text) value.text = given.text;
    else return mismatch();
    break;
  case PropertyType::Enum: {
    if (given.type == PropertyType::Enum) {
      const std::vector<std::string>& choices = given.choices.empty() ? value.choices : given.choices;
      if (given.selected < 0 || given.selected >= static_cast<int>(choices.size())) {
        why = "property " + slot.name + ": choice index " + std::to_string(given.selected) + " out of range";
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

void InstanceImpl::SetProperty(const std::string& name, const PropertyValue& value) {
  std::lock_guard<std::recursive_mutex> control(host_.Control());
  PropertySlot* slot = PropertyByName(name.c_str());
  if (slot == nullptr) throw HostError(HostError::Code::NotFound, name_ + ": no property " + name);
  std::string why;
  switch (ApplySet(*slot, value, why)) {
  case SetResult::Done: return;
  case SetResult::Refused: throw HostError(HostError::Code::Refused, name_ + ": " + why);
  case SetResult::BadValue: throw HostError(HostError::Code::BadValue, name_ + ": " + why);
  }
}

void InstanceImpl::SetPropertyFromText(const std::string& name, const std::string& text) {
  PropertyValue current = GetProperty(name);
  PropertyValue given;
  const auto bad = [&](const char* expected) {
    return HostError(HostError::Code::BadValue,
                     name_ + ": property " + name + " takes " + expected + ", not \"" + text + "\"");
  };
  switch (current.type) {
  case PropertyType::Bool:
    if (text == "true" || text == "1") given = PropertyValue::Bool(true);
    else if (text == "false" || text == "0") given = PropertyValue::Bool(false);
    else throw bad("true, false, 1 or 0");
    break;
  case PropertyType::Integer: {
    size_t used = 0;
    long long number = 0;
    try {
      number = std::stoll(text, &used, 10);
    } catch (const std::exception&) {
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
    } catch (const std::exception&) {
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

void InstanceImpl::RunAction(const std::string& name) {
  for (int index : actions_) {
    if (name == definition_->actions[index].name) {
      RoleScope role(&host_, this, false);
      glue_->action(component_, index);
      return;
    }
  }
  throw HostError(HostError::Code::NotFound, name_ + ": no action " + name);
}

// ---- kernel side ----

void InstanceImpl::Report(const char* text, int level) { host_.Report(level, name_, text); }

void InstanceImpl::Error(const char* text) {
  Report(text, 2);
  if (running_.load()) MarkEnded(EndState::Error);
}

void InstanceImpl::MarkEnded(EndState state) {
  EndState expected = EndState::None;
  lastEnd_.compare_exchange_strong(expected, state);
  SetDying();
}

int InstanceImpl::CommitSuicide() {
  if (!running_.load()) return 0;
  MarkEnded(EndState::Suicide);
  const ThreadRole& role = CurrentRole();
  return role.instance == this && role.componentThread ? 1 : 0;
}

void InstanceImpl::SetDying() {
  dying_.store(true, std::memory_order_release);
  {
    std::lock_guard<std::mutex> lock(restMutex_);
    restCv_.notify_all();
  }
  std::lock_guard<std::mutex> lock(pinsMutex_);
  for (auto& pin : outputs_)
    if (pin->fifo) pin->fifo->Wake();
  for (auto& pin : inputs_)
    if (pin->fifo) pin->fifo->Wake();
  host_.WakeBirthWaiters();
}

void InstanceImpl::Rest(int64_t microseconds) {
  if (microseconds <= 0) return;
  std::unique_lock<std::mutex> lock(restMutex_);
  restCv_.wait_for(lock, std::chrono::microseconds(microseconds), [&] { return dying_.load(); });
}

int InstanceImpl::Rename(const char* newName) {
  std::lock_guard<std::recursive_mutex> control(host_.Control());
  std::string name = newName ? newName : "";
  if (host_.Running()) {
    Report("Cannot rename an instance while running", 2);
    return 0;
  }
  if (!ValidName(name) || (name != name_ && host_.NameTaken(name))) {
    Report(("Cannot rename to " + Quote(newName) + ": invalid or taken").c_str(), 2);
    return 0;
  }
  name_ = name;
  return 1;
}

int InstanceImpl::CreateThread(void* context) {
  std::lock_guard<std::mutex> lock(createdMutex_);
  try {
    created_.emplace_back([this, context] {
      RoleScope role(&host_, this, false);
      glue_->runThread(context);
    });
  } catch (const std::exception&) {
    return -1;
  }
  return 0;
}

void InstanceImpl::JoinCreatedThreads() {
  for (;;) {
    std::vector<std::thread> threads;
    {
      std::lock_guard<std::mutex> lock(createdMutex_);
      threads.swap(created_);
    }
    if (threads.empty()) return;
    for (auto& thread : threads) thread.join();
  }
}

MAPSInput* InstanceImpl::FindInput(const char* name) {
  InputPin* pin = name ? InputByName(name) : nullptr;
  return pin ? &pin->face : nullptr;
}

MAPSOutput* InstanceImpl::FindOutput(const char* name) {
  OutputPin* pin = name ? OutputByName(name) : nullptr;
  return pin ? &pin->face : nullptr;
}

MAPSProperty* InstanceImpl::FindProperty(const char* name) {
  PropertySlot* slot = name ? PropertyByName(name) : nullptr;
  return slot ? &slot->face : nullptr;
}

MAPSInput* InstanceImpl::NewInput(const char* entryName, const char* newName) {
  const int entry = FindEntry(definition_->inputs, definition_->inputCount, entryName);
  const std::string name = newName ? newName : (entryName ? entryName : "");
  if (host_.Running()) {
    Report(("Cannot create input " + Quote(name.c_str()) + " while running").c_str(), 2);
    return nullptr;
  }
  if (entry < 0) {
    Report(("No input entry named " + Quote(entryName)).c_str(), 2);
    return nullptr;
  }
  if (!ValidName(name)) {
    Report(("Invalid input name " + Quote(name.c_str()) + " (must match ^[a-zA-Z][a-zA-Z_0-9]*$)").c_str(), 2);
    return nullptr;
  }
  InputPin* pin = InputByName(name.c_str());
  if (pin != nullptr && pin->entry != entry) {
    Report(("Input name " + Quote(name.c_str()) + " is already in use").c_str(), 2);
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
    Report(("Cannot create output " + Quote(name.c_str()) + " while running").c_str(), 2);
    return nullptr;
  }
  if (entry < 0) {
    Report(("No output entry named " + Quote(entryName)).c_str(), 2);
    return nullptr;
  }
  if (!ValidName(name)) {
    Report(("Invalid output name " + Quote(name.c_str()) + " (must match ^[a-zA-Z][a-zA-Z_0-9]*$)").c_str(), 2);
    return nullptr;
  }
  OutputPin* pin = OutputByName(name.c_str());
  if (pin != nullptr && pin->entry != entry) {
    Report(("Output name " + Quote(name.c_str()) + " is already in use").c_str(), 2);
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
    Report(("Cannot create property " + Quote(name.c_str()) + " while running").c_str(), 2);
    return nullptr;
  }
  if (entry < 0) {
    Report(("No property entry named " + Quote(entryName)).c_str(), 2);
    return nullptr;
  }
  if (!ValidName(name)) {
    Report(("Invalid property name " + Quote(name.c_str()) + " (must match ^[a-zA-Z][a-zA-Z_0-9]*$)").c_str(), 2);
    return nullptr;
  }
  PropertySlot* slot = PropertyByName(name.c_str());
  if (slot != nullptr && slot->entry != entry) {
    Report(("Property name " + Quote(name.c_str()) + " is already in use").c_str(), 2);
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

int InstanceImpl::StartWriting(MAPSOutput* output, MAPSIOElt** element) {
  *element = nullptr;
  auto* face = static_cast<OutputFace*>(output);
  if (face == nullptr || !running_.load() || !face->pin->fifo) return MAPS_KERNEL_OK;
  Slot* slot = face->pin->fifo->Acquire(dying_);
  if (slot == nullptr) return MAPS_KERNEL_UNWIND;
  *element = slot;
  return MAPS_KERNEL_OK;
}

int InstanceImpl::StopWriting(MAPSIOElt* element, int discard) {
  if (element == nullptr) return 0;
  Slot* slot = static_cast<Slot*>(element);
  Fifo* fifo = slot->Owner();
  if (fifo == nullptr) return 0;
  switch (fifo->Publish(slot, discard != 0)) {
  case Fifo::PublishResult::Published: return 1;
  case Fifo::PublishResult::BadVectorSize:
    Report(("Sample not published on " + fifo->OutputName() + ": vector size " + std::to_string(slot->VectorSize()) +
            " outside 0.." + std::to_string(fifo->MaxSize()))
               .c_str(),
           2);
    return 0;
  default: return 0;
  }
}

int InstanceImpl::StartReading(MAPSInput* input, MAPSIOElt** element) {
  *element = nullptr;
  auto* face = static_cast<InputFace*>(input);
  Fifo* fifo = face ? face->pin->fifo : nullptr;
  if (fifo == nullptr || face->pin->reader < 0) {
    // Nothing can ever arrive: wait for the stop.
    std::unique_lock<std::mutex> lock(restMutex_);
    restCv_.wait(lock, [&] { return dying_.load() || !running_.load(); });
    return MAPS_KERNEL_UNWIND;
  }
  Slot* slot = fifo->Read(face->pin->reader, dying_);
  if (slot == nullptr) return MAPS_KERNEL_UNWIND;
  *element = slot;
  return MAPS_KERNEL_OK;
}

int InstanceImpl::GetPropertyValue(MAPSProperty* property, MAPSKernelValue* out) {
  PropertySlot* slot = static_cast<PropertyFace*>(property)->slot;
  std::unique_lock<std::mutex> lock(propMutex_);
  const PropertyValue& value = slot->value;
  bool ok = true;
  switch (out->kind) {
  case MAPSProperty_Bool:
    if (value.type == PropertyType::Bool) out->integer = value.boolean ? 1 : 0;
    else if (value.type == PropertyType::Integer) out->integer = value.integer != 0;
    else if (value.type == PropertyType::Enum) out->integer = value.selected != 0;
    else ok = false;
    break;
  case MAPSProperty_Integer:
    if (value.type == PropertyType::Integer) out->integer = value.integer;
    else if (value.type == PropertyType::Bool) out->integer = value.boolean ? 1 : 0;
    else if (value.type == PropertyType::Enum) out->integer = value.selected;
    else ok = false;
    break;
  case MAPSProperty_Float:
    if (value.type == PropertyType::Float) out->real = value.real;
    else if (value.type == PropertyType::Integer) out->real = static_cast<double>(value.integer);
    else ok = false;
    break;
  case MAPSProperty_String:
    if (value.type == PropertyType::Text && out->assignText) out->assignText(out->sink, value.text.data(), value.text.size());
    else if (value.type == PropertyType::Enum && out->assignText) {
      const std::string text = value.SelectedText();
      out->assignText(out->sink, text.data(), text.size());
    } else ok = false;
    break;
  case MAPSProperty_Enum:
    if (value.type == PropertyType::Enum && out->addChoice) {
      for (const std::string& choice : value.choices) out->addChoice(out->sink, choice.data(), choice.size());
      out->integer = value.selected;
    } else ok = false;
    break;
  default: ok = false;
  }
  if (ok) return 0;
  const std::string name = slot->name;
  const char* type = zuv::host::Name(value.type);
  lock.unlock();
  Report(("Property " + name + " is " + type + " and cannot be read as " + zuv::host::Name(TypeOf(static_cast<MAPSPropertyKind>(out->kind))))
             .c_str(),
         2);
  return -1;
}

int InstanceImpl::SetPropertyValue(MAPSProperty* property, const MAPSKernelValue* in) {
  PropertySlot* slot = static_cast<PropertyFace*>(property)->slot;
  PropertyValue given;
  switch (in->kind) {
  case MAPSProperty_Bool: given = PropertyValue::Bool(in->integer != 0); break;
  case MAPSProperty_Integer: given = PropertyValue::Integer(in->integer); break;
  case MAPSProperty_Float: given = PropertyValue::Float(in->real); break;
  case MAPSProperty_String: given = PropertyValue::Text(std::string(in->text ? in->text : "", in->text ? in->textLength : 0)); break;
  case MAPSProperty_Enum: {
    std::vector<std::string> choices;
    for (int i = 0; i < in->choiceCount && in->choices; ++i) choices.emplace_back(in->choices[i] ? in->choices[i] : "");
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

// ---- run ----

void InstanceImpl::PrepareRun() {
  std::lock_guard<std::mutex> lock(pinsMutex_);
  for (auto& pin : outputs_)
    pin->fifo = std::make_unique<Fifo>(pin->face.Type(), pin->face.BufferSize(), pin->face.FifoSize(), &name_,
                                       &pin->name);
  for (auto& pin : inputs_) {
    pin->fifo = nullptr;
    pin->reader = -1;
  }
}

void InstanceImpl::Launch() {
  dying_.store(false);
  lastEnd_.store(EndState::None);
  running_.store(true);
  thread_ = std::thread([this] { ThreadMain(); });
}

void InstanceImpl::ThreadMain() {
  RoleScope role(&host_, this, true);
  int result = CallGlue(MAPS_CALL_BIRTH);
  host_.BirthReturned();
  if (result == MAPS_GLUE_RETURNED && host_.WaitAllBirths(dying_)) {
    while (!dying_.load(std::memory_order_acquire)) {
      if (CallGlue(MAPS_CALL_CORE) != MAPS_GLUE_RETURNED) break;
    }
  }
  // Threads the component made end before Death releases what they use.
  SetDying();
  JoinCreatedThreads();
  CallGlue(MAPS_CALL_DEATH);
  CallGlue(MAPS_CALL_FREE_BUFFERS);
  JoinCreatedThreads();
  {
    std::lock_guard<std::mutex> lock(pinsMutex_);
    for (auto& pin : inputs_)
      if (pin->fifo && pin->reader >= 0) pin->fifo->ReaderGone(pin->reader);
  }
  EndState expected = EndState::None;
  lastEnd_.compare_exchange_strong(expected, EndState::Stopped);
  const EndState end = lastEnd_.load();
  {
    std::lock_guard<std::mutex> lock(restMutex_);
    running_.store(false);
    restCv_.notify_all();
  }
  if (end == EndState::Suicide || end == EndState::Error) host_.Ended(this);
}

void InstanceImpl::RequestStop() {
  SetDying();
  if (component_ != nullptr) {
    RoleScope role(&host_, this, false);
    glue_->call(component_, MAPS_CALL_BANZAI);
  }
}

void InstanceImpl::Join() {
  if (thread_.joinable()) thread_.join();
  JoinCreatedThreads();
}

void InstanceImpl::ClearRun() {
  std::lock_guard<std::mutex> lock(pinsMutex_);
  for (auto& pin : inputs_) {
    pin->fifo = nullptr;
    pin->reader = -1;
  }
}

} // namespace zuv::host::detail
