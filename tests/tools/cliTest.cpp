// The zuv program itself, run as a child process: exit statuses and messages.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "toolTestFiles.h"

namespace zuv::test {

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs zuv with `args`; `packageEnv` null leaves ZUV_PACKAGE unset.
Outcome runZuv(const std::vector<std::string> &args, const char *packageEnv = nullptr) {
    TempPath out("zuv_cli_out"), err("zuv_cli_err");
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen(out.path().c_str(), "w", stdout) || !freopen(err.path().c_str(), "w", stderr)) _exit(127);
        if (packageEnv != nullptr) {
            setenv("ZUV_PACKAGE", packageEnv, 1);
        } else {
            unsetenv("ZUV_PACKAGE");
        }
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(ZUV_TOOL));
        for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(ZUV_TOOL, argv.data());
        _exit(127);
    }
    Outcome o;
    int wstatus = 0;
    if (pid > 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) o.status = WEXITSTATUS(wstatus);
    o.out = out.text();
    o.err = err.text();
    return o;
}

struct CliCase {
    const char *name;
    std::vector<std::string> args;
    int status;
    const char *errorText;
};

void PrintTo(const CliCase &c, std::ostream *os) {
    *os << c.name;
}

class CliStatus : public testing::TestWithParam<CliCase> {};

TEST_P(CliStatus, ExitStatusAndMessage) {
    std::vector<std::string> args = {"--package", ZUV_TEST_PACKAGE};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    Outcome o = runZuv(args);
    EXPECT_EQ(o.status, GetParam().status) << o.err;
    EXPECT_NE(o.err.find(GetParam().errorText), std::string::npos) << o.err;
    if (GetParam().status != 0) {
        EXPECT_EQ(o.out, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Usage, CliStatus,
    testing::Values(
        CliCase{"NoSubcommand", {}, 2, "subcommand is required"},
        CliCase{"UnknownSubcommand", {"frobnicate"}, 2, "zuv: unknown subcommand \"frobnicate\""},
        CliCase{"MissingModel", {"describe"}, 2, "MODEL is required"},
        CliCase{"UnknownOption", {"describe", "TestDynamic", "--bogus"}, 2, "--bogus"},
        CliCase{"PropertyWithoutValue", {"describe", "TestDynamic", "-p"}, 2, "-p"},
        CliCase{"MalformedProperty",
                {"describe", "TestDynamic", "-p", "pExtra"},
                2,
                "zuv: property \"pExtra\": expected [INSTANCE.]NAME=VALUE"},
        CliCase{"UnknownProperty", {"describe", "TestDynamic", "-p", "pNope=1"}, 2, "zuv: unknown property \"pNope\""},
        CliCase{"UnknownInstance",
                {"describe", "TestDynamic", "-p", "reader.pExtra=1"},
                2,
                "zuv: unknown instance \"reader\""},
        CliCase{"PropertyCreatedLater",
                {"describe", "TestDynamic", "-p", "pExtraValue=1", "-p", "pExtra=true"},
                2,
                "zuv: unknown property \"pExtraValue\""},
        CliCase{"ValueDoesNotFit",
                {"describe", "TestDynamic", "-p", "pMode=Loud"},
                2,
                "zuv: \"Loud\" does not fit instance.pMode (enumeration"},
        CliCase{"UnknownModel", {"describe", "ZUV_Nothing"}, 2, "zuv: unknown model \"ZUV_Nothing\""},
        CliCase{"DurationNan",
                {"live", "--port", "/dev/null", "--duration", "nan"},
                2,
                "\"nan\" is not a finite number of seconds"},
        CliCase{"DurationTooLong",
                {"record", "--port", "/dev/null", "--out", "x.zrec", "--duration", "1e13"},
                2,
                "1e13 must be at most 3155760000 seconds (about 100 years)"},
        CliCase{"DurationNegative",
                {"live", "--port", "/dev/null", "--duration", "-1"},
                2,
                "-1 must be at least 0 seconds"},
        CliCase{"CountNegative", {"live", "--port", "/dev/null", "--count", "-1"}, 2, "-1 must be at least 1"},
        CliCase{"CountZero",
                {"record", "--port", "/dev/null", "--out", "x.zrec", "--count", "0"},
                2,
                "0 must be at least 1"},
        CliCase{"CountTooLarge",
                {"live", "--port", "/dev/null", "--count", "9223372036854775808"},
                2,
                "9223372036854775808 must be below 2^63"},
        CliCase{"DemoDurationInfinite", {"demo", "--duration", "inf"}, 2, "is not a finite number of seconds"},
        CliCase{"Help", {"--help"}, 0, ""}, CliCase{"SubcommandHelp", {"describe", "--help"}, 0, ""}),
    [](const testing::TestParamInfo<CliCase> &i) { return i.param.name; });

TEST(Cli, HelpNamesEverySubcommandOption) {
    Outcome o = runZuv({"--help-all"});
    EXPECT_EQ(o.status, 0);
    for (const char *text : {"describe", "--package", "-p,--property", "MODEL"}) {
        EXPECT_NE(o.out.find(text), std::string::npos) << text;
    }
}

TEST(Cli, PackageThatCannotBeLoadedIsARunFailure) {
    Outcome o = runZuv({"--package", "/nonexistent/zuv.pck", "describe", "TestDynamic"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("zuv: cannot load the package /nonexistent/zuv.pck (--package)"), std::string::npos) << o.err;
    o = runZuv({"describe", "TestDynamic"}, "/nonexistent/env.pck");
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("/nonexistent/env.pck (ZUV_PACKAGE)"), std::string::npos) << o.err;
}

TEST(Cli, DescribeAppliesPropertiesInOrder) {
    // ZUV_PACKAGE names the package; the option may follow the subcommand too.
    Outcome o =
        runZuv({"describe", "TestDynamic", "-p", "pExtra=true", "-p", "instance.pExtraValue=9", "-p", "pMode=Text"},
               ZUV_TEST_PACKAGE);
    ASSERT_EQ(o.status, 0) << o.err;
    ASSERT_EQ(o.out.back(), '\n');
    EXPECT_EQ(o.out.find('\n'), o.out.size() - 1) << "one line";
    auto j = nlohmann::ordered_json::parse(o.out);
    EXPECT_EQ(j["model"], "TestDynamic");
    EXPECT_EQ(j["inputs"][1]["name"], "iExtra");
    EXPECT_EQ(j["outputs"][1]["name"], "oText");
    EXPECT_EQ(j["properties"][0]["value"], "Text");
    EXPECT_EQ(j["properties"][6]["name"], "pExtraValue");
    EXPECT_EQ(j["properties"][6]["value"], 9);

    Outcome late = runZuv({"describe", "TestLifecycle", "--package", ZUV_TEST_PACKAGE});
    ASSERT_EQ(late.status, 0) << late.err;
    EXPECT_EQ(nlohmann::json::parse(late.out)["actions"], nlohmann::json::array({"aMark"}));
}

}  // namespace
}  // namespace zuv::test
