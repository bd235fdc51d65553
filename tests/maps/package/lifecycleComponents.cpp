// Test components that report each step of their life, for the runtime tests.
#include <string>

#include "maps.hpp"

namespace zuv::test {
namespace {

// Reports "Birth", "Core" (first call only), "Death cores=N"; can stop itself
// in Birth, fail in Core after pCoreLimit calls, and run a helper thread.
class TestLifecycle : public MAPSComponent {
public:
    MAPS_COMPONENT_FACTORY(TestLifecycle)
    TestLifecycle(const char *name, MAPSComponentDefinition &definition) : MAPSComponent(name, definition) {}

    void Birth() override {
        cores_ = 0;
        Report("Birth");
        if (GetBoolProperty("pThread")) CreateThread(&TestLifecycle::Helper);
        MAPSInt64 delay = GetIntegerProperty("pBirthDelay");
        if (delay > 0) Rest(delay);
        if (GetBoolProperty("pBirthClock")) Report(("clock in Birth " + std::to_string(MAPS::CurrentTime())).c_str());
        if (GetBoolProperty("pSuicideInBirth")) {
            CommitSuicide();
            Report("after CommitSuicide");  // must not appear
        }
    }
    void Core() override {
        if (++cores_ == 1) Report(("Core clock " + std::to_string(MAPS::CurrentTime())).c_str());
        MAPSInt64 limit = GetIntegerProperty("pCoreLimit");
        if (limit > 0 && cores_ >= limit) {
            if (GetBoolProperty("pErrorAtLimit")) Error("limit reached");
            CommitSuicide();
            Report("after CommitSuicide");  // must not appear
        }
        Rest(1000);
    }
    void Death() override { Report(("Death cores=" + std::to_string(cores_)).c_str()); }

    void Helper() {
        while (!IsDying()) Rest(2000);
        Report("helper ends");
    }

    static void Mark(MAPSModule *module, int) {
        auto *self = static_cast<TestLifecycle *>(module);
        self->Report(self->IsRunning() ? "action while running" : "action while stopped");
        self->Set(self->Property("pLive"), true);
    }

private:
    long cores_ = 0;
};

const MAPSPropertyDefinition kLifecycleProperties[] = {
    {"pSuicideInBirth", MAPSPropertyValue::Bool(false), 0x1000000},
    {"pCoreLimit", MAPSPropertyValue::Integer(0), 0x1000000},
    {"pErrorAtLimit", MAPSPropertyValue::Bool(false), 0x1000000},
    {"pBirthDelay", MAPSPropertyValue::Integer(0), 0x1000000},
    {"pBirthClock", MAPSPropertyValue::Bool(false), 0x1000000},
    {"pThread", MAPSPropertyValue::Bool(false), 0x1000000},
    {"pLive", MAPSPropertyValue::Bool(false), 0x1000100},
};
const MAPSActionDefinition kLifecycleActions[] = {{"aMark", &TestLifecycle::Mark, 1}};

MAPSComponentDefinition lifecycleDefinition = {"TestLifecycle",
                                               "1.0",
                                               &TestLifecycle::Instantiate,
                                               128,
                                               MAPS::Threaded,
                                               MAPS_NO_TABLE,
                                               MAPS_NO_TABLE,
                                               MAPS_TABLE(kLifecycleProperties),
                                               MAPS_TABLE(kLifecycleActions),
                                               -1,
                                               -1,
                                               -1,
                                               -1};

}  // namespace

MAPS_REGISTER_COMPONENT(TestLifecycle, lifecycleDefinition, "TestLifecycle", "1.0");

}  // namespace zuv::test
