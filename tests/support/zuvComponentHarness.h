// A host in miniature for tests, benchmarks and fuzz targets that link the
// package's objects: one component instance driven on the calling thread, no
// FIFOs and no threads. Dynamic, Birth, Core and Death run when asked; Core
// reads the samples queued with feed() and ends (as at a stop) when none is
// left; every published sample is handed to a callback or recorded.
//
// Pins and properties follow the host's rules that components rely on: leading
// table entries at creation, the rest declared anew by each Dynamic, property
// reads and writes by kind (an enumeration read as an integer gives its
// index). Anything else a real host does is left out.
//
// Errors: a fixture misuse (unknown model or property) aborts; component
// reports are kept in reports(). Threading: one thread; one harness at a time
// per process (the kernel and its clock are process-wide, like the host's).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "maps.hpp"

extern "C" {
int MAPSPckInit(MAPSKernelInterface *kernel, int version);
int MAPSGetModulesDefStruct(const char *category, MAPSModuleDefinition **list, int count);
}

namespace zuv::test {

class ComponentHarness {
public:
    struct Sample {
        std::string output;
        int64_t timestamp = 0;
        MAPSElementType type = MAPSType_Stream8;
        std::vector<uint8_t> bytes;
        int vectorSize = 0;
        double float64(int i) const { return read<double>(i); }
        int64_t integer64(int i) const { return read<int64_t>(i); }
        template <typename T>
        T read(int i) const {
            T value;
            std::memcpy(&value, bytes.data() + static_cast<size_t>(i) * sizeof(T), sizeof(T));
            return value;
        }
    };
    struct ReportLine {
        int level;
        std::string text;
    };
    // Called at each publish with the element as written; no copy is made.
    using PublishHook = std::function<void(const char *output, MAPSIOElt &element)>;

    explicit ComponentHarness(const char *model, const char *name = "decoder") : name_(name) {
        MAPSPckInit(&kernel(), MAPS_KERNEL_VERSION);
        const MAPSModuleDefinition *module = findModel(model);
        definition_ = static_cast<MAPSComponentDefinition *>(module->userData);
        glue_ = module->glue;
        for (int i = 0; i < leading(definition_->leadingInputs, definition_->inputCount); ++i) {
            inputs_.push_back(std::make_unique<Input>(definition_->inputs[i]));
        }
        for (int i = 0; i < leading(definition_->leadingOutputs, definition_->outputCount); ++i) {
            outputs_.push_back(std::make_unique<Output>(definition_->outputs[i]));
        }
        for (int i = 0; i < leading(definition_->leadingProperties, definition_->propertyCount); ++i) {
            properties_.push_back(std::make_unique<Property>(definition_->properties[i]));
        }
        component_ = glue_->create(definition_, name, asHost());
        if (component_ == nullptr) {
            fail("factory failed");
        }
        dynamic();
    }
    ~ComponentHarness() { glue_->destroy(component_); }
    ComponentHarness(const ComponentHarness &) = delete;
    ComponentHarness &operator=(const ComponentHarness &) = delete;

    MAPSComponent *component() { return component_; }

    // Property changes while stopped run Dynamic again, as the host does.
    void set(const std::string &property, int64_t value) {
        findProperty(property.c_str(), true)->value = value;
        if (!running_) {
            dynamic();
        }
    }
    int64_t get(const std::string &property) { return findProperty(property.c_str(), true)->value; }
    bool hasProperty(const std::string &property) { return findProperty(property.c_str(), false) != nullptr; }

    std::vector<std::string> outputNames() const {
        std::vector<std::string> names;
        for (const auto &output : outputs_) names.push_back(output->name);
        return names;
    }
    std::vector<std::string> propertyNames() const {
        std::vector<std::string> names;
        for (const auto &property : properties_) names.push_back(property->name);
        return names;
    }
    // An output outside the definition, for writers that the component never calls.
    void addOutput(const char *name, MAPSElementType type, int maxSize) {
        outputs_.push_back(std::make_unique<Output>(MAPSOutputDefinition{nullptr, type, maxSize, 16}));
        outputs_.back()->name = name;
        outputs_.back()->refreshName();
    }

    static void setTime(int64_t microseconds) { clock() = microseconds; }

    int birth() {
        running_ = true;
        return glue_->call(component_, MAPS_CALL_BIRTH);
    }
    // Runs Core until every queued sample has been taken (or Core ends the run).
    void runCore() {
        while (!pending_.empty()) {
            if (glue_->call(component_, MAPS_CALL_CORE) != MAPS_GLUE_RETURNED) {
                break;
            }
        }
    }
    int death() {
        running_ = false;
        return glue_->call(component_, MAPS_CALL_DEATH);
    }
    int action(int index) { return glue_->action(component_, index); }

    // Queues one input sample (all harness inputs share the queue).
    void feed(int64_t timestamp, const uint8_t *bytes, size_t size) {
        pending_.push_back({timestamp, std::vector<uint8_t>(bytes, bytes + size)});
    }
    void feed(int64_t timestamp, const std::vector<uint8_t> &bytes) { feed(timestamp, bytes.data(), bytes.size()); }
    // From now on Core reads this sample again and again, its time stamp
    // advancing by step each time (benchmarks): nothing is copied per read.
    void feedForever(int64_t timestamp, int64_t step, const std::vector<uint8_t> &bytes) {
        input_.reset(MAPSType_Stream8, static_cast<int>(bytes.size()));
        if (!bytes.empty()) std::memcpy(input_.Stream8(), bytes.data(), bytes.size());
        input_.VectorSize() = static_cast<int>(bytes.size());
        repeatTimestamp_ = timestamp - step;
        repeatStep_ = step;
        repeating_ = true;
    }
    // One Core call; returns the glue result.
    int coreOnce() { return glue_->call(component_, MAPS_CALL_CORE); }

    void setPublishHook(PublishHook hook) { hook_ = std::move(hook); }
    void keepSamples(bool keep) { keepSamples_ = keep; }
    const std::vector<Sample> &samples() const { return samples_; }
    std::vector<Sample> takeSamples() { return std::exchange(samples_, {}); }
    const std::vector<ReportLine> &reports() const { return reports_; }
    void clearReports() { reports_.clear(); }
    uint64_t published() const { return published_; }

private:
    struct Input final : MAPSInput {
        explicit Input(const MAPSInputDefinition &definition) : name(definition.name) {
            name_ = name.c_str();
            filter_ = definition.filter;
        }
        std::string name;
    };
    struct Element final : MAPSIOElt {
        Element(MAPSElementType type, int maxSize) { reset(type, maxSize); }
        void reset(MAPSElementType type, int maxSize) {
            storage.assign(static_cast<size_t>(maxSize) * static_cast<size_t>(MAPSElementSize(type)) + 9, 0);
            data_ = storage.data();
            bufferSize_ = maxSize;
            type_ = type;
        }
        std::vector<uint8_t> storage;
    };
    struct Output final : MAPSOutput {
        explicit Output(const MAPSOutputDefinition &definition)
            : name(definition.name ? definition.name : ""), element(definition.type, definition.maxSize) {
            refreshName();
            type_ = definition.type;
            maxSize_ = definition.maxSize;
            fifoSize_ = definition.fifoSize;
        }
        void refreshName() { name_ = name.c_str(); }
        std::string name;
        Element element;
        bool declared = true;
    };
    struct Property final : MAPSProperty {
        explicit Property(const MAPSPropertyDefinition &definition)
            : name(definition.name), value(definition.defaultValue.integer) {
            name_ = name.c_str();
            kind_ = definition.defaultValue.kind;
            flags_ = definition.flags;
            if (kind_ == MAPSProperty_Float) {
                real = definition.defaultValue.real;
            }
            if (definition.defaultValue.text != nullptr) {
                text = definition.defaultValue.text;
            }
        }
        std::string name;
        int64_t value;
        double real = 0;
        std::string text;
        bool declared = true;
    };
    struct Queued {
        int64_t timestamp;
        std::vector<uint8_t> bytes;
    };

    static int leading(int count, int size) { return count < 0 ? size : (count < size ? count : size); }
    [[noreturn]] static void fail(const char *what) {
        std::fprintf(stderr, "component harness: %s\n", what);
        std::abort();
    }
    static const MAPSModuleDefinition *findModel(const char *model) {
        MAPSModuleDefinition *list[16] = {};
        const int count = MAPSGetModulesDefStruct("MAPSComponent", list, 16);
        for (int i = 0; i < count; ++i) {
            auto *definition = static_cast<MAPSComponentDefinition *>(list[i]->userData);
            if (std::strcmp(definition->name, model) == 0) return list[i];
        }
        fail("model not registered");
    }

    MAPSHostInstance *asHost() { return reinterpret_cast<MAPSHostInstance *>(this); }
    static ComponentHarness &self(MAPSHostInstance *host) { return *reinterpret_cast<ComponentHarness *>(host); }

    Property *findProperty(const char *name, bool required) {
        for (auto &property : properties_) {
            if (property->name == name) return property.get();
        }
        if (required) fail("unknown property");
        return nullptr;
    }

    // Pins and properties beyond the leading entries are declared anew by each call.
    void dynamic() {
        const int fixedOutputs = leading(definition_->leadingOutputs, definition_->outputCount);
        const int fixedProperties = leading(definition_->leadingProperties, definition_->propertyCount);
        for (size_t i = static_cast<size_t>(fixedOutputs); i < outputs_.size(); ++i) outputs_[i]->declared = false;
        for (size_t i = static_cast<size_t>(fixedProperties); i < properties_.size(); ++i) {
            properties_[i]->declared = false;
        }
        declaring_ = true;
        glue_->call(component_, MAPS_CALL_DYNAMIC);
        declaring_ = false;
        // Keep the order of declaration, as the host does.
        std::vector<std::unique_ptr<Output>> outputs;
        for (size_t i = 0; i < outputs_.size(); ++i) {
            if (static_cast<int>(i) < fixedOutputs) outputs.push_back(std::move(outputs_[i]));
        }
        for (const std::string &name : declaredOutputs_) {
            for (auto &output : outputs_) {
                if (output && output->name == name && output->declared) outputs.push_back(std::move(output));
            }
        }
        outputs_ = std::move(outputs);
        declaredOutputs_.clear();
        std::vector<std::unique_ptr<Property>> properties;
        for (auto &property : properties_) {
            if (property->declared) properties.push_back(std::move(property));
        }
        properties_ = std::move(properties);
    }

    template <typename Definition>
    static const Definition *entry(const Definition *table, int count, const char *name) {
        for (int i = 0; i < count; ++i) {
            if (std::strcmp(table[i].name, name) == 0) return &table[i];
        }
        return nullptr;
    }

    static MAPSKernelInterface &kernel() {
        static MAPSKernelInterface k = makeKernel();
        return k;
    }
    static int64_t &clock() {
        static int64_t now = 0;
        return now;
    }

    static MAPSKernelInterface makeKernel() {
        MAPSKernelInterface k{};
        k.size = sizeof(MAPSKernelInterface);
        k.report = [](MAPSHostInstance *host, const char *text, int level) {
            self(host).reports_.push_back({level, text});
        };
        k.error = [](MAPSHostInstance *host, const char *text) {
            self(host).reports_.push_back({2, text});
            self(host).running_ = false;
        };
        k.commitSuicide = [](MAPSHostInstance *host) {
            self(host).running_ = false;
            return 1;
        };
        k.isDying = [](MAPSHostInstance *host) { return self(host).running_ ? 0 : 1; };
        k.isRunning = [](MAPSHostInstance *host) { return self(host).running_ ? 1 : 0; };
        k.rest = [](MAPSHostInstance *, int64_t) {};
        k.currentTime = [] { return clock(); };
        k.instanceName = [](MAPSHostInstance *host) { return self(host).name_.c_str(); };
        k.rename = [](MAPSHostInstance *, const char *) { return 0; };
        k.createThread = [](MAPSHostInstance *, void *) { return -1; };
        k.findInput = [](MAPSHostInstance *host, const char *name) -> MAPSInput * {
            for (auto &input : self(host).inputs_) {
                if (input->name == name) return input.get();
            }
            return nullptr;
        };
        k.findOutput = [](MAPSHostInstance *host, const char *name) -> MAPSOutput * {
            for (auto &output : self(host).outputs_) {
                if (std::strcmp(output->name.c_str(), name) == 0) return output.get();
            }
            return nullptr;
        };
        k.findProperty = [](MAPSHostInstance *host, const char *name) -> MAPSProperty * {
            return self(host).findProperty(name, false);
        };
        k.newInput = [](MAPSHostInstance *, const char *, const char *) -> MAPSInput * { return nullptr; };
        k.newOutput = [](MAPSHostInstance *host, const char *entryName, const char *newName) -> MAPSOutput * {
            ComponentHarness &h = self(host);
            const auto *definition = entry(h.definition_->outputs, h.definition_->outputCount, entryName);
            if (definition == nullptr || !h.declaring_) return nullptr;
            const std::string name = newName ? newName : entryName;
            h.declaredOutputs_.push_back(name);
            for (auto &output : h.outputs_) {
                if (output->name == name) {
                    output->declared = true;
                    return output.get();
                }
            }
            h.outputs_.push_back(std::make_unique<Output>(*definition));
            h.outputs_.back()->name = name;
            h.outputs_.back()->refreshName();
            return h.outputs_.back().get();
        };
        k.newProperty = [](MAPSHostInstance *host, const char *entryName, const char *newName) -> MAPSProperty * {
            ComponentHarness &h = self(host);
            const auto *definition = entry(h.definition_->properties, h.definition_->propertyCount, entryName);
            if (definition == nullptr || !h.declaring_) return nullptr;
            const std::string name = newName ? newName : entryName;
            if (Property *existing = h.findProperty(name.c_str(), false)) {
                existing->declared = true;
                return existing;
            }
            h.properties_.push_back(std::make_unique<Property>(*definition));
            h.properties_.back()->name = name;
            return h.properties_.back().get();
        };
        k.startWriting = [](MAPSHostInstance *host, MAPSOutput *output, MAPSIOElt **element) {
            auto *out = static_cast<Output *>(output);
            *element = self(host).running_ ? &out->element : nullptr;
            if (*element != nullptr) {
                out->element.VectorSize() = 0;
                self(host).writing_ = out;
            }
            return MAPS_KERNEL_OK;
        };
        k.stopWriting = [](MAPSHostInstance *host, MAPSIOElt *element, int discard) {
            ComponentHarness &h = self(host);
            Output *out = h.writing_;
            h.writing_ = nullptr;
            if (out == nullptr || element != &out->element || discard) return 0;
            ++h.published_;
            if (h.hook_) h.hook_(out->name.c_str(), out->element);
            if (h.keepSamples_) {
                Sample sample;
                sample.output = out->name;
                sample.timestamp = element->Timestamp();
                sample.type = out->Type();
                sample.vectorSize = element->VectorSize();
                const size_t bytes = static_cast<size_t>(sample.vectorSize) *
                                     static_cast<size_t>(MAPSElementSize(out->Type()));
                const auto *data = static_cast<const uint8_t *>(element->Data());
                sample.bytes.assign(data, data + bytes);
                h.samples_.push_back(std::move(sample));
            }
            return 1;
        };
        k.startReading = [](MAPSHostInstance *host, MAPSInput *, MAPSIOElt **element) {
            ComponentHarness &h = self(host);
            if (h.repeating_) {
                h.repeatTimestamp_ += h.repeatStep_;
                h.input_.Timestamp() = h.repeatTimestamp_;
                *element = &h.input_;
                return MAPS_KERNEL_OK;
            }
            if (h.pending_.empty() || !h.running_) return MAPS_KERNEL_UNWIND;
            Queued next = std::move(h.pending_.front());
            h.pending_.pop_front();
            h.input_.reset(MAPSType_Stream8, static_cast<int>(next.bytes.size()));
            if (!next.bytes.empty()) std::memcpy(h.input_.Stream8(), next.bytes.data(), next.bytes.size());
            h.input_.Timestamp() = next.timestamp;
            h.input_.VectorSize() = static_cast<int>(next.bytes.size());
            *element = &h.input_;
            return MAPS_KERNEL_OK;
        };
        k.getProperty = [](MAPSHostInstance *, MAPSProperty *property, MAPSKernelValue *value) {
            auto *p = static_cast<Property *>(property);
            switch (value->kind) {
                case MAPSProperty_Bool:
                case MAPSProperty_Integer:
                case MAPSProperty_Enum:
                    value->integer = p->value;
                    return 0;
                case MAPSProperty_Float:
                    value->real = p->Kind() == MAPSProperty_Float ? p->real : static_cast<double>(p->value);
                    return 0;
                default:
                    if (value->assignText) value->assignText(value->sink, p->text.c_str(), p->text.size());
                    return 0;
            }
        };
        k.setProperty = [](MAPSHostInstance *, MAPSProperty *property, const MAPSKernelValue *value) {
            static_cast<Property *>(property)->value = value->integer;
            return 0;
        };
        return k;
    }

    std::string name_;
    MAPSComponentDefinition *definition_ = nullptr;
    const MAPSPackageGlue *glue_ = nullptr;
    MAPSComponent *component_ = nullptr;
    std::vector<std::unique_ptr<Input>> inputs_;
    std::vector<std::unique_ptr<Output>> outputs_;
    std::vector<std::unique_ptr<Property>> properties_;
    std::vector<std::string> declaredOutputs_;
    bool declaring_ = false;
    bool running_ = false;
    Output *writing_ = nullptr;
    Element input_{MAPSType_Stream8, 1};
    std::deque<Queued> pending_;
    int64_t repeatTimestamp_ = 0;
    int64_t repeatStep_ = 0;
    bool repeating_ = false;
    PublishHook hook_;
    bool keepSamples_ = true;
    std::vector<Sample> samples_;
    std::vector<ReportLine> reports_;
    uint64_t published_ = 0;
};

}  // namespace zuv::test
