#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "zuvInterface.h"
#include "zuvPlatform.h"

namespace zuv::test {
namespace {

const std::set<std::string> kPlainHelpers = {
    "zuvCrc16Initialize",    "zuvCrc16Update",         "zuvCrc16Compute",   "zuvCrc32Initialize",
    "zuvCrc32Update",        "zuvCrc32Compute",        "zuvGetTime",        "zuvSleep",
    "zuvNetworkIpToString",  "zuvNetworkIpFromString", "zuvIpNetMaskValid", "zuvCommonLibSetLogCallback",
    "zuvPlatformDebugLogMsg"};
const std::set<std::string> kEntryPoints = {"MAPSPckInit", "MAPSGetModulesDefStruct"};

// name -> value of every symbol `nm` lists with the given options.
std::multimap<std::string, std::pair<char, unsigned long>> symbols(const std::string &options, const char *path) {
    std::multimap<std::string, std::pair<char, unsigned long>> out;
    const std::string command = "nm " + options + " --defined-only '" + path + "' 2>/dev/null";
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    char line[1024];
    while (std::fgets(line, sizeof(line), pipe) != nullptr) {
        std::istringstream fields(line);
        std::string value, type, name;
        if (fields >> value >> type >> name) {
            out.emplace(name, std::make_pair(type[0], std::stoul(value, nullptr, 16)));
        }
    }
    pclose(pipe);
    return out;
}

std::set<std::string> dynamicNames(const char *path) {
    std::set<std::string> names;
    for (const auto &entry : symbols("-D", path)) {
        names.insert(entry.first);
    }
    return names;
}

TEST(PackageSymbols, ExportsExactlyTheHelpersAndTheEntryPoints) {
    const std::set<std::string> exported = dynamicNames(ZUV_PCK_PATH);
    ASSERT_FALSE(exported.empty()) << "nm found nothing in " << ZUV_PCK_PATH;
    for (const std::string &helper : kPlainHelpers) {
        EXPECT_EQ(exported.count(helper), 1u) << helper << " is not exported";
    }
    for (const std::string &name : exported) {
        EXPECT_TRUE(kPlainHelpers.count(name) == 1 || kEntryPoints.count(name) == 1) << "stray export: " << name;
    }
}

TEST(PackageSymbols, LibraryExportsOnlyItsOwnApiAndNoHelper) {
    const std::set<std::string> exported = dynamicNames(ZUV_LIB_PATH);
    ASSERT_FALSE(exported.empty());
    for (const std::string &name : exported) {
        EXPECT_EQ(name.rfind("zuv", 0), 0u) << "stray export: " << name;
        EXPECT_EQ(kPlainHelpers.count(name), 0u) << "the library shadows the package's " << name;
    }
}

class LoadedPackage : public ::testing::Test {
protected:
    void SetUp() override {
        handle = dlopen(ZUV_PCK_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
    }
    void TearDown() override {
        zuvLibSharedLogCallbackSet(nullptr);
        if (handle != nullptr) {
            dlclose(handle);
        }
    }
    template <typename F>
    F helper(const char *name) {
        void *symbol = dlsym(handle, name);
        EXPECT_NE(symbol, nullptr) << name;
        return reinterpret_cast<F>(symbol);
    }
    void *handle = nullptr;
};

TEST_F(LoadedPackage, HelpersWorkThroughDlsym) {
    auto crc16 = helper<uint16_t (*)(const void *, size_t)>("zuvCrc16Compute");
    auto crc32 = helper<uint32_t (*)(const void *, size_t)>("zuvCrc32Compute");
    auto ipFromString = helper<uint32_t (*)(const char *)>("zuvNetworkIpFromString");
    auto maskValid = helper<bool (*)(uint32_t)>("zuvIpNetMaskValid");
    ASSERT_TRUE(crc16 && crc32 && ipFromString && maskValid);
    EXPECT_EQ(crc16("123456789", 9), 0x2189);
    EXPECT_EQ(crc32("abc", 3), 0x914026ECu);
    EXPECT_EQ(ipFromString("10.0.0.1"), 0x0100000Au);
    EXPECT_FALSE(maskValid(0x00FF00FFu));
}

int gCalls = 0;
std::string gLastMessage;
void recordLog(const char *, const char *, uint32_t, const char *, ZuvDebugLogType, ZuvErrorCode, const char *message) {
    ++gCalls;
    gLastMessage = message;
}

// One slot for the process: what the package installs, the library's own copy of
// the helpers uses too.
TEST_F(LoadedPackage, OneLogCallbackServesPackageAndLibrary) {
    auto setCallback = helper<void (*)(ZuvCommonLibLogFunc)>("zuvCommonLibSetLogCallback");
    auto packageLog = helper<void (*)(const char *, const char *, uint32_t, const char *, ZuvDebugLogType, ZuvErrorCode,
                                      const char *, ...)>("zuvPlatformDebugLogMsg");
    ASSERT_TRUE(setCallback && packageLog);
    gCalls = 0;
    setCallback(recordLog);
    EXPECT_EQ(zuvLibSharedLogCallbackGet(), &recordLog);

    packageLog("f", "g", 1, "c", ZUV_LOG_INFO, ZUV_NO_ERROR, "from the package %d", 1);
    EXPECT_EQ(gCalls, 1);
    EXPECT_EQ(gLastMessage, "from the package 1");

    // The library's copy is hidden; find it through the full symbol table.
    const auto local = symbols("", ZUV_LIB_PATH);
    const auto own = local.find("zuvPlatformDebugLogMsg");
    const auto anchor = local.find("zuvInterfaceZeroInit");
    if (own == local.end() || anchor == local.end()) {
        GTEST_SKIP() << "libzuvLib.so carries no full symbol table (stripped)";
    }
    EXPECT_EQ(own->second.first, 't') << "the library's copy should be local";
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void *>(&zuvInterfaceZeroInit), &info), 0);
    ASSERT_EQ(reinterpret_cast<uintptr_t>(info.dli_fbase) + anchor->second.second,
              reinterpret_cast<uintptr_t>(&zuvInterfaceZeroInit));
    using LogFunc =
        void (*)(const char *, const char *, uint32_t, const char *, ZuvDebugLogType, ZuvErrorCode, const char *, ...);
    const auto libraryLog = reinterpret_cast<LogFunc>(reinterpret_cast<uintptr_t>(info.dli_fbase) + own->second.second);
    libraryLog("f", "g", 2, "c", ZUV_LOG_INFO, ZUV_NO_ERROR, "from the library %d", 2);
    EXPECT_EQ(gCalls, 2);
    EXPECT_EQ(gLastMessage, "from the library 2");
}

}  // namespace
}  // namespace zuv::test
