// A test component on the helper base; Core runs the copy scenario once.
#include <string>
#include <vector>

#include "maps_advanced.h"

namespace zuv::test {
namespace {

class TestAdvanced : public MAPSAdvancedComponent {
public:
    MAPS_COMPONENT_FACTORY(TestAdvanced)
    TestAdvanced(const char *name, MAPSComponentDefinition &definition) : MAPSAdvancedComponent(name, definition) {}

    void Dynamic() override {
        int count = static_cast<int>(GetIntegerProperty("pSeriesCount"));
        AddNewOutputs("oSeries", count);
        AddNewInputs("iSeries", count);
        AddNewProperties("pSeries", count);
    }
    void Birth() override { done_ = false; }
    void Core() override {
        if (!done_ && GetStringProperty("pScenario") == "Copies") {
            done_ = true;
            RunCopies();
        }
        Rest(1000);
    }
    void Death() override {}

    static void WriteReport(MAPSModule *module, int) {
        auto *self = static_cast<TestAdvanced *>(module);
        self->firstReportFile = self->GetStringProperty("pFirstFile");
        self->secondReportFile = self->GetStringProperty("pSecondFile");
        self->ReportInFile("disk full");
    }

private:
    void RunCopies() {
        std::string results = "results";
        auto note = [&](bool ok) { results += ok ? " 1" : " 0"; };
        const double doubles[] = {0.1, 1.5, -2.0, 3.0, 4.0};
        const MAPSInt32 integers[] = {1, -2, 2147483647};
        note(CopyDouble2OutPin("oDoubles", doubles, 3, 42, 7));
        note(CopyDouble2OutPin("oDoubles", std::vector<double>{0.25}, 43, 1));
        note(CopyVectorDouble2OutPin("oDoubles", std::vector<double>{}, 44, 2));
        note(CopyInteger2OutPin("oInts", integers, 3, 45, 3));
        note(CopyString2OutPin("oText", "", 46));
        note(CopyString2OutPin("oText", "hello", 47));
        note(CopyString2OutPin("oText", std::string(32, 'x').c_str(), 48));
        // Refused: each would overflow the output's buffer or mistype it.
        note(CopyDouble2OutPin("oDoubles", doubles, 5, 49, 0));
        note(CopyDouble2OutPin("oDoubles", std::vector<double>(5, 1.0), 50, 0));
        note(CopyDouble2OutPin("oDoubles", doubles, -1, 51, 0));
        note(CopyString2OutPin("oText", std::string(33, 'y').c_str(), 52));
        note(CopyInteger2OutPin("oBytes", integers, 3, 53, 0));
        Report(results.c_str());
    }
    bool done_ = false;
};

const MAPSInputDefinition kInputs[] = {{"iSeries", MAPS::FilterAny}};
const MAPSOutputDefinition kOutputs[] = {
    {"oDoubles", MAPS::Float64, 4, 16}, {"oInts", MAPS::Integer32, 4, 16}, {"oText", MAPS::TextAscii, 32, 16},
    {"oBytes", MAPS::Stream8, 8, 16},   {"oSeries", MAPS::Float64, 1, 4},
};
const MAPSPropertyDefinition kProperties[] = {
    {"pAlive", MAPSPropertyValue::Bool(true), 0x1000100},
    {"pSeriesCount", MAPSPropertyValue::Integer(0), 0x1000000},
    {"pScenario", MAPSPropertyValue::Enum("None|Copies", 0), 0x1000000},
    {"pFirstFile", MAPSPropertyValue::String(""), 0x1000000},
    {"pSecondFile", MAPSPropertyValue::String(""), 0x1000000},
    {"pSeries", MAPSPropertyValue::Integer(0), 0x1000000},
};
const MAPSActionDefinition kActions[] = {
    {"aLifeChecking", &MAPSAdvancedComponent::LifeChecking, 1},
    {"aReport", &TestAdvanced::WriteReport, 1},
};

MAPSComponentDefinition advancedDefinition = {"TestAdvanced",
                                              "1.0",
                                              &TestAdvanced::Instantiate,
                                              128,
                                              MAPS::Threaded,
                                              MAPS_TABLE(kInputs),
                                              MAPS_TABLE(kOutputs),
                                              MAPS_TABLE(kProperties),
                                              MAPS_TABLE(kActions),
                                              0,
                                              4,
                                              5,
                                              -1};

}  // namespace

MAPS_REGISTER_COMPONENT(TestAdvanced, advancedDefinition, "TestAdvanced", "1.0");

}  // namespace zuv::test
