// The frame reader's auxiliary thread and its two detection actions.
#include <string>

#include "maps_ZUV_FrameReader.h"
#include "zuvAuxForwarder.h"

namespace {

// The link's auxiliary side, under the reader's auxiliary lock.
class LinkAuxSource final : public zuv::AuxSentenceSource {
public:
    LinkAuxSource(CZuvCommunication &link, std::mutex &mutex) : link_(link), mutex_(mutex) {}
    bool IsOpen() const override {
        std::lock_guard<std::mutex> lock(mutex_);
        return link_.GetAuxInterface() != nullptr;
    }
    ZuvErrorCode ReadAuxFrames() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return link_.ReadAuxFrames();
    }
    std::list<std::string> PopNMEASentences() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return link_.PopNMEASentences();
    }

private:
    CZuvCommunication &link_;
    std::mutex &mutex_;
};

class ReaderAuxHost final : public zuv::AuxHost {
public:
    explicit ReaderAuxHost(MAPSComponent &component) : component_(component) {}
    size_t SampleCapacity() const override { return static_cast<size_t>(component_.Output("oAuxData").BufferSize()); }
    char *StartSample() override {
        element_ = component_.StartWriting(component_.Output("oAuxData"));
        return element_ != nullptr ? element_->TextAscii() : nullptr;
    }
    void FinishSample(size_t length) override {
        element_->Timestamp() = MAPS::CurrentTime(true, true);
        element_->VectorSize() = static_cast<int>(length);
        component_.StopWriting(element_, false);
        element_ = nullptr;
    }
    void Report(const std::string &text, int level) override { component_.Report(text.c_str(), level); }
    void Pause(int64_t microseconds) override { component_.Rest(microseconds, nullptr); }
    bool Dying() const override { return component_.IsDying(); }

private:
    MAPSComponent &component_;
    MAPSIOElt *element_ = nullptr;
};

}  // namespace

void MAPSZUV_FrameReader::ReadAuxFramesThread() {
    LinkAuxSource source(link_, auxMutex_);
    ReaderAuxHost host(*this);
    zuv::RunAuxLoop(source, host);
}

void MAPSZUV_FrameReader::AutoDetection() {
    std::string device;
    uint32_t baudRate = 0;
    ZuvErrorCode rc;
    {
        // Core finds no bytes while the scan holds the link, and none after a
        // scan that left it closed.
        struct Wanted {
            std::atomic<int> &count;
            explicit Wanted(std::atomic<int> &c) : count(c) { count.fetch_add(1, std::memory_order_acq_rel); }
            ~Wanted() { count.fetch_sub(1, std::memory_order_acq_rel); }
        } wanted(linkWanted_);
        std::lock_guard<std::mutex> lock(linkMutex_);
        rc = link_.AutoConnect(device, baudRate, false);
        linkOpen_ = link_.GetConnectionKind() != 0;
    }
    if (rc != ZUV_NO_ERROR) {
        Report("No device detected.", 1);
        return;
    }
    Set(Property("pComPort"), device.c_str());
    Set(Property("pBaudRate"), static_cast<long long>(baudRate));
}

void MAPSZUV_FrameReader::AutoAuxDetection() {
    std::string device;
    uint32_t baudRate = 0;
    ZuvErrorCode rc;
    {
        std::lock_guard<std::mutex> lock(auxMutex_);
        rc = link_.AutoConnectAux(device, baudRate);
    }
    if (rc != ZUV_NO_ERROR) {
        Report("No auxiliary device detected.", 1);
        return;
    }
    Set(Property("pAuxComPort"), device.c_str());
    Set(Property("pAuxBaudRate"), static_cast<long long>(baudRate));
}

void MAPSZUV_FrameReader::AutoDetection(MAPSModule *module, int) {
    if (auto *reader = dynamic_cast<MAPSZUV_FrameReader *>(module)) {
        reader->AutoDetection();
    }
}

void MAPSZUV_FrameReader::AutoAuxDetection(MAPSModule *module, int) {
    if (auto *reader = dynamic_cast<MAPSZUV_FrameReader *>(module)) {
        reader->AutoAuxDetection();
    }
}
