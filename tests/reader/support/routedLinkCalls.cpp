#include "routedLinkCalls.h"

#include <map>
#include <mutex>
#include <vector>

#include "zuvInterfaceSerial.h"

namespace zuv::test {
namespace {

struct Routes {
    std::mutex mutex;
    std::map<std::string, std::string> serial;
    std::function<void()> afterPresenceCheck;
    std::vector<std::string> attempts;
};

Routes &routes() {
    static Routes r;
    return r;
}

ZuvErrorCode routedSerialCreate(ZuvInterface *pInterface, const char *deviceName, uint32_t baudRate) {
    std::string target;
    {
        std::lock_guard<std::mutex> lock(routes().mutex);
        routes().attempts.emplace_back(deviceName != nullptr ? deviceName : "");
        const auto it = routes().serial.find(routes().attempts.back());
        if (it == routes().serial.end()) {
            return ZUV_ERROR;
        }
        target = it->second;
    }
    return ZuvLibraryLinkCalls().serialCreate(pInterface, target.c_str(), baudRate);
}

ZuvErrorCode checkedGetInfo(ZuvEComHandle *pHandle, ZuvEComDeviceInfo *pInfo) {
    const ZuvErrorCode rc = ZuvLibraryLinkCalls().getInfo(pHandle, pInfo);
    std::function<void()> after;
    {
        std::lock_guard<std::mutex> lock(routes().mutex);
        after = routes().afterPresenceCheck;
    }
    if (rc == ZUV_NO_ERROR && after) {
        after();
    }
    return rc;
}

}  // namespace

const ZuvLinkCalls &RoutedLinkCalls() {
    static const ZuvLinkCalls calls = [] {
        ZuvLinkCalls c = ZuvLibraryLinkCalls();
        c.serialCreate = &routedSerialCreate;
        c.getInfo = &checkedGetInfo;
        return c;
    }();
    return calls;
}

void RouteSerial(const std::string &name, const std::string &target) {
    std::lock_guard<std::mutex> lock(routes().mutex);
    routes().serial[name] = target;
}

void ClearRoutes() {
    std::lock_guard<std::mutex> lock(routes().mutex);
    routes().serial.clear();
    routes().afterPresenceCheck = nullptr;
    routes().attempts.clear();
}

void AfterPresenceCheck(std::function<void()> action) {
    std::lock_guard<std::mutex> lock(routes().mutex);
    routes().afterPresenceCheck = std::move(action);
}

std::vector<std::string> SerialOpenAttempts() {
    std::lock_guard<std::mutex> lock(routes().mutex);
    return routes().attempts;
}

}  // namespace zuv::test
