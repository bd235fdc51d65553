// Placeholder for the helper base until its branch lands; replaced on merge.
#pragma once
#include "maps.hpp"
class MAPSAdvancedComponent : public MAPSComponent {
public:
    MAPSAdvancedComponent(const char *name, MAPSComponentDefinition &definition) : MAPSComponent(name, definition) {}
    static void LifeChecking(MAPSModule *module, int) {
        if (module) module->Set(module->Property("pAlive"), module->IsRunning());
    }
};
