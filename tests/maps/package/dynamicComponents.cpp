// A test component whose pins and properties depend on its properties.
#include <string>

#include "maps.hpp"

namespace zuv::test {
namespace {

class TestDynamic : public MAPSComponent {
public:
    MAPS_COMPONENT_FACTORY(TestDynamic)
    TestDynamic(const char *name, MAPSComponentDefinition &definition) : MAPSComponent(name, definition) {}

    // pOutputs: that many outputs oExtra0.. from the oExtra entry.
    // pExtra: property pExtraValue and input iExtra.
    // pMode "Text": output oText; "Broken": an invalid pin name.
    void Dynamic() override {
        if (GetBoolProperty("pExtra")) {
            NewProperty("pExtraValue");
            NewInput("iExtra");
        }
        MAPSInt64 outputs = GetIntegerProperty("pOutputs");
        for (MAPSInt64 i = 0; i < outputs; ++i) NewOutput("oExtra", ("oExtra" + std::to_string(i)).c_str());
        MAPSString mode = GetStringProperty("pMode");
        if (mode == "Text") NewOutput("oText");
        if (mode == "Broken") NewOutput("oExtra", "9lives");
    }
    void Birth() override {}
    void Core() override { Rest(1000); }
    void Death() override {}

    // Reads each kind of property through the SDK and writes new values back.
    static void Exchange(MAPSModule *module, int) {
        auto *self = static_cast<TestDynamic *>(module);
        double ratio = 0;
        MAPSStackedString label;
        MAPSEnumStruct mode;
        long mismatch = -5;
        self->Get(self->Property("pRatio"), ratio);
        self->Get(self->Property("pLabel"), label);
        self->Get(self->Property("pMode"), mode);
        self->Get(self->Property("pLabel"), mismatch);  // text read as integer: refused
        MAPSString seen = MAPSString("ratio=") + ratio + " label=" + label + " mode=" + mode.SelectedText() + "/" +
                          static_cast<int>(mode.enumValues.size()) + " mismatch=" + mismatch;
        self->Report(seen);
        self->Set(self->Property("pRatio"), ratio * 2);
        self->Set(self->Property("pLabel"), label + "!");
        mode.selectedEnum = 1;
        self->Set(self->Property("pMode"), mode);
        self->Set(self->Property("pOutputs"), 2u);
    }
};

const MAPSInputDefinition kInputs[] = {{"iFixed", MAPS::FilterStream8}, {"iExtra", MAPS::FilterAny}};
const MAPSOutputDefinition kOutputs[] = {
    {"oFixed", MAPS::Stream8, 64, 16},
    {"oExtra", MAPS::Float64, 4, 8},
    {"oText", MAPS::TextAscii, 32, 4},
};
const MAPSPropertyDefinition kProperties[] = {
    {"pMode", MAPSPropertyValue::Enum("None|Text|Broken", 0), 0x1000000},
    {"pOutputs", MAPSPropertyValue::Integer(0), 0x1000000},
    {"pExtra", MAPSPropertyValue::Bool(false), 0x1000000},
    {"pLive", MAPSPropertyValue::Integer(1), 0x1000100},
    {"pRatio", MAPSPropertyValue::Float(0.5), 0x1000000},
    {"pLabel", MAPSPropertyValue::String("label"), 0x1000000},
    {"pExtraValue", MAPSPropertyValue::Integer(7), 0x1000000},
};

const MAPSActionDefinition kActions[] = {{"aExchange", &TestDynamic::Exchange, 1}};

MAPSComponentDefinition dynamicDefinition = {"TestDynamic",
                                             "1.0",
                                             &TestDynamic::Instantiate,
                                             128,
                                             MAPS::Threaded,
                                             MAPS_TABLE(kInputs),
                                             MAPS_TABLE(kOutputs),
                                             MAPS_TABLE(kProperties),
                                             MAPS_NO_TABLE,
                                             1,
                                             1,
                                             6,
                                             -1};

// The same class with an action that exchanges values of every kind.
MAPSComponentDefinition propertiesDefinition = {"TestProperties",
                                                "1.0",
                                                &TestDynamic::Instantiate,
                                                128,
                                                MAPS::Threaded,
                                                MAPS_TABLE(kInputs),
                                                MAPS_TABLE(kOutputs),
                                                MAPS_TABLE(kProperties),
                                                MAPS_TABLE(kActions),
                                                1,
                                                1,
                                                6,
                                                -1};

}  // namespace

MAPS_REGISTER_COMPONENT(TestDynamic, dynamicDefinition, "TestDynamic", "1.0");
__attribute__((used)) static const char propertiesMarker[] = "$!MAPS_MODULE!MAPSComponent!TestProperties!$!1.0!$";
static MAPSComponentRegistrar propertiesRegistrar("TestProperties", propertiesDefinition, propertiesMarker);

}  // namespace zuv::test
