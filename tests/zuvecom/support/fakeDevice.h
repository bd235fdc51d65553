// A device in memory behind a ZuvInterface: every request written to it is parsed
// and answered at once (the answer waits for the host's next read). It keeps a
// configuration so that a set followed by a get round-trips, and it can be told
// to misbehave per command.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "zuvECom.h"
#include "zuvEComCommandCodec.h"

namespace zuvtest {

using Bytes = std::vector<uint8_t>;

Bytes buildFrame(uint8_t msgId, uint8_t msgClass, const Bytes &payload);
Bytes ackPayload(uint8_t cmdId, uint16_t errorCode);

class FakeDevice {
public:
    FakeDevice();
    ~FakeDevice();
    FakeDevice(const FakeDevice &) = delete;
    FakeDevice &operator=(const FakeDevice &) = delete;

    ZuvInterface *interface() { return &interface_; }

    // Bytes the host reads next, before any answer still to come.
    void queue(const Bytes &bytes) { outgoing_.insert(outgoing_.end(), bytes.begin(), bytes.end()); }
    void queueFrame(uint8_t msgId, uint8_t msgClass, const Bytes &payload) {
        queue(buildFrame(msgId, msgClass, payload));
    }
    void answer(uint8_t msgId, const Bytes &payload) { queueFrame(msgId, ZUV_ECOM_CLASS_CMD_0, payload); }
    void ack(uint8_t cmdId, uint16_t errorCode) { answer(ZUV_ECOM_CMD_ACK, ackPayload(cmdId, errorCode)); }
    size_t pendingBytes() const { return outgoing_.size(); }

    // Replaces the device's own handling of one command: the hook sees each request
    // (payload) and answers through the device, or stays silent.
    using Hook = std::function<void(FakeDevice &device, const Bytes &request)>;
    void onCommand(uint8_t cmdId, Hook hook) { hooks_[cmdId] = std::move(hook); }
    void silent(bool on) { silent_ = on; }
    // Every read or write fails with this code (ZUV_NO_ERROR: the link works).
    void failReads(ZuvErrorCode code) { readFailure_ = code; }
    void failWrites(ZuvErrorCode code) { writeFailure_ = code; }

    // Requests received, in order: command id and payload.
    const std::vector<std::pair<uint8_t, Bytes>> &requests() const { return requests_; }
    size_t requestCount(uint8_t cmdId) const;

    // Device state that the commands read and change.
    ZuvEComDeviceInfo info{};
    ZuvEComFeatures features{};
    ZuvEComModelInfo profile{};
    std::map<uint8_t, Bytes> records;  // stored record of each get/set command id
    std::map<uint32_t, uint16_t> outputModes;  // key: port << 16 | class << 8 | id
    std::map<uint8_t, ZuvEComInterfaceConf> uarts;
    Bytes settingsImage;
    Bytes importedImage;  // pages received so far
    int settingsActions[3] = {0, 0, 0};

private:
    static ZuvErrorCode readOp(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes, size_t bytesToRead);
    static ZuvErrorCode writeOp(ZuvInterface *pInterface, const void *pBuffer, size_t bytesToWrite);
    void receive(const uint8_t *pData, size_t size);
    void handle(uint8_t cmdId, const Bytes &request);
    void handleRecord(uint8_t cmdId, const Bytes &request, size_t recordSize);
    void handleOutput(const Bytes &request);
    void handleUart(const Bytes &request);
    void handleExport(const Bytes &request);
    void handleImport(const Bytes &request);

    ZuvInterface interface_{};
    Bytes incoming_;
    std::deque<uint8_t> outgoing_;
    std::map<uint8_t, Hook> hooks_;
    bool silent_ = false;
    ZuvErrorCode readFailure_ = ZUV_NO_ERROR;
    ZuvErrorCode writeFailure_ = ZUV_NO_ERROR;
    std::vector<std::pair<uint8_t, Bytes>> requests_;
};

// A clock that moves only when the library sleeps.
struct FakeClock {
    uint32_t now = 1000;
    uint64_t slept = 0;
    static uint32_t getTime(void *pArg) { return static_cast<FakeClock *>(pArg)->now; }
    static void sleep(void *pArg, uint32_t ms) {
        auto *clock = static_cast<FakeClock *>(pArg);
        clock->now += ms;
        clock->slept += ms;
    }
    void attach(ZuvEComHandle *pHandle) { zuvEComSetClock(pHandle, getTime, sleep, this); }
};

// Collects what the receive-log callback is given.
struct LogSink {
    struct Entry {
        ZuvEComClass msgClass;
        uint8_t msgId;
        ZuvBinaryLogData log;
    };
    std::vector<Entry> entries;
    static ZuvErrorCode callback(ZuvEComHandle *, ZuvEComClass msgClass, uint8_t msgId, const ZuvBinaryLogData *pLog,
                                 void *pUserArg) {
        static_cast<LogSink *>(pUserArg)->entries.push_back({msgClass, msgId, *pLog});
        return ZUV_NO_ERROR;
    }
    void attach(ZuvEComHandle *pHandle) { zuvEComSetReceiveLogCallback(pHandle, callback, this); }
};

}  // namespace zuvtest
