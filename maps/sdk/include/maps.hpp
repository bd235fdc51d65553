// The host's component API as a package sees it. Include this header only.
//
// Errors: calls that the host refuses are reported through the instance's
// reports. Error(), CommitSuicide() on the component's own thread, and
// StartReading()/StartWriting() during a stop do not return: they end the
// current host call (Birth, Core, Death, Dynamic, an action or a thread made
// with CreateThread) by unwinding to it. Do not swallow that unwinding with
// catch (...) in component code.
// Threads: Birth, Core and Death run on the component's own thread; Dynamic
// and actions on host threads. Property Get/Set take the host's property lock.
//
// A component in a few lines:
//   class MAPSMyComponent : public MAPSComponent {
//   public:
//     MAPS_COMPONENT_FACTORY(MAPSMyComponent)
//     MAPSMyComponent(const char* name, MAPSComponentDefinition& d) : MAPSComponent(name, d) {}
//     void Dynamic() override { if (GetBoolProperty("pMore")) NewOutput("oMore"); }
//     void Core() override { MAPSIOElt* in = StartReading(Input("iData")); ... }
//     void Birth() override {}
//     void Death() override {}
//   };
//   static const MAPSInputDefinition kIn[] = {{"iData", MAPS::FilterStream8}};
//   static const MAPSOutputDefinition kOut[] = {{"oMore", MAPS::Float64, 8, 16}};
//   static const MAPSPropertyDefinition kProps[] = {
//       {"pMore", MAPSPropertyValue::Bool(false), 0x1000000},
//       {"pRate", MAPSPropertyValue::Enum("Disabled|Enabled", 0), 0x1000000}};
//   static MAPSComponentDefinition myDefinition = {
//       "MyComponent", "1.0", &MAPSMyComponent::Instantiate, 128, MAPS::Threaded,
//       MAPS_TABLE(kIn), MAPS_TABLE(kOut), MAPS_TABLE(kProps), MAPS_NO_TABLE,
//       -1, 0, -1, -1};   // leading inputs, outputs, properties, actions (-1: all)
//   MAPS_REGISTER_COMPONENT(MAPSMyComponent, myDefinition, "MyComponent", "1.0");
// Enumeration properties read as an integer give the selected index, read as
// a MAPSString the selected choice, read as MAPSEnumStruct both.
#pragma once

#include <cstdint>
#include <mutex>

#include "maps_kernel.h"
#include "maps_string.h"
#include "maps_types.h"

// Host-wide constants and helpers.
class MAPS {
public:
    static constexpr MAPSElementType Stream8 = MAPSType_Stream8;
    static constexpr MAPSElementType TextAscii = MAPSType_TextAscii;
    static constexpr MAPSElementType Integer32 = MAPSType_Integer32;
    static constexpr MAPSElementType Integer64 = MAPSType_Integer64;
    static constexpr MAPSElementType Float64 = MAPSType_Float64;
    static constexpr MAPSElementType Float32 = MAPSType_Float32;

    static constexpr MAPSTypeFilter FilterStream8{MAPSTypeBit(MAPSType_Stream8), "Stream8"};
    static constexpr MAPSTypeFilter FilterTextAscii{MAPSTypeBit(MAPSType_TextAscii), "TextAscii"};
    static constexpr MAPSTypeFilter FilterInteger32{MAPSTypeBit(MAPSType_Integer32), "Integer32"};
    static constexpr MAPSTypeFilter FilterInteger64{MAPSTypeBit(MAPSType_Integer64), "Integer64"};
    static constexpr MAPSTypeFilter FilterFloat64{MAPSTypeBit(MAPSType_Float64), "Float64"};
    static constexpr MAPSTypeFilter FilterFloat32{MAPSTypeBit(MAPSType_Float32), "Float32"};
    static constexpr MAPSTypeFilter FilterAny{~0u, "Any"};

    static constexpr int Threaded = MAPS_THREADED;
    static constexpr int Sequential = MAPS_SEQUENTIAL;

    // Host time in microseconds (0 before a run's components have all started).
    static MAPSTimestamp CurrentTime(bool = true, bool = true);
};

class MAPSMutex {
public:
    void Lock() { mutex_.lock(); }
    void Release() { mutex_.unlock(); }
    bool TryLock() { return mutex_.try_lock(); }

private:
    std::mutex mutex_;
};

class MAPSModule {
public:
    using ThreadFunction = void (MAPSModule::*)();

    MAPSModule(const char *name, MAPSComponentDefinition &definition);
    virtual ~MAPSModule();
    MAPSModule(const MAPSModule &) = delete;
    MAPSModule &operator=(const MAPSModule &) = delete;

    // Host hooks with defaults: Banzai runs when a stop is requested, before the
    // component's thread is joined; FreeBuffers after Death.
    virtual void Banzai() {}
    virtual void FreeBuffers() {}

    const char *Name() const;
    bool Rename(const char *newName);
    const char *Kind() const;  // the model name
    MAPSComponentDefinition &Definition() const { return definition_; }

    // Unknown name: an error report, and a property that reads and stores nothing.
    MAPSProperty &Property(const char *name);

    void Get(MAPSProperty &property, bool &value);
    void Get(MAPSProperty &property, int &value);
    void Get(MAPSProperty &property, long &value);
    void Get(MAPSProperty &property, long long &value);
    void Get(MAPSProperty &property, double &value);
    void Get(MAPSProperty &property, MAPSString &value);
    void Get(MAPSProperty &property, MAPSEnumStruct &value);
    void Set(MAPSProperty &property, bool value);
    void Set(MAPSProperty &property, int value) { Set(property, static_cast<long long>(value)); }
    void Set(MAPSProperty &property, long value) { Set(property, static_cast<long long>(value)); }
    void Set(MAPSProperty &property, long long value);
    void Set(MAPSProperty &property, unsigned value) { Set(property, static_cast<long long>(value)); }
    void Set(MAPSProperty &property, unsigned long value) { Set(property, static_cast<long long>(value)); }
    void Set(MAPSProperty &property, unsigned long long value) { Set(property, static_cast<long long>(value)); }
    void Set(MAPSProperty &property, double value);
    void Set(MAPSProperty &property, const char *value);
    void Set(MAPSProperty &property, const MAPSString &value) { Set(property, value.c_str()); }
    void Set(MAPSProperty &property, const MAPSEnumStruct &value);

    bool GetBoolProperty(const char *name);
    MAPSInt64 GetIntegerProperty(const char *name);
    MAPSString GetStringProperty(const char *name);

    void Report(const char *text, int level = 0, int = 0);
    [[noreturn]] void Error(const char *text, int = 1, int = 0);
    // Stops the component; on its own thread it does not return.
    void CommitSuicide();
    bool IsDying() const;
    bool IsRunning() const;
    // Sleeps; returns early when the component starts dying.
    void Rest(MAPSInt64 microseconds, void * = nullptr);

    // Runs fn on a new host thread; the host joins it at stop, before Death.
    void CreateThread(ThreadFunction fn);
    template <class T>
    void CreateThread(void (T::*fn)()) {
        CreateThread(static_cast<ThreadFunction>(fn));
    }

    MAPSHostInstance *HostInstance() const { return host_; }

protected:
    MAPSComponentDefinition &definition_;
    MAPSHostInstance *host_;
};

class MAPSComponent : public MAPSModule {
public:
    MAPSComponent(const char *name, MAPSComponentDefinition &definition);
    ~MAPSComponent() override;

    // Host-called, in this order of the virtual table after the module's.
    virtual void Dynamic() {}
    virtual void Core() = 0;
    virtual void Birth() = 0;
    virtual void Death() = 0;

    // Unknown name: Error (does not return).
    MAPSInput &Input(const char *name);
    MAPSOutput &Output(const char *name);
    // From a table entry; a null newName keeps the entry's name. A new name
    // must match ^[a-zA-Z][a-zA-Z_0-9]*$. Failure: Error (does not return).
    MAPSInput &NewInput(const char *entryName, const char *newName = nullptr);
    MAPSOutput &NewOutput(const char *entryName, const char *newName = nullptr);
    MAPSProperty &NewProperty(const char *entryName, const char *newName = nullptr);

    // A free element of the output, waiting while its FIFO is full; null when
    // the component is not running.
    MAPSIOElt *StartWriting(MAPSOutput &output);
    // Publishes the element (discard: drop it instead). True when published.
    bool StopWriting(MAPSIOElt *element, bool discard = false);
    // The next sample of the input, waiting until one arrives. The element
    // stays valid until the next StartReading on this input.
    MAPSIOElt *StartReading(MAPSInput &input);
};

// Registers a component class at library load in the category "MAPSComponent".
// Use once per class in its .cpp, after the definition object:
//   MAPS_REGISTER_COMPONENT(MAPSZUV_FrameReader, readerDefinition, "ZUV_FrameReader", "1.0")
// The model and version literals must match the definition's name and version;
// they also form the marker string kept in the binary.
class MAPSComponentRegistrar {
public:
    MAPSComponentRegistrar(const char *className, MAPSComponentDefinition &definition, const char *marker);
    bool Registered() const { return registered_; }
    const MAPSModuleDefinition &Module() const { return module_; }

private:
    MAPSModuleDefinition module_;
    bool registered_;
};

#define MAPS_REGISTER_COMPONENT(className, definition, model, version) \
    __attribute__((used)) static const char className##_mapsMarker[] = \
        "$!MAPS_MODULE!MAPSComponent!" model "!$!" version "!$";       \
    static MAPSComponentRegistrar className##_mapsRegistrar(#className, definition, className##_mapsMarker)

// Declares the host's factory for a component class:
//   MAPS_COMPONENT_FACTORY(MAPSZUV_FrameReader) inside the class body.
#define MAPS_COMPONENT_FACTORY(className)                                                      \
    static MAPSComponent *Instantiate(const char *name, MAPSComponentDefinition &definition) { \
        return new className(name, definition);                                                \
    }
