// A package that registers one class twice: the second registration must be
// refused with the host's message.
#include "maps.hpp"

namespace zuv::test {
namespace {

class TestTwice : public MAPSComponent {
public:
    MAPS_COMPONENT_FACTORY(TestTwice)
    TestTwice(const char *name, MAPSComponentDefinition &definition) : MAPSComponent(name, definition) {}
    void Birth() override {}
    void Core() override { Rest(1000); }
    void Death() override {}
};

MAPSComponentDefinition twiceDefinition = {"TestTwice",
                                           "1.0",
                                           &TestTwice::Instantiate,
                                           128,
                                           MAPS::Threaded,
                                           MAPS_NO_TABLE,
                                           MAPS_NO_TABLE,
                                           MAPS_NO_TABLE,
                                           MAPS_NO_TABLE,
                                           -1,
                                           -1,
                                           -1,
                                           -1};

}  // namespace

MAPS_REGISTER_COMPONENT(TestTwice, twiceDefinition, "TestTwice", "1.0");
static MAPSComponentRegistrar secondRegistrar("TestTwice", twiceDefinition, TestTwice_mapsMarker);

}  // namespace zuv::test
