#include "toolContext.h"

#include <cstdio>

namespace zuv::tool {

void ToolContext::report(std::string_view instance, int level, std::string_view text) {
    status.printAbove([&] { reports.print(instance, level, text); });
}

void ToolContext::printError(std::string_view message) {
    status.printAbove([&] {
        std::fprintf(errorStream, "zuv: %.*s\n", static_cast<int>(message.size()), message.data());
        std::fflush(errorStream);
    });
}

}  // namespace zuv::tool
