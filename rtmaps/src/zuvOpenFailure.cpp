#include "zuvOpenFailure.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace zuv {

std::string DeviceGroup(const std::string &path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        std::vector<char> buffer(4096);
        group entry{};
        group *found = nullptr;
        if (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
            found->gr_name != nullptr) {
            return found->gr_name;
        }
    }
    return "dialout";
}

std::string OpenFailureReason(int osError, const std::string &serialPort) {
    if (osError == 0) {
        return {};
    }
    std::string text = "The system said: " + std::error_code(osError, std::system_category()).message() + ".";
    if (osError == EACCES && !serialPort.empty()) {
        const std::string group = DeviceGroup(serialPort);
        text += " Members of the group " + group + " may open " + serialPort + ": join it with `sudo usermod -aG " +
                group + " $USER`, then log in again.";
    }
    return text;
}

}  // namespace zuv
