// Which zuv.pck to load: --package PATH, else $ZUV_PACKAGE, else the zuv.pck
// beside the running executable (a build tree), else the one installed with
// it (kInstalledPackageDir, relative to the executable's folder).
// Errors: none here; loading reports a missing or unusable file. An empty
// option or variable counts as not given. Threading: pure apart from reading
// the environment, /proc/self/exe and whether the candidate files exist.
#pragma once

#include <functional>
#include <string>

namespace zuv::tool {

struct PackageChoice {
    std::string path;
    std::string source;  // "--package", "ZUV_PACKAGE", "beside the tool" or "installed with the tool", for messages
};

using FileExists = std::function<bool(const std::string &)>;

extern const char *const kInstalledPackageDir;

bool regularFileExists(const std::string &path);
PackageChoice choosePackage(const std::string &option, const char *environment, const std::string &exeDir,
                            const FileExists &exists = regularFileExists);
std::string executableDir();
PackageChoice locatePackage(const std::string &option);

}  // namespace zuv::tool
