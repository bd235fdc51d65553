// The package linked into a test, benchmark or fuzz target (its objects, not
// zuv.pck), loaded into the runtime's step mode through its entry points.
#pragma once

#include "maps.hpp"
#include "maps_runtime_step.h"

extern "C" {
int MAPSPckInit(MAPSKernelInterface *kernel, int version);
int MAPSGetModulesDefStruct(const char *category, MAPSModuleDefinition **list, int count);
}

namespace zuv::test {

inline host::StepRuntime &linkedPackage(host::StepRuntime &runtime) {
    runtime.LoadLinked(MAPSPckInit, MAPSGetModulesDefStruct);
    return runtime;
}

}  // namespace zuv::test
