// Pins and properties shaped by Dynamic; property kinds, conversions and flags.
#include "runtimeFixture.h"

namespace zuv::test {

using zuv::host::HostError;
using zuv::host::PropertyType;
using zuv::host::PropertyValue;

TEST_F(RuntimeTest, LeadingEntriesComeWithTheInstance) {
    auto &dyn = runtime.CreateInstance("TestDynamic", "dyn");
    EXPECT_EQ(Names(dyn.Inputs()), (std::vector<std::string>{"iFixed"}));
    EXPECT_EQ(dyn.Inputs()[0].type, "Stream8");
    ASSERT_EQ(dyn.Outputs().size(), 1u);
    auto out = dyn.Outputs()[0];
    EXPECT_EQ(out.name, "oFixed");
    EXPECT_EQ(out.type, zuv::host::ElementType::Stream8);
    EXPECT_EQ(out.maxSize, 64);
    EXPECT_EQ(out.fifo, 16);
    EXPECT_EQ(Names(dyn.Properties()),
              (std::vector<std::string>{"pMode", "pOutputs", "pExtra", "pLive", "pRatio", "pLabel"}));
    EXPECT_TRUE(dyn.Actions().empty());

    auto props = dyn.Properties();
    EXPECT_EQ(props[0].value.type, PropertyType::Enum);
    EXPECT_EQ(props[0].value.choices, (std::vector<std::string>{"None", "Text", "Broken"}));
    EXPECT_EQ(props[0].value.SelectedText(), "None");
    EXPECT_EQ(props[0].flags, 0x1000000u);
    EXPECT_EQ(props[3].flags, 0x1000100u);
    EXPECT_EQ(props[4].value.type, PropertyType::Float);
    EXPECT_DOUBLE_EQ(props[4].value.real, 0.5);
    EXPECT_EQ(props[5].value.text, "label");
}

TEST_F(RuntimeTest, EachDynamicDeclaresTheExtraPinsAnew) {
    auto &dyn = runtime.CreateInstance("TestDynamic", "dyn");
    dyn.SetPropertyFromText("pOutputs", "3");
    EXPECT_EQ(Names(dyn.Outputs()), (std::vector<std::string>{"oFixed", "oExtra0", "oExtra1", "oExtra2"}));
    EXPECT_EQ(dyn.Outputs()[2].type, zuv::host::ElementType::Float64);
    EXPECT_EQ(dyn.Outputs()[2].maxSize, 4);

    dyn.SetPropertyFromText("pExtra", "true");
    EXPECT_EQ(Names(dyn.Inputs()), (std::vector<std::string>{"iFixed", "iExtra"}));
    EXPECT_EQ(dyn.GetProperty("pExtraValue").integer, 7);
    dyn.SetPropertyFromText("pExtraValue", "9");

    // Fewer outputs: the others go; a re-declared property keeps its value.
    dyn.SetPropertyFromText("pOutputs", "1");
    EXPECT_EQ(Names(dyn.Outputs()), (std::vector<std::string>{"oFixed", "oExtra0"}));
    EXPECT_EQ(dyn.GetProperty("pExtraValue").integer, 9);

    // Order follows the last declaration, not the order of creation.
    dyn.SetPropertyFromText("pMode", "Text");
    dyn.SetPropertyFromText("pOutputs", "2");
    EXPECT_EQ(Names(dyn.Outputs()), (std::vector<std::string>{"oFixed", "oExtra0", "oExtra1", "oText"}));

    dyn.SetPropertyFromText("pExtra", "false");
    EXPECT_EQ(Names(dyn.Inputs()), (std::vector<std::string>{"iFixed"}));
    EXPECT_THROW(dyn.GetProperty("pExtraValue"), HostError);
    dyn.SetPropertyFromText("pOutputs", "0");
    dyn.SetPropertyFromText("pMode", "None");
    EXPECT_EQ(Names(dyn.Outputs()), (std::vector<std::string>{"oFixed"}));
}

TEST_F(RuntimeTest, ABadPinNameAbortsDynamicAndKeepsThePins) {
    auto &dyn = runtime.CreateInstance("TestDynamic", "dyn");
    dyn.SetPropertyFromText("pOutputs", "2");
    dyn.SetPropertyFromText("pMode", "Broken");
    EXPECT_EQ(Names(dyn.Outputs()), (std::vector<std::string>{"oFixed", "oExtra0", "oExtra1"}));
    bool named = false;
    for (auto &r : Reports()) named |= r.level == 2 && r.text.find("\"9lives\"") != std::string::npos;
    EXPECT_TRUE(named);
}

TEST_F(RuntimeTest, PropertyValuesConvertOnlyWhereLossless) {
    auto &dyn = runtime.CreateInstance("TestDynamic", "dyn");
    struct Case {
        const char *property;
        const char *text;
        bool accepted;
    };
    const Case cases[] = {
        {"pExtra", "true", true},  {"pExtra", "0", true},     {"pExtra", "yes", false},
        {"pOutputs", "12", true},  {"pOutputs", "-3", true},  {"pOutputs", "1.5", false},
        {"pOutputs", "", false},   {"pOutputs", "7x", false}, {"pRatio", "2.25", true},
        {"pRatio", "fast", false}, {"pMode", "Text", true},   {"pMode", "2", true},
        {"pMode", "3", false},     {"pMode", "text", false},  {"pLabel", "any text at all", true},
    };
    for (const Case &c : cases) {
        bool accepted = true;
        try {
            dyn.SetPropertyFromText(c.property, c.text);
        } catch (const HostError &e) {
            accepted = false;
            EXPECT_EQ(e.code(), HostError::Code::BadValue);
            EXPECT_NE(std::string(e.what()).find(c.property), std::string::npos) << e.what();
        }
        EXPECT_EQ(accepted, c.accepted) << c.property << "=" << c.text;
    }
    dyn.SetPropertyFromText("pOutputs", "0");
    EXPECT_EQ(dyn.GetProperty("pMode").selected, 2);
    EXPECT_DOUBLE_EQ(dyn.GetProperty("pRatio").real, 2.25);
    dyn.SetProperty("pRatio", PropertyValue::Integer(3));  // integer into float
    EXPECT_DOUBLE_EQ(dyn.GetProperty("pRatio").real, 3.0);
    EXPECT_THROW(dyn.SetProperty("pLabel", PropertyValue::Integer(3)), HostError);
    EXPECT_THROW(dyn.SetProperty("pMode", PropertyValue::Enum({"A", "B"}, 5)), HostError);
    EXPECT_THROW(dyn.SetPropertyFromText("pNope", "1"), HostError);
}

TEST_F(RuntimeTest, OnlyFlaggedPropertiesChangeWhileRunning) {
    auto &dyn = runtime.CreateInstance("TestDynamic", "dyn");
    runtime.Start();
    try {
        dyn.SetPropertyFromText("pOutputs", "2");
        ADD_FAILURE() << "change accepted while running";
    } catch (const HostError &e) {
        EXPECT_EQ(e.code(), HostError::Code::Refused);
    }
    dyn.SetPropertyFromText("pLive", "5");
    EXPECT_EQ(dyn.GetProperty("pLive").integer, 5);
    EXPECT_EQ(dyn.GetProperty("pOutputs").integer, 0);
    EXPECT_EQ(dyn.Outputs().size(), 1u);
    runtime.Stop();
    dyn.SetPropertyFromText("pOutputs", "2");
    EXPECT_EQ(dyn.Outputs().size(), 3u);
}

TEST_F(RuntimeTest, ComponentsReadAndWriteEveryPropertyKind) {
    auto &dyn = runtime.CreateInstance("TestProperties", "dyn");
    dyn.RunAction("aExchange");
    EXPECT_TRUE(Reported("dyn", "ratio=0.500000 label=label mode=None/3 mismatch=-5"));
    bool refused = false;
    for (auto &r : Reports())
        refused |= r.level == 2 && r.text == "Property pLabel is text and cannot be read as integer";
    EXPECT_TRUE(refused);
    EXPECT_DOUBLE_EQ(dyn.GetProperty("pRatio").real, 1.0);
    EXPECT_EQ(dyn.GetProperty("pLabel").text, "label!");
    EXPECT_EQ(dyn.GetProperty("pMode").SelectedText(), "Text");
    // Each Set ran Dynamic again: pOutputs=2 and pMode=Text shaped the outputs.
    EXPECT_EQ(Names(dyn.Outputs()), (std::vector<std::string>{"oFixed", "oExtra0", "oExtra1", "oText"}));
}

}  // namespace zuv::test
