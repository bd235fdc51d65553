// What the host calls on this package's components, and the registrar.
#include <exception>
#include <string>

#include "maps_sdk_internal.h"

namespace maps_sdk {
namespace {

thread_local MAPSHostInstance *tPendingHost = nullptr;

void ReportEscaped(MAPSModule *module, const char *where, const char *what) {
    MAPSKernelInterface *kernel = Kernel();
    if (kernel == nullptr || module == nullptr || module->HostInstance() == nullptr) return;
    std::string text = std::string("Unhandled exception in ") + where + ": " + what;
    kernel->error(module->HostInstance(), text.c_str());
}

template <class F>
int Guarded(MAPSModule *module, const char *where, F &&body) {
    try {
        body();
        return MAPS_GLUE_RETURNED;
    } catch (const Unwind &) {
        return MAPS_GLUE_UNWOUND;
    } catch (const std::exception &e) {
        ReportEscaped(module, where, e.what());
    } catch (...) {
        ReportEscaped(module, where, "unknown exception");
    }
    return MAPS_GLUE_FAILED;
}

MAPSComponent *Create(MAPSComponentDefinition *definition, const char *name, MAPSHostInstance *host) {
    if (definition == nullptr || definition->instantiate == nullptr) return nullptr;
    SetPendingHost(host);
    MAPSComponent *component = nullptr;
    try {
        component = definition->instantiate(name, *definition);
    } catch (...) {
        component = nullptr;
    }
    SetPendingHost(nullptr);
    return component;
}

void Destroy(MAPSComponent *component) {
    delete component;
}

int Call(MAPSComponent *component, int32_t operation) {
    switch (operation) {
        case MAPS_CALL_DYNAMIC: return Guarded(component, "Dynamic", [&] { component->Dynamic(); });
        case MAPS_CALL_BIRTH: return Guarded(component, "Birth", [&] { component->Birth(); });
        case MAPS_CALL_CORE: return Guarded(component, "Core", [&] { component->Core(); });
        case MAPS_CALL_DEATH: return Guarded(component, "Death", [&] { component->Death(); });
        case MAPS_CALL_BANZAI: return Guarded(component, "Banzai", [&] { component->Banzai(); });
        case MAPS_CALL_FREE_BUFFERS: return Guarded(component, "FreeBuffers", [&] { component->FreeBuffers(); });
        default: return MAPS_GLUE_FAILED;
    }
}

int Action(MAPSComponent *component, int32_t index) {
    const MAPSComponentDefinition &definition = component->Definition();
    if (index < 0 || index >= definition.actionCount || definition.actions[index].callback == nullptr)
        return MAPS_GLUE_FAILED;
    MAPSActionFunction callback = definition.actions[index].callback;
    return Guarded(component, definition.actions[index].name, [&] { callback(component, index); });
}

int RunThread(void *context) {
    auto *thread = static_cast<ThreadContext *>(context);
    MAPSModule *module = thread->module;
    MAPSModule::ThreadFunction function = thread->function;
    delete thread;
    return Guarded(module, "thread", [&] { (module->*function)(); });
}

void DropThread(void *context) {
    delete static_cast<ThreadContext *>(context);
}

}  // namespace

MAPSHostInstance *TakePendingHost() {
    MAPSHostInstance *host = tPendingHost;
    tPendingHost = nullptr;
    return host;
}

void SetPendingHost(MAPSHostInstance *host) {
    tPendingHost = host;
}

const MAPSPackageGlue kGlue = {MAPS_GLUE_ABI, Create, Destroy, Call, Action, RunThread, DropThread};

}  // namespace maps_sdk

MAPSComponentRegistrar::MAPSComponentRegistrar(const char *className, MAPSComponentDefinition &definition,
                                               const char *marker)
    : module_{className, "MAPSComponent", &definition, &maps_sdk::kGlue, marker},
      registered_(maps_sdk::RegisterModule(&module_)) {}
