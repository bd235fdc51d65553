// A recording stand-in for the library calls of the device link.
//
// It plays a set of serial ports, each answering at some baud rates, and a UDP
// peer; it records every open, probe and close in order, can make any call fail
// with a chosen code, and keeps count of what is open so that a test can check
// that every failing step cleaned up after itself.
// Threading: one double at a time, used from the test's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ZuvLinkCalls.h"

namespace zuv::test {

class LinkCallsDouble {
public:
    LinkCallsDouble();
    ~LinkCallsDouble();
    LinkCallsDouble(const LinkCallsDouble &) = delete;
    LinkCallsDouble &operator=(const LinkCallsDouble &) = delete;

    const ZuvLinkCalls &calls() const { return calls_; }

    // A port that opens; the device behind it answers at `rates` (none: a port with nothing on it).
    void addPort(const std::string &path, std::set<uint32_t> rates = {});
    // The n-th call (1-based) named `name` from now on fails with `code`; 0 makes every such call fail.
    void failCall(const std::string &name, ZuvErrorCode code, int nth = 0);
    // Runs before each pump returns `pumpResult`.
    std::function<void(ZuvEComHandle *)> onPump;
    ZuvErrorCode pumpResult = ZUV_NO_ERROR;

    // Every call but the pumps, e.g. "serialCreate /dev/ttyUSB0 921600", "init", "close".
    const std::vector<std::string> &log() const { return log_; }
    void clearLog() { log_.clear(); }
    std::vector<std::string> callsNamed(const std::string &name) const;
    int pumps() const { return pumps_; }
    int openInterfaces() const { return openInterfaces_; }
    int openHandles() const { return openHandles_; }
    // Calls that would have been faults in the library: destroying what is not open, and so on.
    const std::vector<std::string> &misuse() const { return misuse_; }
    // What the last successful setCallback registered.
    ZuvEComReceiveLogFunc registeredCallback() const { return callback_; }
    void *registeredUserArg() const { return userArg_; }

private:
    ZuvErrorCode scripted(const std::string &name);
    static LinkCallsDouble &current();

    static ZuvErrorCode serialCreate(ZuvInterface *, const char *device, uint32_t rate);
    static ZuvErrorCode serialDestroy(ZuvInterface *);
    static ZuvErrorCode udpCreate(ZuvInterface *, uint32_t address, uint32_t remotePort, uint32_t localPort);
    static ZuvErrorCode udpDestroy(ZuvInterface *);
    static ZuvErrorCode init(ZuvEComHandle *, ZuvInterface *);
    static ZuvErrorCode close(ZuvEComHandle *);
    static ZuvErrorCode setCallback(ZuvEComHandle *, ZuvEComReceiveLogFunc, void *);
    static ZuvErrorCode getInfo(ZuvEComHandle *, ZuvEComDeviceInfo *);
    static ZuvErrorCode pump(ZuvEComHandle *);

    struct Failure {
        ZuvErrorCode code;
        int nth;  // 0: always
        int seen = 0;
    };

    ZuvLinkCalls calls_;
    std::map<std::string, std::set<uint32_t>> ports_;
    std::map<std::string, Failure> failures_;
    std::vector<std::string> log_;
    std::vector<std::string> misuse_;
    std::string openPath_;
    uint32_t openRate_ = 0;
    bool udpOpen_ = false;
    int openInterfaces_ = 0;
    int openHandles_ = 0;
    int pumps_ = 0;
    ZuvEComReceiveLogFunc callback_ = nullptr;
    void *userArg_ = nullptr;
};

}  // namespace zuv::test
