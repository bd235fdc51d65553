// MAPSModule and MAPSComponent: each call forwards to the kernel.
#include <string>

#include "maps_sdk_internal.h"

using maps_sdk::Kernel;
using maps_sdk::Unwind;

namespace {

// Stands in for a property that does not exist: reads and stores nothing.
class MissingProperty final : public MAPSProperty {
public:
    MissingProperty() {
        name_ = "";
        valid_ = false;
    }
};

MissingProperty &Missing() {
    static MissingProperty missing;
    return missing;
}

MAPSKernelValue Request(MAPSPropertyKind kind) {
    MAPSKernelValue value{};
    value.kind = kind;
    return value;
}

void AssignText(void *sink, const char *text, size_t length) {
    *static_cast<MAPSString *>(sink) = MAPSString(text, length);
}

void AddChoice(void *sink, const char *text, size_t length) {
    static_cast<MAPSEnumStruct *>(sink)->enumValues.emplace_back(text, length);
}

}  // namespace

MAPSTimestamp MAPS::CurrentTime(bool, bool) {
    MAPSKernelInterface *kernel = Kernel();
    return kernel ? kernel->currentTime() : 0;
}

MAPSModule::MAPSModule(const char *, MAPSComponentDefinition &definition)
    : definition_(definition), host_(maps_sdk::TakePendingHost()) {}

MAPSModule::~MAPSModule() = default;

const char *MAPSModule::Name() const {
    return host_ ? Kernel()->instanceName(host_) : "";
}

bool MAPSModule::Rename(const char *newName) {
    return host_ && Kernel()->rename(host_, newName) == 1;
}

const char *MAPSModule::Kind() const {
    return definition_.name;
}

MAPSProperty &MAPSModule::Property(const char *name) {
    if (host_ != nullptr) {
        if (MAPSProperty *property = Kernel()->findProperty(host_, name)) return *property;
        std::string text = std::string("Property ") + (name ? name : "(null)") + " does not exist";
        Kernel()->report(host_, text.c_str(), 2);
    }
    return Missing();
}

void MAPSModule::Get(MAPSProperty &property, bool &value) {
    MAPSKernelValue request = Request(MAPSProperty_Bool);
    if (property.Valid() && Kernel()->getProperty(host_, &property, &request) == 0) value = request.integer != 0;
}

void MAPSModule::Get(MAPSProperty &property, int &value) {
    long long wide = value;
    Get(property, wide);
    value = static_cast<int>(wide);
}

void MAPSModule::Get(MAPSProperty &property, long &value) {
    long long wide = value;
    Get(property, wide);
    value = static_cast<long>(wide);
}

void MAPSModule::Get(MAPSProperty &property, long long &value) {
    MAPSKernelValue request = Request(MAPSProperty_Integer);
    if (property.Valid() && Kernel()->getProperty(host_, &property, &request) == 0) value = request.integer;
}

void MAPSModule::Get(MAPSProperty &property, double &value) {
    MAPSKernelValue request = Request(MAPSProperty_Float);
    if (property.Valid() && Kernel()->getProperty(host_, &property, &request) == 0) value = request.real;
}

void MAPSModule::Get(MAPSProperty &property, MAPSString &value) {
    MAPSKernelValue request = Request(MAPSProperty_String);
    MAPSString read;
    request.sink = &read;
    request.assignText = AssignText;
    if (property.Valid() && Kernel()->getProperty(host_, &property, &request) == 0) value = read;
}

void MAPSModule::Get(MAPSProperty &property, MAPSEnumStruct &value) {
    MAPSKernelValue request = Request(MAPSProperty_Enum);
    MAPSEnumStruct read;
    request.sink = &read;
    request.addChoice = AddChoice;
    if (property.Valid() && Kernel()->getProperty(host_, &property, &request) == 0) {
        read.selectedEnum = static_cast<int>(request.integer);
        value = read;
    }
}

void MAPSModule::Set(MAPSProperty &property, bool value) {
    MAPSKernelValue given = Request(MAPSProperty_Bool);
    given.integer = value ? 1 : 0;
    if (property.Valid()) Kernel()->setProperty(host_, &property, &given);
}

void MAPSModule::Set(MAPSProperty &property, long long value) {
    MAPSKernelValue given = Request(MAPSProperty_Integer);
    given.integer = value;
    if (property.Valid()) Kernel()->setProperty(host_, &property, &given);
}

void MAPSModule::Set(MAPSProperty &property, double value) {
    MAPSKernelValue given = Request(MAPSProperty_Float);
    given.real = value;
    if (property.Valid()) Kernel()->setProperty(host_, &property, &given);
}

void MAPSModule::Set(MAPSProperty &property, const char *value) {
    MAPSKernelValue given = Request(MAPSProperty_String);
    given.text = value ? value : "";
    given.textLength = std::char_traits<char>::length(given.text);
    if (property.Valid()) Kernel()->setProperty(host_, &property, &given);
}

void MAPSModule::Set(MAPSProperty &property, const MAPSEnumStruct &value) {
    MAPSKernelValue given = Request(MAPSProperty_Enum);
    given.integer = value.selectedEnum;
    std::vector<const char *> choices;
    for (const MAPSString &choice : value.enumValues) choices.push_back(choice.c_str());
    given.choices = choices.empty() ? nullptr : choices.data();
    given.choiceCount = static_cast<int32_t>(choices.size());
    if (property.Valid()) Kernel()->setProperty(host_, &property, &given);
}

bool MAPSModule::GetBoolProperty(const char *name) {
    bool value = false;
    Get(Property(name), value);
    return value;
}

MAPSInt64 MAPSModule::GetIntegerProperty(const char *name) {
    long long value = 0;
    Get(Property(name), value);
    return value;
}

MAPSString MAPSModule::GetStringProperty(const char *name) {
    MAPSString value;
    Get(Property(name), value);
    return value;
}

void MAPSModule::Report(const char *text, int level, int) {
    if (host_) Kernel()->report(host_, text ? text : "", level);
}

void MAPSModule::Error(const char *text, int, int) {
    if (host_) Kernel()->error(host_, text ? text : "");
    throw Unwind{};
}

void MAPSModule::CommitSuicide() {
    if (host_ && Kernel()->commitSuicide(host_) == 1) throw Unwind{};
}

bool MAPSModule::IsDying() const {
    return host_ == nullptr || Kernel()->isDying(host_) != 0;
}

bool MAPSModule::IsRunning() const {
    return host_ != nullptr && Kernel()->isRunning(host_) != 0;
}

void MAPSModule::Rest(MAPSInt64 microseconds, void *) {
    if (host_) Kernel()->rest(host_, microseconds);
}

void MAPSModule::CreateThread(ThreadFunction fn) {
    if (host_ == nullptr || fn == nullptr) return;
    auto *context = new maps_sdk::ThreadContext{this, fn};
    if (Kernel()->createThread(host_, context) != 0) {
        delete context;
        Report("Unable to create a thread", 2);
    }
}

MAPSComponent::MAPSComponent(const char *name, MAPSComponentDefinition &definition) : MAPSModule(name, definition) {}

MAPSComponent::~MAPSComponent() = default;

MAPSInput &MAPSComponent::Input(const char *name) {
    if (host_)
        if (MAPSInput *input = Kernel()->findInput(host_, name)) return *input;
    Error((std::string("Input ") + (name ? name : "(null)") + " does not exist").c_str());
}

MAPSOutput &MAPSComponent::Output(const char *name) {
    if (host_)
        if (MAPSOutput *output = Kernel()->findOutput(host_, name)) return *output;
    Error((std::string("Output ") + (name ? name : "(null)") + " does not exist").c_str());
}

// The host has reported why a creation failed; end the current host call.
MAPSInput &MAPSComponent::NewInput(const char *entryName, const char *newName) {
    if (host_)
        if (MAPSInput *input = Kernel()->newInput(host_, entryName, newName)) return *input;
    throw Unwind{};
}

MAPSOutput &MAPSComponent::NewOutput(const char *entryName, const char *newName) {
    if (host_)
        if (MAPSOutput *output = Kernel()->newOutput(host_, entryName, newName)) return *output;
    throw Unwind{};
}

MAPSProperty &MAPSComponent::NewProperty(const char *entryName, const char *newName) {
    if (host_)
        if (MAPSProperty *property = Kernel()->newProperty(host_, entryName, newName)) return *property;
    throw Unwind{};
}

MAPSIOElt *MAPSComponent::StartWriting(MAPSOutput &output) {
    MAPSIOElt *element = nullptr;
    if (host_ == nullptr) return nullptr;
    if (Kernel()->startWriting(host_, &output, &element) != MAPS_KERNEL_OK) throw Unwind{};
    return element;
}

bool MAPSComponent::StopWriting(MAPSIOElt *element, bool discard) {
    return host_ != nullptr && element != nullptr && Kernel()->stopWriting(host_, element, discard ? 1 : 0) == 1;
}

MAPSIOElt *MAPSComponent::StartReading(MAPSInput &input) {
    MAPSIOElt *element = nullptr;
    if (host_ == nullptr || Kernel()->startReading(host_, &input, &element) != MAPS_KERNEL_OK) throw Unwind{};
    return element;
}
