// SDK client internals shared by its source files; never seen by components.
#pragma once

#include "maps.hpp"

namespace maps_sdk {

// Thrown by the SDK where a host call does not return (Error, CommitSuicide,
// a stop inside StartReading/StartWriting) and caught by the glue entry that
// started the current host call. Not derived from std::exception on purpose.
struct Unwind final {};

// The kernel kept by the first accepted MAPSPckInit; null before.
MAPSKernelInterface *Kernel();

// The host instance that the next MAPSModule constructor binds to (set by the
// glue around the factory on the constructing thread).
MAPSHostInstance *TakePendingHost();
void SetPendingHost(MAPSHostInstance *host);

struct ThreadContext {
    MAPSModule *module;
    MAPSModule::ThreadFunction function;
};

extern const MAPSPackageGlue kGlue;

// Registry of module definitions built by static initialisers.
bool RegisterModule(MAPSModuleDefinition *module);

}  // namespace maps_sdk
