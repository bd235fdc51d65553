// Package entry points and the module registry filled at library load.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "maps_sdk_internal.h"

namespace maps_sdk {
namespace {

std::mutex &EntryMutex() {
    static std::mutex mutex;
    return mutex;
}

// Set once at package init and read by every SDK call: no lock on the
// per-sample path.
std::atomic<MAPSKernelInterface *> gKernel{nullptr};

std::vector<MAPSModuleDefinition *> &Registry() {
    static std::vector<MAPSModuleDefinition *> modules;
    return modules;
}

bool SameText(const char *a, const char *b) {
    return a && b && std::strcmp(a, b) == 0;
}

bool CategoryKnown(const char *category) {
    for (auto *module : Registry())
        if (SameText(module->category, category)) return true;
    return false;
}

}  // namespace

MAPSKernelInterface *Kernel() {
    return gKernel.load(std::memory_order_acquire);
}

bool RegisterModule(MAPSModuleDefinition *module) {
    std::lock_guard<std::mutex> lock(EntryMutex());
    for (auto *known : Registry()) {
        if (SameText(known->className, module->className) && SameText(known->category, module->category)) {
            std::fprintf(stderr, "Module %s already referenced in the category %s\n", module->className,
                         module->category);
            return false;
        }
    }
    Registry().push_back(module);
    return true;
}

}  // namespace maps_sdk

extern "C" __attribute__((visibility("default"))) int MAPSPckInit(MAPSKernelInterface *kernel, int version) {
    if (version != MAPS_KERNEL_VERSION || kernel == nullptr) return 0;
    std::lock_guard<std::mutex> lock(maps_sdk::EntryMutex());
    MAPSKernelInterface *none = nullptr;
    maps_sdk::gKernel.compare_exchange_strong(none, kernel, std::memory_order_acq_rel);
    return MAPS_PCK_INIT_OK;
}

extern "C" __attribute__((visibility("default"))) int MAPSGetModulesDefStruct(const char *category,
                                                                              MAPSModuleDefinition **list, int count) {
    using namespace maps_sdk;
    std::lock_guard<std::mutex> lock(EntryMutex());
    if (category != nullptr && !CategoryKnown(category)) return -1;
    int found = 0;
    for (auto *module : Registry()) {
        if (category != nullptr && !SameText(module->category, category)) continue;
        if (list != nullptr) {
            if (found >= count) break;
            list[found] = module;
        }
        ++found;
    }
    return found;
}
