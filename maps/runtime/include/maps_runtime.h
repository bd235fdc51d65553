// Host stand-in runtime: loads packages with dlopen, makes instances of their
// component models, wires them and runs them.
//
// Errors: every misuse (unknown model, pin or property, a value that does not
// fit, a change refused while running, a package that will not load) throws
// zuv::host::HostError with a Code and a message that names the culprit.
// Component failures are not exceptions: they arrive as reports and as the
// instance's EndState.
//
// Threads: the Runtime object is driven from one control thread (the tool's
// main thread); Stop() may also be called from another thread (a signal
// watcher using sigwait; Stop is not async-signal-safe). A Stop() from another
// thread releases the control thread from Start(), Source::Push/Drain and
// WaitForEnded(). Each component runs Birth, Core..., Death on a thread of its own.
// Report callbacks and sink callbacks run on whatever thread produced them
// (component threads, the control thread for Dynamic and actions) and must be
// thread-safe; they must not call back into the Runtime.
//
// Typical use by the zuv tool:
//
//   zuv::host::Runtime rt;
//   rt.SetReportCallback([](int level, const std::string& inst, const std::string& text) {...});
//   rt.LoadPackage("build/bin/zuv.pck");
//   auto& reader  = rt.CreateInstance("ZUV_FrameReader", "reader");
//   auto& decoder = rt.CreateInstance("ZUV_FrameDecoder", "decoder");
//   decoder.SetPropertyFromText("pImuData", "Enabled");     // runs Dynamic again
//   rt.Connect(reader, "oData", decoder, "iData");
//   for (auto& o : decoder.Outputs()) rt.AttachSink(decoder, o.name, jsonWriter);
//   rt.Start();                    // returns once every Birth has returned
//   rt.WaitForEnded(timeout);      // a component that stopped itself, or nullptr
//   rt.Stop();                     // every Death runs; threads joined
//
// Replaying a recording into the decoder (zuv decode):
//
//   rt.SetClockMode(zuv::host::ClockMode::Driven);
//   auto& src = rt.CreateSource("player", zuv::host::ElementType::Stream8, 4096, 16);
//   rt.Connect(src, decoder, "iData");
//   rt.Start();
//   src.SetBulk(true);                         // optional: consumer woken per run of samples
//   for each record: src.Push(ts, bytes, n);   // clock := ts, then published; waits when full
//   src.Drain();                               // decoder has finished every sample
//   rt.Stop();
//
// Notes for the tool:
// - Instance and Source references stay valid for the Runtime's lifetime;
//   nothing is ever removed.
// - Reports: level 0 info, 1 warning, 2 error. Errors of the host itself
//   (a Dynamic that did not complete, a refused Set from a component, a pin
//   that could not be created) come as level 2 reports of that instance.
// - Every property change from outside goes through SetProperty(FromText):
//   while stopped it runs Dynamic again, so pins and properties may appear
//   or go; list them again afterwards.
// - A Start() after a Stop() starts a fresh run (FIFOs emptied, clock at 0,
//   every Birth again); connections and sinks carry over.
// - Driven clock: the clock reads 0 through the Births, then the value last
//   pushed or set; Push sets it before the sample is published, so the
//   consumer sees the clock at (or past) its sample's time stamp. Drain after
//   each Push if the consumer must see exactly its own sample's time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace zuv::host {

class HostError : public std::runtime_error {
public:
    enum class Code {
        LoadFailed,    // dlopen failed, entry points missing, MAPSPckInit refused
        NotFound,      // model, instance, pin, property or action unknown
        BadValue,      // value of the wrong kind or out of range (e.g. enum index)
        Refused,       // property change while running without flag 0x100, pin created while running
        BadState,      // call not allowed in the current run state
        Incompatible,  // output type not accepted by the input; input already connected
    };
    HostError(Code code, const std::string &what) : std::runtime_error(what), code_(code) {}
    Code code() const { return code_; }

private:
    Code code_;
};

// Element types of samples; Name() gives the text used by `zuv describe` and
// the JSON lines ("Stream8", "TextAscii", "Integer32", "Integer64", "Float64",
// "Float32").
enum class ElementType { Stream8, TextAscii, Integer32, Integer64, Float64, Float32 };
const char *Name(ElementType type);
size_t ElementSize(ElementType type);  // bytes per vector element

enum class PropertyType { Bool, Integer, Float, Text, Enum };
const char *Name(PropertyType type);  // "bool", "integer", "float", "text", "enum"

// A typed property value. Only the member matching `type` is meaningful;
// for Enum, `choices` lists every choice and `selected` is the index.
struct PropertyValue {
    PropertyType type = PropertyType::Integer;
    bool boolean = false;
    int64_t integer = 0;
    double real = 0.0;
    std::string text;
    std::vector<std::string> choices;
    int selected = 0;

    static PropertyValue Bool(bool v);
    static PropertyValue Integer(int64_t v);
    static PropertyValue Float(double v);
    static PropertyValue Text(std::string v);
    static PropertyValue Enum(std::vector<std::string> choices, int selected);
    // For Enum: the selected choice text (empty when out of range).
    std::string SelectedText() const;
};

// Property flag: may change while the component runs.
constexpr uint32_t kPropertyChangeableWhileRunning = 0x100;

struct InputInfo {
    std::string name;
    std::string type;  // accepted element type(s), e.g. "Stream8"
};
struct OutputInfo {
    std::string name;
    ElementType type;
    int maxSize;  // elements per sample
    int fifo;     // FIFO depth
};
struct PropertyInfo {
    std::string name;
    PropertyValue value;  // value.type is the property's type; value.choices for enums
    uint32_t flags;
};

// One published sample, valid only during the sink callback. `data` holds
// vectorSize elements of `type` (for TextAscii: characters, no terminating zero).
struct SampleView {
    const std::string *instance;  // publishing instance ("player" for a Source)
    const std::string *output;    // output name
    int64_t timestamp;            // microseconds
    ElementType type;
    int vectorSize;
    int quality;
    const void *data;
    size_t bytes;  // vectorSize * ElementSize(type)
};
using SampleCallback = std::function<void(const SampleView &)>;

// A sink for tests: copies every sample it receives (this allocates; it is a
// test tool, not part of the publish path). Attach with Runtime::AttachSink(inst,
// out, queue.Callback()); the queue must outlive the run.
class SampleQueue {
public:
    struct Sample {
        std::string pin;  // "INSTANCE.OUTPUT"
        int64_t timestamp;
        ElementType type;
        int vectorSize;
        int quality;
        std::vector<uint8_t> bytes;
        double Float64(int i) const;
        int32_t Integer32(int i) const;
        int64_t Integer64(int i) const;
        std::string Text() const;
    };
    SampleQueue();
    ~SampleQueue();
    SampleQueue(const SampleQueue &) = delete;
    SampleQueue &operator=(const SampleQueue &) = delete;
    SampleCallback Callback();
    size_t Size() const;
    // Waits until at least `count` samples arrived; false on time-out.
    bool WaitForCount(size_t count, std::chrono::milliseconds timeout) const;
    std::vector<Sample> Take();  // every sample so far, in arrival order; empties the queue

private:
    struct State;
    std::shared_ptr<State> state_;
};

// Why an instance's last run ended.
enum class EndState {
    None,     // never started, or still running
    Stopped,  // Runtime::Stop
    Suicide,  // the component called CommitSuicide
    Error,    // the component called Error
};

class Runtime;

class Instance {
public:
    virtual ~Instance() = default;
    virtual const std::string &Name() const = 0;
    virtual const std::string &Model() const = 0;

    // Lists in the order the instance holds them: leading table entries first,
    // then what the last Dynamic declared, in its order.
    virtual std::vector<InputInfo> Inputs() const = 0;
    virtual std::vector<OutputInfo> Outputs() const = 0;
    virtual std::vector<PropertyInfo> Properties() const = 0;
    virtual std::vector<std::string> Actions() const = 0;

    virtual PropertyValue GetProperty(const std::string &name) const = 0;
    // Stores the value (converted where lossless: bool<->integer 0/1, integer
    // ->float, Enum from an index (Integer) or a choice (Text)). While stopped
    // Dynamic runs again; while running only flag 0x100 properties change
    // (else HostError Refused).
    virtual void SetProperty(const std::string &name, const PropertyValue &value) = 0;
    // The command line form: bool true/false/1/0, integer in decimal, enum by
    // choice text or index, text as is. HostError BadValue when it does not fit.
    virtual void SetPropertyFromText(const std::string &name, const std::string &text) = 0;

    // Runs the action on the calling thread (a host thread), whether or not the
    // component runs. Returns after the action returned.
    virtual void RunAction(const std::string &name) = 0;

    virtual bool Running() const = 0;
    virtual EndState LastEnd() const = 0;
};

// An outside producer feeding one input (the recording player).
class Source {
public:
    virtual ~Source() = default;
    virtual const std::string &Name() const = 0;
    // Publishes one sample. In ClockMode::Driven the host clock is set to
    // `timestamp` first. Waits while the FIFO is full (nothing is dropped).
    // Returns false when the run is stopping (sample not delivered) or the
    // vector is larger than the source's maxSize.
    virtual bool Push(int64_t timestamp, const void *data, int vectorSize) = 0;
    // Waits until every connected consumer has finished with every sample
    // pushed so far (it is back waiting for input) or has stopped. False on
    // time-out. Call before Runtime::Stop to lose nothing.
    virtual bool Drain(std::chrono::milliseconds timeout = std::chrono::milliseconds::max()) = 0;
    // Bulk feeding (a replay as fast as it goes): a consumer waiting for input
    // is woken once half the FIFO has filled instead of at every sample, so
    // both sides handle runs of samples between hand-overs. Flush() wakes it
    // for whatever is queued; Drain, a full FIFO and the stop do as well, so
    // call Flush before the producer pauses. Off by default; may change any time.
    virtual void SetBulk(bool /*on*/) {}
    virtual void Flush() {}
};

enum class ClockMode {
    FreeRunning,  // microseconds of the steady clock since the run's start
    Driven,       // set by SetTime / Source::Push (recording replay)
};

using ReportCallback = std::function<void(int level, const std::string &instance, const std::string &text)>;

class Runtime {
public:
    Runtime();
    ~Runtime();  // stops a running diagram, destroys instances, unloads packages
    Runtime(const Runtime &) = delete;
    Runtime &operator=(const Runtime &) = delete;

    // dlopen by path, MAPSPckInit(kernel, 525624), MAPSGetModulesDefStruct for
    // category "MAPSComponent". Returns the model names the package brought.
    std::vector<std::string> LoadPackage(const std::string &path);
    std::vector<std::string> Models() const;  // every model loaded so far

    // Instantiate, leading table entries, then Dynamic. Names follow the host
    // rule ^[a-zA-Z][a-zA-Z_0-9]*$ and are unique across instances and sources.
    Instance &CreateInstance(const std::string &model, const std::string &name);
    Instance *FindInstance(const std::string &name);

    Source &CreateSource(const std::string &name, ElementType type, int maxSize, int fifoDepth);

    // Connections and sinks are kept by name and bound at Start, so a later
    // property change that re-creates pins keeps them; Start throws NotFound
    // if a named pin is gone by then. One producer per input.
    void Connect(Instance &from, const std::string &output, Instance &to, const std::string &input);
    void Connect(Source &from, Instance &to, const std::string &input);
    // The callback receives every sample published on that output, in order, on
    // the writer's thread, right after it is published.
    void AttachSink(Instance &from, const std::string &output, SampleCallback callback);

    // Default: "LEVEL INSTANCE: TEXT" lines on standard error.
    void SetReportCallback(ReportCallback callback);

    // Starts every instance; returns once every Birth has returned (the clock
    // then starts from 0). A component that stops itself in Birth still has its
    // Death run; see WaitForEnded / Instance::LastEnd.
    void Start();
    // Ends the run: dying flags set, blocked StartReading / StartWriting / Rest
    // released, every thread joined, every Death run. Idempotent.
    void Stop();
    bool Running() const;
    // Waits until some instance ended its run by itself (CommitSuicide or
    // Error) and returns it (each such end is returned once, oldest first);
    // nullptr on time-out or once Stop() has begun (so a signal-watching
    // thread calling Stop() wakes the main thread waiting here).
    Instance *WaitForEnded(std::chrono::milliseconds timeout);
    // Called each time an instance is queued for WaitForEnded, on that
    // instance's thread with the runtime's state lock held: for a control
    // thread that waits on something else too (a stop pipe, a counter). It
    // must be quick and must not call back into the Runtime. Empty: none.
    void SetEndedCallback(std::function<void()> callback);

    // The host clock (MAPS::CurrentTime): microseconds from the run's start;
    // 0 until every Birth has returned.
    void SetClockMode(ClockMode mode);   // before Start
    void SetTime(int64_t microseconds);  // Driven mode only
    int64_t Now() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zuv::host
