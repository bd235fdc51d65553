#include "packageLocator.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#ifndef ZUV_INSTALLED_PACKAGE_DIR
#define ZUV_INSTALLED_PACKAGE_DIR "../lib/zuv"
#endif

namespace zuv::tool {

// Set by the build from the install layout, so that the tool and its package move together.
const char *const kInstalledPackageDir = ZUV_INSTALLED_PACKAGE_DIR;

bool regularFileExists(const std::string &path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

PackageChoice choosePackage(const std::string &option, const char *environment, const std::string &exeDir,
                            const FileExists &exists) {
    if (!option.empty()) return {option, "--package"};
    if (environment != nullptr && *environment != '\0') return {environment, "ZUV_PACKAGE"};
    const std::string dir = exeDir.empty() ? std::string(".") : exeDir;
    const std::string beside = dir + "/zuv.pck";
    if (exists(beside)) return {beside, "beside the tool"};
    const std::string installed =
        (std::filesystem::path(dir) / kInstalledPackageDir / "zuv.pck").lexically_normal().string();
    if (exists(installed)) return {installed, "installed with the tool"};
    return {beside, "beside the tool, nor found at " + installed};
}

std::string executableDir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string path(buf, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

PackageChoice locatePackage(const std::string &option) {
    return choosePackage(option, std::getenv("ZUV_PACKAGE"), executableDir());
}

}  // namespace zuv::tool
