#include "packageLocator.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace zuv::tool {

PackageChoice choosePackage(const std::string &option, const char *environment, const std::string &exeDir) {
    if (!option.empty()) return {option, "--package"};
    if (environment != nullptr && *environment != '\0') return {environment, "ZUV_PACKAGE"};
    return {(exeDir.empty() ? std::string(".") : exeDir) + "/zuv.pck", "beside the tool"};
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
