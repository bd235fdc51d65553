#include "readerHarness.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "routedLinkCalls.h"

namespace zuv::test {
namespace {

using SetLinkCallsFn = void (*)(const ZuvLinkCalls *);

SetLinkCallsFn linkCallsHook() {
    void *handle = dlopen(ZUV_READER_TEST_PCK, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        throw std::runtime_error("test package not loaded");
    }
    auto fn = reinterpret_cast<SetLinkCallsFn>(dlsym(handle, "zuvReaderTestSetLinkCalls"));
    dlclose(handle);
    if (fn == nullptr) {
        throw std::runtime_error("test package has no link calls hook");
    }
    return fn;
}

}  // namespace

ReaderRun::ReaderRun(bool useRoutedCalls) {
    runtime_.SetReportCallback([this](int level, const std::string &, const std::string &text) {
        std::lock_guard<std::mutex> lock(reportsMutex_);
        reports_.push_back({level, text});
    });
    runtime_.LoadPackage(ZUV_READER_TEST_PCK);
    linkCallsHook()(useRoutedCalls ? &RoutedLinkCalls() : nullptr);
    reader_ = &runtime_.CreateInstance("ZUV_FrameReader", "reader");
}

ReaderRun::~ReaderRun() {
    runtime_.Stop();
    linkCallsHook()(nullptr);
    ClearRoutes();
}

void ReaderRun::useSerial(const std::string &port, uint32_t baudRate) {
    set("pInterface", "Serial");
    set("pComPort", port);
    set("pBaudRate", std::to_string(baudRate));
}

void ReaderRun::useUdp(uint16_t remotePort, uint16_t localPort) {
    set("pInterface", "UDP");
    set("pRemoteAdress", "127.0.0.1");
    set("pRemotePort", std::to_string(remotePort));
    set("pLocalPort", std::to_string(localPort));
}

void ReaderRun::start() {
    runtime_.AttachSink(*reader_, "oData", data.Callback());
    runtime_.Start();
}

std::vector<ReportLine> ReaderRun::reports() const {
    std::lock_guard<std::mutex> lock(reportsMutex_);
    return reports_;
}

std::vector<std::string> ReaderRun::reportTexts() const {
    std::vector<std::string> texts;
    for (const ReportLine &line : reports()) {
        texts.push_back(line.text);
    }
    return texts;
}

bool ReaderRun::waitForReport(const std::string &text, std::chrono::milliseconds timeout) const {
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::vector<std::string> texts = reportTexts();
        if (std::find(texts.begin(), texts.end(), text) != texts.end()) {
            return true;
        }
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::vector<std::string> PropertyNames(const zuv::host::Instance &instance) {
    std::vector<std::string> names;
    for (const auto &p : instance.Properties()) {
        names.push_back(p.name);
    }
    return names;
}

std::vector<std::string> OutputNames(const zuv::host::Instance &instance) {
    std::vector<std::string> names;
    for (const auto &o : instance.Outputs()) {
        names.push_back(o.name);
    }
    return names;
}

namespace {

std::unique_ptr<zuv::sim::Simulator> startSim(zuv::sim::SimConfig config) {
    auto sim = std::make_unique<zuv::sim::Simulator>(std::move(config));
    if (sim->start() != ZUV_NO_ERROR) {
        throw std::runtime_error("simulator: " + sim->errorText());
    }
    return sim;
}

}  // namespace

std::unique_ptr<zuv::sim::Simulator> StartQuietPtySim(uint32_t baudRate) {
    zuv::sim::SimConfig config;
    config.clock = zuv::sim::ClockMode::Manual;
    config.link = zuv::sim::LinkKind::Pty;
    config.baudRate = baudRate;
    return startSim(std::move(config));
}

std::unique_ptr<zuv::sim::Simulator> StartQuietUdpSim(uint16_t peerPort) {
    zuv::sim::SimConfig config;
    config.clock = zuv::sim::ClockMode::Manual;
    config.link = zuv::sim::LinkKind::Udp;
    config.udpBind = "127.0.0.1:0";
    config.udpPeer = "127.0.0.1:" + std::to_string(peerPort);
    return startSim(std::move(config));
}

std::unique_ptr<zuv::sim::Simulator> StartStreamingPtySim(std::vector<zuv::sim::OutputModeSetting> modes,
                                                          uint32_t baudRate) {
    zuv::sim::SimConfig config;
    config.clock = zuv::sim::ClockMode::RealTime;
    config.link = zuv::sim::LinkKind::Pty;
    config.baudRate = baudRate;
    config.outputModes = std::move(modes);
    return startSim(std::move(config));
}

uint16_t FreeUdpPort() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        if (fd >= 0) close(fd);
        throw std::runtime_error("no free UDP port");
    }
    close(fd);
    return ntohs(address.sin_port);
}

}  // namespace zuv::test
