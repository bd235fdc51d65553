// Package entry points and registration, driven through dlopen with fake kernels.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "maps_kernel.h"

namespace zuv::test {
namespace {

struct Package {
    explicit Package(const char *path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
        if (handle) {
            init = reinterpret_cast<MAPSPckInitFunction>(dlsym(handle, "MAPSPckInit"));
            list = reinterpret_cast<MAPSGetModulesDefStructFunction>(dlsym(handle, "MAPSGetModulesDefStruct"));
        }
    }
    void *handle;
    MAPSPckInitFunction init = nullptr;
    MAPSGetModulesDefStructFunction list = nullptr;
};

// A kernel that records reports and answers every query with "nothing".
std::vector<std::string> gReportsA;
std::vector<std::string> gReportsB;

MAPSKernelInterface FakeKernel(void (*report)(MAPSHostInstance *, const char *, int)) {
    MAPSKernelInterface k{};
    k.size = sizeof k;
    k.report = report;
    k.error = [](MAPSHostInstance *, const char *) {};
    k.commitSuicide = [](MAPSHostInstance *) { return 0; };
    k.isDying = [](MAPSHostInstance *) { return 1; };
    k.isRunning = [](MAPSHostInstance *) { return 0; };
    k.rest = [](MAPSHostInstance *, int64_t) {};
    k.currentTime = [] { return int64_t{0}; };
    k.instanceName = [](MAPSHostInstance *) { return "fake"; };
    k.rename = [](MAPSHostInstance *, const char *) { return 0; };
    k.createThread = [](MAPSHostInstance *, void *) { return -1; };
    k.findInput = [](MAPSHostInstance *, const char *) -> MAPSInput * { return nullptr; };
    k.findOutput = [](MAPSHostInstance *, const char *) -> MAPSOutput * { return nullptr; };
    k.findProperty = [](MAPSHostInstance *, const char *) -> MAPSProperty * { return nullptr; };
    k.newInput = [](MAPSHostInstance *, const char *, const char *) -> MAPSInput * { return nullptr; };
    k.newOutput = [](MAPSHostInstance *, const char *, const char *) -> MAPSOutput * { return nullptr; };
    k.newProperty = [](MAPSHostInstance *, const char *, const char *) -> MAPSProperty * { return nullptr; };
    k.startWriting = [](MAPSHostInstance *, MAPSOutput *, MAPSIOElt **e) {
        *e = nullptr;
        return MAPS_KERNEL_OK;
    };
    k.stopWriting = [](MAPSHostInstance *, MAPSIOElt *, int) { return 0; };
    k.startReading = [](MAPSHostInstance *, MAPSInput *, MAPSIOElt **) { return MAPS_KERNEL_UNWIND; };
    k.getProperty = [](MAPSHostInstance *, MAPSProperty *, MAPSKernelValue *) { return -1; };
    k.setProperty = [](MAPSHostInstance *, MAPSProperty *, const MAPSKernelValue *) { return -1; };
    return k;
}

MAPSKernelInterface gKernelA = FakeKernel([](MAPSHostInstance *, const char *t, int) { gReportsA.push_back(t); });
MAPSKernelInterface gKernelB = FakeKernel([](MAPSHostInstance *, const char *t, int) { gReportsB.push_back(t); });

MAPSModuleDefinition *FindModule(Package &package, const std::string &model) {
    MAPSModuleDefinition *modules[16] = {};
    int n = package.list(nullptr, modules, 16);
    for (int i = 0; i < n; ++i)
        if (model == static_cast<MAPSComponentDefinition *>(modules[i]->userData)->name) return modules[i];
    return nullptr;
}

}  // namespace

TEST(PackageEntryPoints, InitAcceptsOnlyTheHostVersionAndKeepsTheFirstKernel) {
    Package package(ZUV_TEST_PACKAGE);
    ASSERT_NE(package.handle, nullptr) << dlerror();
    ASSERT_NE(package.init, nullptr);
    EXPECT_EQ(package.init(&gKernelA, 525623), 0);
    EXPECT_EQ(package.init(&gKernelA, 525625), 0);
    EXPECT_EQ(package.init(&gKernelA, 0), 0);
    EXPECT_EQ(package.init(nullptr, 525624), 0);
    EXPECT_EQ(package.init(&gKernelA, 525624), 4);
    EXPECT_EQ(package.init(&gKernelB, 525624), 4);  // accepted, but A stays

    // A component created now talks to kernel A only.
    MAPSModuleDefinition *module = FindModule(package, "TestLifecycle");
    ASSERT_NE(module, nullptr);
    auto *definition = static_cast<MAPSComponentDefinition *>(module->userData);
    MAPSHostInstance *fakeHost = reinterpret_cast<MAPSHostInstance *>(&gKernelA);
    MAPSComponent *component = module->glue->create(definition, "x", fakeHost);
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(module->glue->action(component, 0), MAPS_GLUE_RETURNED);
    module->glue->destroy(component);
    EXPECT_EQ(gReportsB.size(), 0u);
    ASSERT_EQ(gReportsA.size(), 2u);
    EXPECT_EQ(gReportsA[0], "action while stopped");
    EXPECT_EQ(gReportsA[1], "Property pLive does not exist");
}

TEST(PackageEntryPoints, ModuleCountsPerCategory) {
    Package package(ZUV_TEST_PACKAGE);
    ASSERT_NE(package.list, nullptr);
    EXPECT_EQ(package.list(nullptr, nullptr, 0), 5);
    EXPECT_EQ(package.list("MAPSComponent", nullptr, 0), 5);
    EXPECT_EQ(package.list("MAPSOther", nullptr, 0), -1);
    EXPECT_EQ(package.list("", nullptr, 0), -1);

    MAPSModuleDefinition *modules[8] = {};
    EXPECT_EQ(package.list("MAPSOther", modules, 8), -1);
    EXPECT_EQ(package.list(nullptr, modules, 0), 0);
    EXPECT_EQ(package.list(nullptr, modules, 2), 2);
    EXPECT_NE(modules[1], nullptr);
    EXPECT_EQ(modules[2], nullptr);  // nothing written past count
    ASSERT_EQ(package.list("MAPSComponent", modules, 8), 5);
    std::set<std::string> models;
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(modules[i]->category, "MAPSComponent");
        auto *definition = static_cast<MAPSComponentDefinition *>(modules[i]->userData);
        EXPECT_STREQ(definition->version, "1.0");
        EXPECT_EQ(std::string(modules[i]->className), definition->name);  // test classes carry the model name
        EXPECT_EQ(modules[i]->glue->abi, MAPS_GLUE_ABI);
        models.insert(definition->name);
    }
    EXPECT_EQ(models,
              (std::set<std::string>{"TestLifecycle", "TestDynamic", "TestCounter", "TestEcho", "TestProperties"}));
}

TEST(PackageEntryPoints, OnlyTheEntryPointsAreExported) {
    Package package(ZUV_TEST_PACKAGE);
    ASSERT_NE(package.handle, nullptr);
    EXPECT_EQ(dlsym(package.handle, "_ZN10MAPSModule6ReportEPKcii"), nullptr);
    EXPECT_EQ(dlsym(package.handle, "_ZN4MAPS11CurrentTimeEbb"), nullptr);
}

TEST(PackageEntryPoints, MarkerStringsStayInTheBinary) {
    std::ifstream file(ZUV_TEST_PACKAGE, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (const char *model : {"TestLifecycle", "TestDynamic", "TestCounter", "TestEcho", "TestProperties"}) {
        std::string marker = std::string("$!MAPS_MODULE!MAPSComponent!") + model + "!$!1.0!$";
        EXPECT_NE(bytes.find(marker), std::string::npos) << marker;
    }
}

TEST(PackageEntryPoints, DuplicateRegistrationIsRefusedWithTheHostMessage) {
    // Capture what the library's static initialisers print while it loads.
    char path[] = "/tmp/zuv_dup_XXXXXX";
    int capture = mkstemp(path);
    ASSERT_GE(capture, 0);
    std::fflush(stderr);
    int saved = dup(STDERR_FILENO);
    dup2(capture, STDERR_FILENO);
    Package package(ZUV_TEST_DUPLICATE);
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(capture);
    std::ifstream file(path);
    std::string printed((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    unlink(path);

    ASSERT_NE(package.handle, nullptr);
    EXPECT_EQ(printed, "Module TestTwice already referenced in the category MAPSComponent\n");
    EXPECT_EQ(package.list(nullptr, nullptr, 0), 1);
}

}  // namespace zuv::test
