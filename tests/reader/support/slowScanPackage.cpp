// Built into a test copy of the package whose /dev/ttyUSB scan takes minutes:
// every port opens and its device-information query times out after 100 ms,
// as a port with nothing behind it does. Loaded by `zuv --package` in a child
// process, so the table is installed when the package is loaded.
#include <chrono>
#include <thread>

#include "zuvReaderLinkCalls.h"

namespace zuv::test {
namespace {

const ZuvLinkCalls kSlowScan = {
    [](ZuvInterface *, const char *, uint32_t) { return ZUV_NO_ERROR; },
    [](ZuvInterface *) { return ZUV_NO_ERROR; },
    [](ZuvInterface *, uint32_t, uint32_t, uint32_t) { return ZUV_NO_ERROR; },
    [](ZuvInterface *) { return ZUV_NO_ERROR; },
    [](ZuvEComHandle *, ZuvInterface *) { return ZUV_NO_ERROR; },
    [](ZuvEComHandle *) { return ZUV_NO_ERROR; },
    [](ZuvEComHandle *, ZuvEComReceiveLogFunc, void *) { return ZUV_NO_ERROR; },
    [](ZuvEComHandle *, ZuvEComDeviceInfo *) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return ZUV_TIME_OUT;
    },
    [](ZuvEComHandle *) { return ZUV_NO_ERROR; },
};

const struct InstallSlowScan {
    InstallSlowScan() { zuv::SetReaderLinkCalls(&kSlowScan); }
} gInstallSlowScan;

}  // namespace
}  // namespace zuv::test
