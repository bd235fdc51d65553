// The binary interface between a package and the host that loads it.
// The package reaches the host only through MAPSKernelInterface (handed to
// MAPSPckInit); the host reaches the package only through the entry points
// and the MAPSPackageGlue table of each module definition. No symbol is
// shared, so a package never links the host and the host never links a
// package.
// Errors: calls return codes (documented per entry); nothing throws across
// this interface. Threads: every kernel entry is safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "maps_types.h"

// Version number that MAPSPckInit accepts.
constexpr int MAPS_KERNEL_VERSION = 525624;
// What MAPSPckInit returns on success.
constexpr int MAPS_PCK_INIT_OK = 4;
constexpr uint32_t MAPS_GLUE_ABI = 1;

struct MAPSHostInstance;  // opaque: the host's side of one component instance

// A property value crossing the interface. For reads the host hands text
// (and enumeration choices) to the callbacks while it holds the property lock.
struct MAPSKernelValue {
    int32_t kind;  // MAPSPropertyKind requested (Get) or given (Set)
    int64_t integer;
    double real;
    const char *text;
    size_t textLength;
    const char *const *choices;  // Set of an enumeration: new choices (may be null)
    int32_t choiceCount;
    void *sink;
    void (*assignText)(void *sink, const char *text, size_t length);
    void (*addChoice)(void *sink, const char *text, size_t length);
};

// Results of the blocking element calls.
constexpr int MAPS_KERNEL_OK = 0;
constexpr int MAPS_KERNEL_UNWIND = -1;  // the caller's thread must end (stop, dying)

struct MAPSKernelInterface {
    uint32_t size;  // sizeof(MAPSKernelInterface) of the host
    void (*report)(MAPSHostInstance *inst, const char *text, int level);
    // Reports at error level, marks the instance failed and dying.
    void (*error)(MAPSHostInstance *inst, const char *text);
    // Marks the instance dying; 1 when called from its own thread (which must end).
    int (*commitSuicide)(MAPSHostInstance *inst);
    int (*isDying)(MAPSHostInstance *inst);
    int (*isRunning)(MAPSHostInstance *inst);
    // Sleeps; wakes early when the instance starts dying.
    void (*rest)(MAPSHostInstance *inst, int64_t microseconds);
    int64_t (*currentTime)(void);
    const char *(*instanceName)(MAPSHostInstance *inst);
    int (*rename)(MAPSHostInstance *inst, const char *newName);  // 1 done, 0 refused (reported)
    // 0: the host will call glue->runThread(context) exactly once on a new thread.
    int (*createThread)(MAPSHostInstance *inst, void *context);

    // Lookups return null when the name is unknown (nothing reported).
    MAPSInput *(*findInput)(MAPSHostInstance *inst, const char *name);
    MAPSOutput *(*findOutput)(MAPSHostInstance *inst, const char *name);
    MAPSProperty *(*findProperty)(MAPSHostInstance *inst, const char *name);
    // Creation from a table entry; newName null keeps the entry name. Null on
    // failure, reported by the host.
    MAPSInput *(*newInput)(MAPSHostInstance *inst, const char *entryName, const char *newName);
    MAPSOutput *(*newOutput)(MAPSHostInstance *inst, const char *entryName, const char *newName);
    MAPSProperty *(*newProperty)(MAPSHostInstance *inst, const char *entryName, const char *newName);

    // OK with *element set (null when the instance is not running), or UNWIND.
    int (*startWriting)(MAPSHostInstance *inst, MAPSOutput *output, MAPSIOElt **element);
    // 1 published, 0 not (discarded or not an element being written).
    int (*stopWriting)(MAPSHostInstance *inst, MAPSIOElt *element, int discard);
    // OK with *element set, or UNWIND (stopping: no sample is returned).
    int (*startReading)(MAPSHostInstance *inst, MAPSInput *input, MAPSIOElt **element);

    // 0 done; -1 type mismatch, refused or unknown (reported by the host).
    int (*getProperty)(MAPSHostInstance *inst, MAPSProperty *property, MAPSKernelValue *value);
    int (*setProperty)(MAPSHostInstance *inst, MAPSProperty *property, const MAPSKernelValue *value);
};

// Operations that the host calls on a component it holds.
enum MAPSGlueCall : int32_t {
    MAPS_CALL_DYNAMIC = 0,
    MAPS_CALL_BIRTH = 1,
    MAPS_CALL_CORE = 2,
    MAPS_CALL_DEATH = 3,
    MAPS_CALL_BANZAI = 4,
    MAPS_CALL_FREE_BUFFERS = 5,
};
// Results of glue calls.
constexpr int MAPS_GLUE_RETURNED = 0;  // the operation returned
constexpr int MAPS_GLUE_UNWOUND = 1;   // ended by Error, CommitSuicide or a stop
constexpr int MAPS_GLUE_FAILED = 2;    // an exception escaped (reported to the host)

struct MAPSPackageGlue {
    uint32_t abi;  // MAPS_GLUE_ABI
    // Runs the definition's factory; the new component is bound to `host`.
    MAPSComponent *(*create)(MAPSComponentDefinition *definition, const char *name, MAPSHostInstance *host);
    void (*destroy)(MAPSComponent *component);
    int (*call)(MAPSComponent *component, int32_t operation);
    int (*action)(MAPSComponent *component, int32_t actionIndex);
    int (*runThread)(void *context);
    void (*dropThread)(void *context);  // a context whose thread never started
};

struct MAPSModuleDefinition {
    const char *className;  // e.g. "MAPSZUV_FrameReader"
    const char *category;   // "MAPSComponent"
    void *userData;         // MAPSComponentDefinition*
    const MAPSPackageGlue *glue;
    const char *marker;  // "$!MAPS_MODULE!<category>!<model>!$!<version>!$"
};

// Package entry points (C linkage, exported).
extern "C" {
using MAPSPckInitFunction = int (*)(MAPSKernelInterface *kernel, int version);
using MAPSGetModulesDefStructFunction = int (*)(const char *category, MAPSModuleDefinition **list, int count);
}
