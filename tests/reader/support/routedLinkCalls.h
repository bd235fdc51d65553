// Library calls for the reader's device link in tests: "/dev/ttyUSB<n>" names
// are routed to simulator pseudo-terminals, every other serial name fails
// without touching /dev; the rest is the zuvECom library itself.
#pragma once

#include <functional>
#include <string>

#include "ZuvLinkCalls.h"

namespace zuv::test {

const ZuvLinkCalls &RoutedLinkCalls();
// Serial opens of `name` go to `target` instead.
void RouteSerial(const std::string &name, const std::string &target);
void ClearRoutes();
// Runs after each successful presence check (for a device that answers its
// presence check, then refuses what follows).
void AfterPresenceCheck(std::function<void()> action);
// Serial names the reader tried to open, in order.
std::vector<std::string> SerialOpenAttempts();

}  // namespace zuv::test
