// Which zuv.pck to load: --package PATH, else $ZUV_PACKAGE, else the zuv.pck
// beside the running executable.
// Errors: none here; loading reports a missing or unusable file. An empty
// option or variable counts as not given. Threading: pure apart from reading
// the environment and /proc/self/exe.
#pragma once

#include <string>

namespace zuv::tool {

struct PackageChoice {
    std::string path;
    std::string source;  // "--package", "ZUV_PACKAGE" or "beside the tool", for messages
};

PackageChoice choosePackage(const std::string &option, const char *environment, const std::string &exeDir);
std::string executableDir();
PackageChoice locatePackage(const std::string &option);

}  // namespace zuv::tool
