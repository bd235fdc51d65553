// Step mode of the runtime: instances are driven on the calling thread, one
// call at a time, for tests, benchmarks and fuzz targets. The instances are
// the runtime's own (same pins, properties, Dynamic, reports and kernel
// table); only the run differs: no threads and no FIFOs. Birth, Core and
// Death run when asked; a Core's StartReading takes the next sample pushed on
// that input and unwinds when there is none, as at a stop; every published
// sample is kept, handed to a sink and queued on the connected inputs.
//
//   zuv::host::StepRuntime rt;
//   rt.LoadLinked(MAPSPckInit, MAPSGetModulesDefStruct);  // or LoadPackage(path)
//   auto& decoder = rt.CreateInstance("ZUV_FrameDecoder", "decoder");
//   decoder.Set("pImuData", 1);        // stopped: Dynamic runs again
//   rt.SetTime(0);
//   decoder.Birth();
//   decoder.Push(5000, bytes, size);
//   decoder.RunCore();                 // until its inputs are empty
//   decoder.Death();
//   for (auto& s : decoder.Samples()) ...
//
// The clock is driven: it reads what SetTime set, from creation on (Birth
// included). Errors: misuse throws HostError as the threaded runtime does.
// Threads: one thread drives a StepRuntime; one StepRuntime at a time per
// process (the kernel table's clock is process-wide).
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "maps_runtime.h"

class MAPSComponent;
struct MAPSKernelInterface;
struct MAPSModuleDefinition;

namespace zuv::host {

// A published sample as kept by step mode.
struct StepSample {
    std::string output;
    int64_t timestamp = 0;
    ElementType type = ElementType::Stream8;
    int vectorSize = 0;
    std::vector<uint8_t> bytes;  // vectorSize * ElementSize(type)

    template <typename T>
    T Read(int i) const {
        T value;
        std::memcpy(&value, bytes.data() + static_cast<size_t>(i) * sizeof(T), sizeof(T));
        return value;
    }
    double Float64(int i) const { return Read<double>(i); }
    int64_t Integer64(int i) const { return Read<int64_t>(i); }
};

struct StepReport {
    int level;  // 0 info, 1 warning, 2 error
    std::string text;
};

class StepInstance {
public:
    virtual ~StepInstance() = default;

    // The instance as the threaded runtime shows it: pins, properties, actions by name.
    virtual Instance &Runtime() = 0;
    virtual MAPSComponent *Component() = 0;

    // Integer form of a property (bool 0/1, enum by index). A change while
    // stopped runs Dynamic again; while born the value is stored as is.
    virtual void Set(const std::string &property, int64_t value) = 0;
    virtual int64_t Get(const std::string &property) const = 0;
    virtual bool HasProperty(const std::string &property) const = 0;
    // An output outside the definition, for writers the component never calls
    // itself; the next Dynamic removes it.
    virtual void AddOutput(const std::string &name, ElementType type, int maxSize) = 0;

    // The glue results (MAPS_GLUE_RETURNED ...). Death also frees the buffers.
    virtual int Birth() = 0;
    virtual int Core() = 0;
    // Core until every pushed sample is taken (a repeated one does not count),
    // the instance is dying, or a Core does not return normally.
    virtual void RunCore() = 0;
    virtual int Death() = 0;
    virtual int Action(int index) = 0;
    virtual bool Born() const = 0;

    // A sample for the input (the first one when no name is given).
    virtual void Push(int64_t timestamp, const void *data, size_t bytes) = 0;
    virtual void Push(const std::string &input, int64_t timestamp, const void *data, size_t bytes) = 0;
    void Push(int64_t timestamp, const std::vector<uint8_t> &bytes) { Push(timestamp, bytes.data(), bytes.size()); }
    // From now on every read of the first input gets this sample again, its
    // time stamp advancing by `step` each time: nothing is copied per read.
    virtual void PushForever(int64_t timestamp, int64_t step, const std::vector<uint8_t> &bytes) = 0;

    // Published samples: the sink sees each as it is published (nothing is
    // copied for it); KeepSamples(false) stops the copies kept in Samples().
    virtual void SetSink(SampleCallback sink) = 0;
    virtual void KeepSamples(bool keep) = 0;
    virtual const std::vector<StepSample> &Samples() const = 0;
    virtual std::vector<StepSample> TakeSamples() = 0;
    virtual uint64_t Published() const = 0;

    virtual const std::vector<StepReport> &Reports() const = 0;
    virtual void ClearReports() = 0;
};

class StepRuntime {
public:
    using PackageInit = int (*)(MAPSKernelInterface *kernel, int version);
    using ModuleList = int (*)(const char *category, MAPSModuleDefinition **list, int count);

    StepRuntime();
    ~StepRuntime();  // destroys the instances (a born one has its Death run first)
    StepRuntime(const StepRuntime &) = delete;
    StepRuntime &operator=(const StepRuntime &) = delete;

    std::vector<std::string> LoadPackage(const std::string &path);
    // A package linked into the program: its two entry points.
    std::vector<std::string> LoadLinked(PackageInit init, ModuleList list);

    StepInstance &CreateInstance(const std::string &model, const std::string &name);
    // Every sample published on from.output is queued on to.input.
    void Connect(StepInstance &from, const std::string &output, StepInstance &to, const std::string &input);

    void SetTime(int64_t microseconds);
    int64_t Now() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zuv::host
