#include "outputFailure.h"

#include <cerrno>

#include "stopSignal.h"
#include "toolError.h"

namespace zuv::tool {

std::function<void(const std::string &)> OutputFailure::handler() {
    return [this](const std::string &) {
        failed_.store(true);
        StopSignal::request();
    };
}

int OutputFailure::settle(ToolContext &context, bool closedOk, const std::string &error, int errorNumber, int status) {
    if (closedOk) return status;
    if (errorNumber == EPIPE) return status;
    context.printError(error);
    return kExitRunFailed;
}

}  // namespace zuv::tool
