// TEMPORARY stand-in until the helper base lands (not committed).
#pragma once
#include "maps.hpp"
class MAPSAdvancedComponent : public MAPSComponent {
public:
    MAPSAdvancedComponent(const char *name, MAPSComponentDefinition &definition) : MAPSComponent(name, definition) {}
    static void LifeChecking(MAPSModule *module, int) {
        if (module) module->Set(module->Property("pAlive"), module->IsRunning());
    }
};
