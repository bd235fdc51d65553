// A frame reader run in the host stand-in, loaded from the test copy of the
// package, with its reports and oData samples collected; and simulators on a
// pseudo-terminal or on loopback UDP for it to talk to.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "maps_runtime.h"
#include "zuvSim.h"

namespace zuv::test {

struct ReportLine {
    int level;
    std::string text;
};

class ReaderRun {
public:
    // `useRoutedCalls`: the reader's link goes through RoutedLinkCalls().
    explicit ReaderRun(bool useRoutedCalls = true);
    ~ReaderRun();

    zuv::host::Instance &reader() { return *reader_; }
    zuv::host::Runtime &runtime() { return runtime_; }
    void set(const std::string &property, const std::string &text) { reader_->SetPropertyFromText(property, text); }
    void useSerial(const std::string &port, uint32_t baudRate = 115200);
    void useUdp(uint16_t remotePort, uint16_t localPort);

    // Attaches the oData sink and starts; returns once Birth has returned.
    void start();
    void stop() { runtime_.Stop(); }

    std::vector<ReportLine> reports() const;
    std::vector<std::string> reportTexts() const;
    bool waitForReport(const std::string &text, std::chrono::milliseconds timeout) const;

    zuv::host::SampleQueue data;

private:
    zuv::host::Runtime runtime_;
    zuv::host::Instance *reader_ = nullptr;
    mutable std::mutex reportsMutex_;
    std::vector<ReportLine> reports_;
};

// Property names of the instance, in its order.
std::vector<std::string> PropertyNames(const zuv::host::Instance &instance);
std::vector<std::string> OutputNames(const zuv::host::Instance &instance);

// A simulator with no logs enabled and a manual clock, so that only what a
// test sends goes out; on a pseudo-terminal (serial) or on loopback UDP.
std::unique_ptr<zuv::sim::Simulator> StartQuietPtySim(uint32_t baudRate = 115200);
std::unique_ptr<zuv::sim::Simulator> StartQuietUdpSim(uint16_t peerPort);
// A real-time simulator streaming the given logs on a pseudo-terminal.
std::unique_ptr<zuv::sim::Simulator> StartStreamingPtySim(std::vector<zuv::sim::OutputModeSetting> modes,
                                                          uint32_t baudRate = 115200);

// A UDP port on 127.0.0.1 that was free a moment ago.
uint16_t FreeUdpPort();

}  // namespace zuv::test
