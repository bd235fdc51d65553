// A test component whose pins and properties depend on its properties.
#include <string>

#include "maps.hpp"

namespace {

class TestDynamic : public MAPSComponent {
public:
  MAPS_COMPONENT_FACTORY(TestDynamic)
  TestDynamic(const char* name, MAPSComponentDefinition& definition) : MAPSComponent(name, definition) {}

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

MAPSComponentDefinition dynamicDefinition = {
    "TestDynamic", "1.0", &TestDynamic::Instantiate, 128, MAPS::Threaded,
    MAPS_TABLE(kInputs), MAPS_TABLE(kOutputs), MAPS_TABLE(kProperties), MAPS_NO_TABLE,
    1, 1, 6, -1};

} // namespace

MAPS_REGISTER_COMPONENT(TestDynamic, dynamicDefinition, "TestDynamic", "1.0");
