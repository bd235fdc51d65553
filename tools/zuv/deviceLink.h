// Opening the device link itself (no diagram) for the settings operations of
// `zuv config` and `zuv web`, from the same --port / --udp options.
// Errors: openLink throws ToolError: status 2 for options that cannot name a
// link, 1 when the port or socket cannot be opened or the device does not answer.
// Threading: one link per caller.
#pragma once

#include <string>

#include "ZuvCommunication.h"
#include "linkOptions.h"

namespace zuv::tool {

// "ZUV_TIME_OUT (5)"
std::string codeText(ZuvErrorCode code);
void openLink(CZuvCommunication &link, const LinkOptions &options);

}  // namespace zuv::tool
