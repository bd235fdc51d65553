#include "linkCallsDouble.h"

#include <stdexcept>

namespace zuv::test {
namespace {

LinkCallsDouble *gCurrent = nullptr;

}  // namespace

LinkCallsDouble::LinkCallsDouble()
    : calls_{serialCreate, serialDestroy, udpCreate, udpDestroy, init, close, setCallback, getInfo, pump} {
    if (gCurrent != nullptr) {
        throw std::logic_error("one LinkCallsDouble at a time");
    }
    gCurrent = this;
}

LinkCallsDouble::~LinkCallsDouble() {
    gCurrent = nullptr;
}

LinkCallsDouble &LinkCallsDouble::current() {
    if (gCurrent == nullptr) {
        throw std::logic_error("no LinkCallsDouble alive");
    }
    return *gCurrent;
}

void LinkCallsDouble::addPort(const std::string &path, std::set<uint32_t> rates) {
    ports_[path] = std::move(rates);
}

void LinkCallsDouble::failCall(const std::string &name, ZuvErrorCode code, int nth) {
    failures_[name] = Failure{code, nth};
}

std::vector<std::string> LinkCallsDouble::callsNamed(const std::string &name) const {
    std::vector<std::string> found;
    for (const std::string &entry : log_) {
        if (entry.compare(0, name.size(), name) == 0 && (entry.size() == name.size() || entry[name.size()] == ' ')) {
            found.push_back(entry);
        }
    }
    return found;
}

ZuvErrorCode LinkCallsDouble::scripted(const std::string &name) {
    auto it = failures_.find(name);
    if (it == failures_.end()) {
        return ZUV_NO_ERROR;
    }
    Failure &failure = it->second;
    ++failure.seen;
    return (failure.nth == 0 || failure.seen == failure.nth) ? failure.code : ZUV_NO_ERROR;
}

ZuvErrorCode LinkCallsDouble::serialCreate(ZuvInterface *, const char *device, uint32_t rate) {
    LinkCallsDouble &d = current();
    d.log_.push_back("serialCreate " + std::string(device) + " " + std::to_string(rate));
    if (d.openInterfaces_ != 0) {
        d.misuse_.push_back("serialCreate over an open interface");
    }
    const ZuvErrorCode rc = d.scripted("serialCreate");
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    if (d.ports_.count(device) == 0) {
        return ZUV_ERROR;  // no such device file
    }
    d.openPath_ = device;
    d.openRate_ = rate;
    d.udpOpen_ = false;
    ++d.openInterfaces_;
    return ZUV_NO_ERROR;
}

ZuvErrorCode LinkCallsDouble::serialDestroy(ZuvInterface *) {
    LinkCallsDouble &d = current();
    d.log_.push_back("serialDestroy");
    if (d.openInterfaces_ == 0 || d.udpOpen_) {
        d.misuse_.push_back("serialDestroy without an open serial interface");
        return ZUV_NULL_POINTER;
    }
    --d.openInterfaces_;
    d.openPath_.clear();
    return d.scripted("serialDestroy");
}

ZuvErrorCode LinkCallsDouble::udpCreate(ZuvInterface *, uint32_t address, uint32_t remotePort, uint32_t localPort) {
    LinkCallsDouble &d = current();
    d.log_.push_back("udpCreate " + std::to_string(address) + " " + std::to_string(remotePort) + " " +
                     std::to_string(localPort));
    if (d.openInterfaces_ != 0) {
        d.misuse_.push_back("udpCreate over an open interface");
    }
    const ZuvErrorCode rc = d.scripted("udpCreate");
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    d.udpOpen_ = true;
    ++d.openInterfaces_;
    return ZUV_NO_ERROR;
}

ZuvErrorCode LinkCallsDouble::udpDestroy(ZuvInterface *) {
    LinkCallsDouble &d = current();
    d.log_.push_back("udpDestroy");
    if (d.openInterfaces_ == 0 || !d.udpOpen_) {
        d.misuse_.push_back("udpDestroy without an open UDP interface");
        return ZUV_NULL_POINTER;
    }
    --d.openInterfaces_;
    d.udpOpen_ = false;
    return d.scripted("udpDestroy");
}

ZuvErrorCode LinkCallsDouble::init(ZuvEComHandle *, ZuvInterface *) {
    LinkCallsDouble &d = current();
    d.log_.push_back("init");
    if (d.openInterfaces_ == 0) {
        d.misuse_.push_back("init without an interface");
    }
    if (d.openHandles_ != 0) {
        d.misuse_.push_back("init over an open handle");
    }
    const ZuvErrorCode rc = d.scripted("init");
    if (rc == ZUV_NO_ERROR) {
        ++d.openHandles_;
    }
    return rc;
}

ZuvErrorCode LinkCallsDouble::close(ZuvEComHandle *) {
    LinkCallsDouble &d = current();
    d.log_.push_back("close");
    if (d.openHandles_ > 0) {
        --d.openHandles_;
    }
    return d.scripted("close");
}

ZuvErrorCode LinkCallsDouble::setCallback(ZuvEComHandle *, ZuvEComReceiveLogFunc callback, void *userArg) {
    LinkCallsDouble &d = current();
    d.log_.push_back("setCallback");
    if (d.openHandles_ == 0) {
        d.misuse_.push_back("setCallback without an open handle");
    }
    const ZuvErrorCode rc = d.scripted("setCallback");
    if (rc == ZUV_NO_ERROR) {
        d.callback_ = callback;
        d.userArg_ = userArg;
    }
    return rc;
}

ZuvErrorCode LinkCallsDouble::getInfo(ZuvEComHandle *, ZuvEComDeviceInfo *) {
    LinkCallsDouble &d = current();
    d.log_.push_back("getInfo");
    if (d.openHandles_ == 0) {
        d.misuse_.push_back("getInfo without an open handle");
    }
    const ZuvErrorCode rc = d.scripted("getInfo");
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    if (d.udpOpen_) {
        return ZUV_NO_ERROR;
    }
    const auto port = d.ports_.find(d.openPath_);
    const bool answers = port != d.ports_.end() && port->second.count(d.openRate_) != 0;
    return answers ? ZUV_NO_ERROR : ZUV_TIME_OUT;  // a device at another rate stays silent
}

ZuvErrorCode LinkCallsDouble::pump(ZuvEComHandle *handle) {
    LinkCallsDouble &d = current();
    ++d.pumps_;
    if (d.onPump) {
        d.onPump(handle);
    }
    return d.pumpResult;
}

}  // namespace zuv::test
