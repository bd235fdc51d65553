// Step mode: the runtime's instances driven on the calling thread. Reads and
// writes go to per-pin elements made at Birth, so a Core that reads a
// repeated sample and publishes allocates nothing unless samples are kept.
#include "maps_runtime_step.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <utility>

#include "elementTypes.h"
#include "host.h"
#include "stepPins.h"

namespace zuv::host {
namespace detail {
namespace {

// One element with its own storage; a spare element's worth past the end for
// writers that terminate text.
class StepElement final : public MAPSIOElt {
public:
    void Bind(MAPSElementType type, int elements) {
        const size_t size = static_cast<size_t>(MAPSElementSize(type));
        const size_t wanted = (static_cast<size_t>(elements < 0 ? 0 : elements) + 1) * size;
        if (storage_.size() < wanted) storage_.assign(wanted, 0);
        data_ = storage_.data();
        bufferSize_ = elements;
        type_ = type;
    }
    void Fill(int64_t timestamp, const uint8_t *bytes, size_t size, int vectorSize) {
        if (size) std::memcpy(storage_.data(), bytes, size);
        timestamp_ = timestamp;
        vectorSize_ = vectorSize;
        quality_ = 0;
    }
    void Clear() {
        timestamp_ = 0;
        vectorSize_ = 0;
        quality_ = 0;
    }
    void SetTimestamp(int64_t timestamp) { timestamp_ = timestamp; }

private:
    std::vector<uint8_t> storage_;
};

struct Queued {
    int64_t timestamp;
    MAPSElementType type;
    int vectorSize;
    std::vector<uint8_t> bytes;
};

}  // namespace

class StepDriver final : public StepInstance, public StepPins {
public:
    StepDriver(Host &host, InstanceImpl &instance) : host_(host), instance_(instance) { instance_.step_ = this; }
    ~StepDriver() override {
        if (born_) Death();
        instance_.step_ = nullptr;
    }

    Instance &Runtime() override { return instance_; }
    MAPSComponent *Component() override { return instance_.component_; }

    void Set(const std::string &property, int64_t value) override {
        // A Set inside Dynamic stores without running Dynamic again: the host's
        // way of leaving the pins alone while born.
        const bool saved = instance_.inDynamic_;
        if (born_) instance_.inDynamic_ = true;
        try {
            instance_.SetProperty(property, PropertyValue::Integer(value));
        } catch (...) {
            instance_.inDynamic_ = saved;
            throw;
        }
        instance_.inDynamic_ = saved;
    }
    int64_t Get(const std::string &property) const override {
        const PropertyValue value = instance_.GetProperty(property);
        switch (value.type) {
            case PropertyType::Bool: return value.boolean ? 1 : 0;
            case PropertyType::Enum: return value.selected;
            case PropertyType::Float: return static_cast<int64_t>(value.real);
            case PropertyType::Text: return 0;
            default: return value.integer;
        }
    }
    bool HasProperty(const std::string &property) const override {
        return instance_.PropertyByName(property.c_str()) != nullptr;
    }
    void AddOutput(const std::string &name, ElementType type, int maxSize) override {
        if (!ValidName(name) || instance_.OutputByName(name.c_str()))
            throw HostError(HostError::Code::BadValue,
                            instance_.Name() + ": output name " + name + " invalid or taken");
        MAPSOutputDefinition entry{};
        entry.type = ToMaps(type);
        entry.maxSize = maxSize;
        entry.fifoSize = 1;
        auto pin = std::make_unique<OutputPin>(name, -1, false);
        pin->face.Init(pin.get(), pin->name, entry);
        if (born_) {
            auto out = std::make_unique<Output>();
            out->face = &pin->face;
            out->name = name;
            out->element.Bind(entry.type, maxSize);
            outputs_.push_back(std::move(out));
        }
        std::lock_guard<std::mutex> lock(instance_.pinsMutex_);
        instance_.outputs_.push_back(std::move(pin));
    }

    int Birth() override {
        if (born_) throw HostError(HostError::Code::BadState, instance_.Name() + " is already born");
        PrepareElements();
        instance_.dying_.store(false);
        instance_.lastEnd_.store(EndState::None);
        instance_.running_.store(true);
        born_ = true;
        return Call(MAPS_CALL_BIRTH);
    }
    int Core() override { return Call(MAPS_CALL_CORE); }
    void RunCore() override {
        while (HasInput() && !instance_.IsDying()) {
            if (Core() != MAPS_GLUE_RETURNED) break;
        }
    }
    int Death() override {
        if (!born_) throw HostError(HostError::Code::BadState, instance_.Name() + " is not born");
        instance_.SetDying();
        const int result = Call(MAPS_CALL_DEATH);
        Call(MAPS_CALL_FREE_BUFFERS);
        EndState expected = EndState::None;
        instance_.lastEnd_.compare_exchange_strong(expected, EndState::Stopped);
        instance_.running_.store(false);
        born_ = false;
        return result;
    }
    int Action(int index) override {
        RoleScope role(&host_, &instance_, false);
        return instance_.glue_->action(instance_.component_, index);
    }
    bool Born() const override { return born_; }

    void Push(int64_t timestamp, const void *data, size_t bytes) override {
        Push(FirstInput(), timestamp, data, bytes);
    }
    void Push(const std::string &input, int64_t timestamp, const void *data, size_t bytes) override {
        const auto *begin = static_cast<const uint8_t *>(data);
        Enqueue(input, Queued{timestamp, MAPSType_Stream8, static_cast<int>(bytes),
                              std::vector<uint8_t>(begin, begin + bytes)});
    }
    void PushForever(int64_t timestamp, int64_t step, const std::vector<uint8_t> &bytes) override {
        InputQueue &queue = QueueOf(FirstInput());
        queue.element.Bind(MAPSType_Stream8, static_cast<int>(bytes.size()));
        queue.element.Fill(timestamp - step, bytes.data(), bytes.size(), static_cast<int>(bytes.size()));
        queue.repeatStep = step;
        queue.repeating = true;
    }

    void SetSink(SampleCallback sink) override { sink_ = std::move(sink); }
    void KeepSamples(bool keep) override { keep_ = keep; }
    const std::vector<StepSample> &Samples() const override { return samples_; }
    std::vector<StepSample> TakeSamples() override { return std::exchange(samples_, {}); }
    uint64_t Published() const override { return published_; }
    const std::vector<StepReport> &Reports() const override { return reports_; }
    void ClearReports() override { reports_.clear(); }

    void AddReport(int level, const std::string &text) { reports_.push_back({level, text}); }
    void AddRoute(const std::string &output, StepDriver &to, const std::string &input) {
        to.QueueOf(input);  // made now: a missing input fails here, not at the first sample
        routes_.push_back({output, &to, input});
    }

    // StepPins: the kernel's element calls.
    int StartWriting(MAPSOutput *output, MAPSIOElt **element) override {
        *element = nullptr;
        if (output == nullptr || !instance_.running_.load()) return MAPS_KERNEL_OK;
        for (auto &out : outputs_) {
            if (out->face == output) {
                out->element.Clear();
                *element = &out->element;
                return MAPS_KERNEL_OK;
            }
        }
        return MAPS_KERNEL_OK;  // an output made after Birth: never published
    }
    int StopWriting(MAPSIOElt *element, int discard) override {
        if (element == nullptr) return 0;
        Output *out = nullptr;
        for (auto &candidate : outputs_)
            if (&candidate->element == element) out = candidate.get();
        if (out == nullptr || discard) return 0;
        const int vectorSize = element->VectorSize();
        if (vectorSize < 0 || vectorSize > element->BufferSize()) {
            instance_.Report(("Sample not published on " + out->name + ": vector size " + std::to_string(vectorSize) +
                              " outside 0.." + std::to_string(element->BufferSize()))
                                 .c_str(),
                             2);
            return 0;
        }
        ++published_;
        const ElementType type = FromMaps(element->Type());
        const size_t bytes = static_cast<size_t>(vectorSize) * ElementSize(type);
        const auto *data = static_cast<const uint8_t *>(element->Data());
        if (sink_) {
            const SampleView view{
                &instance_.Name(), &out->name, element->Timestamp(), type, vectorSize, element->Quality(), data, bytes};
            sink_(view);
        }
        if (keep_) samples_.push_back({out->name, element->Timestamp(), type, vectorSize, {data, data + bytes}});
        for (const Route &route : routes_) {
            if (route.output == out->name)
                route.to->Enqueue(route.input,
                                  Queued{element->Timestamp(), element->Type(), vectorSize, {data, data + bytes}});
        }
        return 1;
    }
    int StartReading(MAPSInput *input, MAPSIOElt **element) override {
        *element = nullptr;
        if (input == nullptr || instance_.IsDying()) return MAPS_KERNEL_UNWIND;
        for (auto &queue : inputs_) {
            if (queue->name != input->Name()) continue;
            if (queue->repeating) {
                queue->element.SetTimestamp(queue->element.Timestamp() + queue->repeatStep);
                *element = &queue->element;
                return MAPS_KERNEL_OK;
            }
            if (queue->pending.empty()) return MAPS_KERNEL_UNWIND;
            Queued next = std::move(queue->pending.front());
            queue->pending.pop_front();
            queue->element.Bind(next.type, next.vectorSize);
            queue->element.Fill(next.timestamp, next.bytes.data(), next.bytes.size(), next.vectorSize);
            *element = &queue->element;
            return MAPS_KERNEL_OK;
        }
        return MAPS_KERNEL_UNWIND;
    }

private:
    struct Output {
        const MAPSOutput *face;
        std::string name;
        StepElement element;
    };
    struct InputQueue {
        std::string name;
        std::deque<Queued> pending;
        StepElement element;
        bool repeating = false;
        int64_t repeatStep = 0;
    };
    struct Route {
        std::string output;
        StepDriver *to;
        std::string input;
    };

    int Call(int32_t operation) {
        RoleScope role(&host_, &instance_, true);
        return instance_.CallGlue(operation);
    }

    void PrepareElements() {
        outputs_.clear();
        std::lock_guard<std::mutex> lock(instance_.pinsMutex_);
        for (auto &pin : instance_.outputs_) {
            auto out = std::make_unique<Output>();
            out->face = &pin->face;
            out->name = pin->name;
            out->element.Bind(pin->face.Type(), pin->face.BufferSize());
            outputs_.push_back(std::move(out));
        }
    }

    std::string FirstInput() {
        std::lock_guard<std::mutex> lock(instance_.pinsMutex_);
        if (instance_.inputs_.empty()) throw HostError(HostError::Code::NotFound, instance_.Name() + " has no input");
        return instance_.inputs_.front()->name;
    }
    InputQueue &QueueOf(const std::string &input) {
        for (auto &queue : inputs_)
            if (queue->name == input) return *queue;
        if (instance_.InputByName(input.c_str()) == nullptr)
            throw HostError(HostError::Code::NotFound, instance_.Name() + ": no input " + input);
        inputs_.push_back(std::make_unique<InputQueue>());
        inputs_.back()->name = input;
        return *inputs_.back();
    }
    void Enqueue(const std::string &input, Queued sample) { QueueOf(input).pending.push_back(std::move(sample)); }
    // A repeated sample never runs out: RunCore goes by the pushed ones only.
    bool HasInput() const {
        for (auto &queue : inputs_)
            if (!queue->pending.empty()) return true;
        return false;
    }

    Host &host_;
    InstanceImpl &instance_;
    bool born_ = false;
    std::vector<std::unique_ptr<Output>> outputs_;
    std::vector<std::unique_ptr<InputQueue>> inputs_;
    std::vector<Route> routes_;
    SampleCallback sink_;
    bool keep_ = true;
    std::vector<StepSample> samples_;
    uint64_t published_ = 0;
    std::vector<StepReport> reports_;
};

}  // namespace detail

struct StepRuntime::Impl {
    // Drivers go before the host: a born instance has its Death run while its component lives.
    detail::Host host;
    std::vector<std::unique_ptr<detail::StepDriver>> drivers;

    detail::StepDriver *DriverOf(const std::string &name) {
        for (auto &driver : drivers)
            if (driver->Runtime().Name() == name) return driver.get();
        return nullptr;
    }
};

StepRuntime::StepRuntime() : impl_(std::make_unique<Impl>()) {
    impl_->host.Clock().SetMode(ClockMode::Driven);
    impl_->host.Clock().Begin();
    impl_->host.SetReportCallback([this](int level, const std::string &instance, const std::string &text) {
        if (detail::StepDriver *driver = impl_->DriverOf(instance)) {
            driver->AddReport(level, text);
        } else {
            std::fprintf(stderr, "%s %s: %s\n",
                         level <= 0   ? "info"
                         : level == 1 ? "warning"
                                      : "error",
                         instance.c_str(), text.c_str());
        }
    });
}

StepRuntime::~StepRuntime() {
    impl_->drivers.clear();
    impl_->host.SetReportCallback(nullptr);  // what the components say while destroyed goes to standard error
}

std::vector<std::string> StepRuntime::LoadPackage(const std::string &path) {
    return impl_->host.LoadPackage(path);
}

std::vector<std::string> StepRuntime::LoadLinked(PackageInit init, ModuleList list) {
    return impl_->host.Register("(linked)", nullptr, init, list);
}

StepInstance &StepRuntime::CreateInstance(const std::string &model, const std::string &name) {
    detail::InstanceImpl &instance = impl_->host.CreateInstance(model, name);
    impl_->drivers.push_back(std::make_unique<detail::StepDriver>(impl_->host, instance));
    return *impl_->drivers.back();
}

void StepRuntime::Connect(StepInstance &from, const std::string &output, StepInstance &to, const std::string &input) {
    auto &producer = static_cast<detail::StepDriver &>(from);
    if (static_cast<detail::InstanceImpl &>(from.Runtime()).OutputByName(output.c_str()) == nullptr)
        throw HostError(HostError::Code::NotFound, from.Runtime().Name() + ": no output " + output);
    producer.AddRoute(output, static_cast<detail::StepDriver &>(to), input);
}

void StepRuntime::SetTime(int64_t microseconds) {
    impl_->host.Clock().Set(microseconds);
}
int64_t StepRuntime::Now() const {
    return impl_->host.Clock().Now();
}

}  // namespace zuv::host
