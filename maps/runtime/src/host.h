// Internals of the runtime: the host, its instances and sources.
// Locks, in the order they may nest: Host::control_ (recursive; changes of
// the diagram and property stores), Instance::pinsMutex_ / propMutex_,
// Fifo locks. Component threads take control_ only briefly (Set); Start and
// Stop never hold it while waiting for a component.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fifo.h"
#include "hostClock.h"
#include "maps_kernel.h"
#include "maps_runtime.h"

namespace zuv::host::detail {

class Host;
class InstanceImpl;
class StepPins;
class StepDriver;

bool ValidName(const std::string &name);
inline std::string Quoted(const char *text) {
    return std::string("\"") + (text ? text : "(null)") + "\"";
}
PropertyValue FromDefinition(const MAPSPropertyValue &value);
PropertyType TypeOf(MAPSPropertyKind kind);

// Which runtime, instance and role the current thread serves.
struct ThreadRole {
    Host *host = nullptr;
    InstanceImpl *instance = nullptr;
    bool componentThread = false;
};
ThreadRole &CurrentRole();
class RoleScope {
public:
    RoleScope(Host *host, InstanceImpl *instance, bool componentThread);
    ~RoleScope();
    RoleScope(const RoleScope &) = delete;
    RoleScope &operator=(const RoleScope &) = delete;

private:
    ThreadRole saved_;
};

const MAPSKernelInterface *KernelTable();

struct InputPin;
struct OutputPin;
struct PropertySlot;

struct InputFace final : MAPSInput {
    InputPin *pin = nullptr;
    void Init(InputPin *owner, const std::string &name, const MAPSTypeFilter &filter) {
        pin = owner;
        name_ = name.c_str();
        filter_ = filter;
    }
};
struct OutputFace final : MAPSOutput {
    OutputPin *pin = nullptr;
    void Init(OutputPin *owner, const std::string &name, const MAPSOutputDefinition &entry) {
        pin = owner;
        name_ = name.c_str();
        type_ = entry.type;
        maxSize_ = entry.maxSize;
        fifoSize_ = entry.fifoSize;
    }
};
struct PropertyFace final : MAPSProperty {
    PropertySlot *slot = nullptr;
    void Init(PropertySlot *owner, const std::string &name, MAPSPropertyKind kind, uint32_t flags) {
        slot = owner;
        name_ = name.c_str();
        kind_ = kind;
        flags_ = flags;
    }
};

struct InputPin {
    InputPin(std::string n, int e, bool l) : name(std::move(n)), entry(e), leading(l) {}
    std::string name;
    int entry;
    bool leading;
    InputFace face;
    Fifo *fifo = nullptr;  // producer's FIFO during a run
    int reader = -1;
};
struct OutputPin {
    OutputPin(std::string n, int e, bool l) : name(std::move(n)), entry(e), leading(l) {}
    std::string name;
    int entry;
    bool leading;
    OutputFace face;
    std::unique_ptr<Fifo> fifo;  // made at each start
};
struct PropertySlot {
    PropertySlot(std::string n, int e, bool l, uint32_t f, PropertyValue v)
        : name(std::move(n)), entry(e), leading(l), flags(f), value(std::move(v)) {}
    std::string name;
    int entry;
    bool leading;
    uint32_t flags;
    PropertyValue value;
    PropertyFace face;
};

class InstanceImpl final : public Instance {
public:
    InstanceImpl(Host &host, std::string name, std::string model, MAPSComponentDefinition *definition,
                 const MAPSPackageGlue *glue);
    ~InstanceImpl() override;
    bool Create();  // factory, leading entries, Dynamic
    void DestroyComponent();

    // Instance API.
    const std::string &Name() const override { return name_; }
    const std::string &Model() const override { return model_; }
    std::vector<InputInfo> Inputs() const override;
    std::vector<OutputInfo> Outputs() const override;
    std::vector<PropertyInfo> Properties() const override;
    std::vector<std::string> Actions() const override;
    PropertyValue GetProperty(const std::string &name) const override;
    void SetProperty(const std::string &name, const PropertyValue &value) override;
    void SetPropertyFromText(const std::string &name, const std::string &text) override;
    void RunAction(const std::string &name) override;
    bool Running() const override { return running_.load(); }
    EndState LastEnd() const override { return lastEnd_.load(); }

    // Kernel side.
    void Report(const char *text, int level);
    void Error(const char *text);
    int CommitSuicide();
    bool IsDying() const { return dying_.load() || !running_.load(); }
    void Rest(int64_t microseconds);
    int Rename(const char *newName);
    int CreateThread(void *context);
    MAPSInput *FindInput(const char *name);
    MAPSOutput *FindOutput(const char *name);
    MAPSProperty *FindProperty(const char *name);
    MAPSInput *NewInput(const char *entryName, const char *newName);
    MAPSOutput *NewOutput(const char *entryName, const char *newName);
    MAPSProperty *NewProperty(const char *entryName, const char *newName);
    int StartWriting(MAPSOutput *output, MAPSIOElt **element);
    int StopWriting(MAPSIOElt *element, int discard);
    int StartReading(MAPSInput *input, MAPSIOElt **element);
    int GetPropertyValue(MAPSProperty *property, MAPSKernelValue *value);
    int SetPropertyValue(MAPSProperty *property, const MAPSKernelValue *value);

    // Run control, from the host.
    void PrepareRun();
    // Lookups by C string: no allocation on the per-sample path.
    InputPin *InputByName(const char *name);
    OutputPin *OutputByName(const char *name);
    void Launch();
    void RequestStop();
    void Join();
    void ClearRun();

    // Set while step mode (step.cpp) drives the instance on the caller's thread.
    StepPins *step_ = nullptr;

private:
    friend class StepDriver;
    enum class SetResult { Done, Refused, BadValue };
    SetResult ApplySet(PropertySlot &slot, const PropertyValue &given, std::string &why);
    PropertySlot *PropertyByName(const char *name) const;
    void RunDynamic();
    template <class Pin, class Entry, class Make>
    Pin *Declare(const char *kind, const Entry *table, int count, std::vector<std::unique_ptr<Pin>> &list,
                 std::vector<Pin *> &declared, const char *entryName, const char *newName, Make make);
    void SetDying();
    void ThreadMain();
    void JoinCreatedThreads();
    int CallGlue(int32_t operation);
    void MarkEnded(EndState state);

    Host &host_;
    std::string name_;
    const std::string model_;
    MAPSComponentDefinition *const definition_;
    const MAPSPackageGlue *const glue_;
    MAPSComponent *component_ = nullptr;

    mutable std::mutex pinsMutex_;
    std::vector<std::unique_ptr<InputPin>> inputs_;
    std::vector<std::unique_ptr<OutputPin>> outputs_;
    std::vector<std::unique_ptr<PropertySlot>> properties_;
    std::vector<int> actions_;  // indices into the definition's action table
    mutable std::mutex propMutex_;

    bool inDynamic_ = false;  // guarded by the host's control lock
    std::vector<InputPin *> declaredInputs_;
    std::vector<OutputPin *> declaredOutputs_;
    std::vector<PropertySlot *> declaredProperties_;

    std::atomic<bool> running_{false};
    std::atomic<bool> dying_{false};
    std::atomic<EndState> lastEnd_{EndState::None};
    std::thread thread_;
    std::mutex createdMutex_;
    std::vector<std::thread> created_;
    std::mutex restMutex_;
    std::condition_variable restCv_;
};

class SourceImpl final : public Source {
public:
    SourceImpl(Host &host, std::string name, ElementType type, int maxSize, int depth);
    const std::string &Name() const override { return name_; }
    bool Push(int64_t timestamp, const void *data, int vectorSize) override;
    bool Drain(std::chrono::milliseconds timeout) override;
    void SetBulk(bool on) override;
    void Flush() override;
    void PrepareRun();
    Fifo *RunFifo() { return fifo_.get(); }
    void Stop();
    MAPSElementType Type() const { return type_; }

private:
    Host &host_;
    const std::string name_;
    const std::string output_ = "oData";
    const MAPSElementType type_;
    const int maxSize_;
    const int depth_;
    std::unique_ptr<Fifo> fifo_;
    std::atomic<bool> stopping_{false};
    bool bulk_ = false;
};

class Host {
public:
    Host();
    ~Host();

    std::vector<std::string> LoadPackage(const std::string &path);
    // A package's models from its entry points; `handle` (may be null) is closed with the host.
    std::vector<std::string> Register(const std::string &path, void *handle, MAPSPckInitFunction init,
                                      MAPSGetModulesDefStructFunction list);
    std::vector<std::string> Models() const;
    InstanceImpl &CreateInstance(const std::string &model, const std::string &name);
    InstanceImpl *FindInstance(const std::string &name);
    SourceImpl &CreateSource(const std::string &name, ElementType type, int maxSize, int depth);
    void Connect(InstanceImpl *from, SourceImpl *source, const std::string &output, InstanceImpl &to,
                 const std::string &input);
    void AttachSink(InstanceImpl &from, const std::string &output, SampleCallback callback);
    void SetReportCallback(ReportCallback callback);
    void Report(int level, const std::string &instance, const char *text);

    void Start();
    void Stop();
    bool Running() const { return running_.load(); }
    // What consumers may take, all together, to finish the samples their
    // stopped producers published, before they are stopped too.
    static constexpr std::chrono::milliseconds kStopDrainBudget{500};
    Instance *WaitForEnded(std::chrono::milliseconds timeout);
    void SetEndedCallback(std::function<void()> callback);

    HostClock &Clock() { return clock_; }
    std::recursive_mutex &Control() { return control_; }
    bool NameTaken(const std::string &name) const;

    // From instances.
    void BirthReturned();
    bool WaitAllBirths(const std::atomic<bool> &dying);
    void Ended(InstanceImpl *instance);
    void WakeBirthWaiters();

private:
    struct Model {
        std::string name;
        MAPSComponentDefinition *definition;
        const MAPSPackageGlue *glue;
    };
    struct Package {
        std::string path;
        void *handle;
        std::vector<std::string> models;
    };
    struct Connection {
        InstanceImpl *from;
        SourceImpl *source;
        std::string output;
        InstanceImpl *to;
        std::string input;
    };
    struct Sink {
        InstanceImpl *from;
        std::string output;
        SampleCallback callback;
    };

    mutable std::recursive_mutex control_;
    std::mutex stopMutex_;
    std::vector<Package> packages_;
    std::vector<Model> models_;
    std::vector<std::unique_ptr<InstanceImpl>> instances_;
    std::vector<std::unique_ptr<SourceImpl>> sources_;
    std::vector<Connection> connections_;
    std::vector<Sink> sinks_;

    std::mutex reportMutex_;
    ReportCallback report_;

    void StopProducersFirst();

    std::atomic<bool> running_{false};
    HostClock clock_;
    std::mutex stateMutex_;
    std::condition_variable stateCv_;
    int birthsPending_ = 0;
    bool stopping_ = false;
    std::deque<InstanceImpl *> ended_;
    std::function<void()> endedCallback_;
};

}  // namespace zuv::host::detail
