#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "packageLocator.h"
#include "propertyAssignment.h"
#include "propertyValue.h"
#include "toolError.h"

namespace zuv::test {

using namespace zuv::tool;

namespace {

const PropertyDesc kBool{"pDownSampling", PropertyKind::Bool, {}};
const PropertyDesc kInt{"pNewFramerate", PropertyKind::Integer, {}};
const PropertyDesc kFloat{"pGain", PropertyKind::Float, {}};
const PropertyDesc kText{"pComPort", PropertyKind::Text, {}};
const PropertyDesc kEnabled{"pImuData", PropertyKind::Enum, {"Disabled", "Enabled"}};
const PropertyDesc kRate{"pEkfNav", PropertyKind::Enum, {"Disabled", "1 Hz", "100 Hz", "7"}};

struct ValueCase {
    const PropertyDesc *property;
    const char *text;
    bool ok;
    int64_t integer;  // bool as 0/1, enum index
    const char *str;  // Text and Enum
};

void PrintTo(const ValueCase &c, std::ostream *os) {
    *os << c.property->name << "=" << c.text;
}

class PropertyValueParse : public testing::TestWithParam<ValueCase> {};

TEST_P(PropertyValueParse, AcceptsOrNamesTheProblem) {
    const ValueCase &c = GetParam();
    PropertyValue v;
    bool ok = parsePropertyValue(*c.property, c.text, v);
    ASSERT_EQ(ok, c.ok) << c.property->name << "=" << c.text;
    if (!ok) return;
    EXPECT_EQ(v.kind, c.property->kind);
    switch (c.property->kind) {
        case PropertyKind::Bool: EXPECT_EQ(v.boolean, c.integer != 0); break;
        case PropertyKind::Integer: EXPECT_EQ(v.integer, c.integer); break;
        case PropertyKind::Text: EXPECT_EQ(v.text, c.str); break;
        case PropertyKind::Enum:
            EXPECT_EQ(v.integer, c.integer);
            EXPECT_EQ(v.text, c.str);
            break;
        case PropertyKind::Float: break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PropertyValueParse,
    testing::Values(ValueCase{&kBool, "true", true, 1, ""}, ValueCase{&kBool, "false", true, 0, ""},
                    ValueCase{&kBool, "1", true, 1, ""}, ValueCase{&kBool, "0", true, 0, ""},
                    ValueCase{&kBool, "yes", false, 0, ""}, ValueCase{&kBool, "", false, 0, ""},
                    ValueCase{&kBool, "2", false, 0, ""}, ValueCase{&kInt, "5", true, 5, ""},
                    ValueCase{&kInt, "-12", true, -12, ""}, ValueCase{&kInt, "+7", true, 7, ""},
                    ValueCase{&kInt, "9223372036854775807", true, INT64_MAX, ""},
                    ValueCase{&kInt, "9223372036854775808", false, 0, ""}, ValueCase{&kInt, "", false, 0, ""},
                    ValueCase{&kInt, "5x", false, 0, ""}, ValueCase{&kInt, " 5", false, 0, ""},
                    ValueCase{&kInt, "0x10", false, 0, ""}, ValueCase{&kInt, "1.5", false, 0, ""},
                    ValueCase{&kFloat, "nan", false, 0, ""}, ValueCase{&kFloat, "1e999", false, 0, ""},
                    ValueCase{&kText, "/dev/pts/3", true, 0, "/dev/pts/3"}, ValueCase{&kText, "", true, 0, ""},
                    ValueCase{&kText, "a=b", true, 0, "a=b"}, ValueCase{&kEnabled, "Enabled", true, 1, "Enabled"},
                    ValueCase{&kEnabled, "0", true, 0, "Disabled"}, ValueCase{&kEnabled, "1", true, 1, "Enabled"},
                    ValueCase{&kEnabled, "2", false, 0, ""}, ValueCase{&kEnabled, "-1", false, 0, ""},
                    ValueCase{&kEnabled, "enabled", false, 0, ""}, ValueCase{&kRate, "100 Hz", true, 2, "100 Hz"},
                    // A choice that reads like a number is taken as the choice, not as an index.
                    ValueCase{&kRate, "7", true, 3, "7"}, ValueCase{&kRate, "3", true, 3, "7"},
                    ValueCase{&kRate, "+1", false, 0, ""}, ValueCase{&kRate, "100Hz", false, 0, ""}));

TEST(PropertyValueParse, FloatValues) {
    PropertyValue v;
    ASSERT_TRUE(parsePropertyValue(kFloat, "-2.5e3", v));
    EXPECT_EQ(v.real, -2500.0);
}

TEST(PropertyValueParse, MismatchMessagesSayWhatFits) {
    EXPECT_EQ(valueMismatch(kRate, "fast", "reader.pEkfNav"),
              "\"fast\" does not fit reader.pEkfNav (enumeration: one of: \"Disabled\", \"1 Hz\", \"100 Hz\", "
              "\"7\" (or an index 0..3))");
    EXPECT_EQ(valueMismatch(kBool, "yes", "decoder.pDownSampling"),
              "\"yes\" does not fit decoder.pDownSampling (bool: true, false, 1 or 0)");
    EXPECT_EQ(valueMismatch(kInt, "", "decoder.pNewFramerate"),
              "\"\" does not fit decoder.pNewFramerate (integer: a decimal integer)");
}

TEST(PropertyAssignmentParse, Forms) {
    auto a = parsePropertyAssignment("decoder.pNewFramerate=5");
    EXPECT_EQ(a.instance, "decoder");
    EXPECT_EQ(a.name, "pNewFramerate");
    EXPECT_EQ(a.value, "5");
    a = parsePropertyAssignment("pEkfNav=100 Hz");
    EXPECT_EQ(a.instance, "");
    EXPECT_EQ(a.name, "pEkfNav");
    EXPECT_EQ(a.value, "100 Hz");
    a = parsePropertyAssignment("reader.pRemoteAdress=127.0.0.1=x");
    EXPECT_EQ(a.instance, "reader");
    EXPECT_EQ(a.name, "pRemoteAdress");
    EXPECT_EQ(a.value, "127.0.0.1=x");
    a = parsePropertyAssignment("pComPort=");
    EXPECT_EQ(a.value, "");
}

TEST(PropertyAssignmentParse, MalformedIsAUsageError) {
    for (const char *bad : {"pVerbose", "=1", ".pVerbose=1", "decoder.=1", ""}) {
        try {
            parsePropertyAssignment(bad);
            ADD_FAILURE() << bad;
        } catch (const ToolError &e) {
            EXPECT_EQ(e.status(), kExitUsage);
            EXPECT_NE(std::string(e.what()).find(std::string("\"") + bad + "\""), std::string::npos) << e.what();
        }
    }
}

class Resolution : public testing::Test {
protected:
    std::vector<InstanceProperties> instances{
        {"reader", {{"pAlive", PropertyKind::Bool, {}}, {"pEkfNav", PropertyKind::Enum, {"Disabled"}}}},
        {"decoder",
         {{"pAlive", PropertyKind::Bool, {}},
          {"pEkfNav", PropertyKind::Enum, {"Disabled", "Enabled"}},
          {"pVerbose", PropertyKind::Bool, {}}}}};

    std::string errorOf(const char *arg) {
        try {
            resolvePropertyAssignment(instances, parsePropertyAssignment(arg));
        } catch (const ToolError &e) {
            EXPECT_EQ(e.status(), kExitUsage);
            return e.what();
        }
        return "no error";
    }
};

TEST_F(Resolution, PrefixOrUniqueName) {
    auto r = resolvePropertyAssignment(instances, parsePropertyAssignment("pVerbose=0"));
    EXPECT_EQ(r.instanceIndex, 1u);
    EXPECT_EQ(r.property->name, "pVerbose");
    r = resolvePropertyAssignment(instances, parsePropertyAssignment("reader.pEkfNav=Disabled"));
    EXPECT_EQ(r.instanceIndex, 0u);
    EXPECT_EQ(r.property, &instances[0].properties[1]);
    r = resolvePropertyAssignment(instances, parsePropertyAssignment("decoder.pEkfNav=1"));
    EXPECT_EQ(r.property, &instances[1].properties[1]);
}

TEST_F(Resolution, ErrorsNameTheProperty) {
    EXPECT_EQ(errorOf("pEkfNav=1"), "ambiguous property \"pEkfNav\": give one of reader.pEkfNav, decoder.pEkfNav");
    EXPECT_EQ(errorOf("pNope=1"), "unknown property \"pNope\"");
    EXPECT_EQ(errorOf("reader.pVerbose=1"), "unknown property \"reader.pVerbose\"");
    EXPECT_EQ(errorOf("sim.pAlive=1"), "unknown instance \"sim\" in \"sim.pAlive=1\" (instances: reader, decoder)");
}

TEST(PackageChoice, OptionThenEnvironmentThenBesideTheTool) {
    EXPECT_EQ(choosePackage("/a/zuv.pck", "/b/zuv.pck", "/c").path, "/a/zuv.pck");
    EXPECT_EQ(choosePackage("", "/b/zuv.pck", "/c").path, "/b/zuv.pck");
    EXPECT_EQ(choosePackage("", "/b/zuv.pck", "/c").source, "ZUV_PACKAGE");
    EXPECT_EQ(choosePackage("", "", "/c").path, "/c/zuv.pck");
    EXPECT_EQ(choosePackage("", nullptr, "/c").path, "/c/zuv.pck");
    EXPECT_FALSE(executableDir().empty());
}

// Without option or variable: beside the tool (a build tree) wins over the
// install location relative to it; with neither, the message names both.
struct DefaultPackageCase {
    std::string name;
    std::set<std::string> files;  // "INSTALLED" stands for the install location
    std::string path;
    std::string source;
};

void PrintTo(const DefaultPackageCase &c, std::ostream *os) {
    *os << c.name;
}

std::string installedBeside(const std::string &exeDir) {
    return (std::filesystem::path(exeDir) / kInstalledPackageDir / "zuv.pck").lexically_normal().string();
}

std::string expand(std::string text) {
    const size_t at = text.find("INSTALLED");
    return at == std::string::npos ? text : text.replace(at, 9, installedBeside("/opt/x/bin"));
}

class DefaultPackage : public ::testing::TestWithParam<DefaultPackageCase> {};

TEST_P(DefaultPackage, BesideThenInstalledLocation) {
    const DefaultPackageCase &c = GetParam();
    std::set<std::string> files;
    for (const std::string &f : c.files) files.insert(expand(f));
    const auto exists = [&files](const std::string &path) { return files.count(path) != 0; };
    const PackageChoice choice = choosePackage("", nullptr, "/opt/x/bin", exists);
    EXPECT_EQ(choice.path, expand(c.path));
    EXPECT_EQ(choice.source, expand(c.source));
    EXPECT_EQ(installedBeside("/opt/x/bin").rfind("/opt/x/", 0), 0u) << "installed under the same prefix";
}

INSTANTIATE_TEST_SUITE_P(
    PackageChoice, DefaultPackage,
    ::testing::Values(
        DefaultPackageCase{"BuildTree", {"/opt/x/bin/zuv.pck", "INSTALLED"}, "/opt/x/bin/zuv.pck", "beside the tool"},
        DefaultPackageCase{"Installed", {"INSTALLED"}, "INSTALLED", "installed with the tool"},
        DefaultPackageCase{
            "Neither", {"/opt/x/zuv.pck"}, "/opt/x/bin/zuv.pck", "beside the tool, nor found at INSTALLED"}),
    [](const ::testing::TestParamInfo<DefaultPackageCase> &param) { return param.param.name; });

}  // namespace
}  // namespace zuv::test
