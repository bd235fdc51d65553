// How the tool fails: a ToolError carries the exit status and a one-line message
// that main prints as "zuv: MESSAGE". Exit statuses: 0 success, 1 the run
// failed, 2 a usage error.
// Threading: plain values.
#pragma once

#include <stdexcept>
#include <string>

namespace zuv::tool {

enum ExitStatus : int { kExitOk = 0, kExitRunFailed = 1, kExitUsage = 2 };

class ToolError : public std::runtime_error {
public:
    ToolError(int status, const std::string &message) : std::runtime_error(message), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};

inline ToolError usageError(const std::string &message) {
    return ToolError(kExitUsage, message);
}
inline ToolError runError(const std::string &message) {
    return ToolError(kExitRunFailed, message);
}

}  // namespace zuv::tool
