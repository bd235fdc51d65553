// The library's commands against the simulator, in memory: a ZuvInterface whose
// writes go straight to a simulated device without a link (answered at once,
// on the caller's thread) and whose reads take what the device sent. The
// device's clock moves only when the library sleeps (SimClock), so waits and
// retries are exact.
//
// Answers no device gives (malformed, late, for another command) are scripted
// on the link: a hook sees each request first and may queue bytes of its own
// and keep the request from the device. The link also records every request
// written, whether or not the device heard it, and can fail reads or writes.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "zuvECom.h"
#include "zuvSim.h"

namespace zuv::test {

using Bytes = std::vector<uint8_t>;

Bytes buildFrame(uint8_t msgId, uint8_t msgClass, const Bytes &payload);
Bytes ackPayload(uint8_t cmdId, uint16_t errorCode);

class SimLink {
public:
    explicit SimLink(sim::SimConfig config = {});
    ~SimLink();
    SimLink(const SimLink &) = delete;
    SimLink &operator=(const SimLink &) = delete;

    ZuvInterface *interface() { return &interface_; }
    sim::Simulator &device() { return *device_; }

    // Bytes the host reads next, after what the device sent so far.
    void queue(const Bytes &bytes) { incoming_.insert(incoming_.end(), bytes.begin(), bytes.end()); }
    void queueFrame(uint8_t msgId, uint8_t msgClass, const Bytes &payload) {
        queue(buildFrame(msgId, msgClass, payload));
    }
    void answer(uint8_t msgId, const Bytes &payload) { queueFrame(msgId, ZUV_ECOM_CLASS_CMD_0, payload); }
    void ack(uint8_t cmdId, uint16_t errorCode) { answer(ZUV_ECOM_CMD_ACK, ackPayload(cmdId, errorCode)); }

    // Sees each request for cmdId (its payload) before the device; returns
    // whether the device gets it too.
    using Hook = std::function<bool(SimLink &link, const Bytes &request)>;
    void onCommand(uint8_t cmdId, Hook hook) { hooks_[cmdId] = std::move(hook); }
    // Every read or write fails with this code (ZUV_NO_ERROR: the link works).
    void failReads(ZuvErrorCode code) { readFailure_ = code; }
    void failWrites(ZuvErrorCode code) { writeFailure_ = code; }

    // Requests written, in order: command id and payload.
    const std::vector<std::pair<uint8_t, Bytes>> &requests() const { return requests_; }
    size_t requestCount(uint8_t cmdId) const;

private:
    static ZuvErrorCode readOp(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes, size_t bytesToRead);
    static ZuvErrorCode writeOp(ZuvInterface *pInterface, const void *pBuffer, size_t bytesToWrite);
    void write(const uint8_t *pData, size_t size);

    std::unique_ptr<sim::Simulator> device_;
    ZuvInterface interface_{};
    Bytes outgoing_;  // written by the host, not yet a whole frame
    std::deque<uint8_t> incoming_;
    std::map<uint8_t, Hook> hooks_;
    ZuvErrorCode readFailure_ = ZUV_NO_ERROR;
    ZuvErrorCode writeFailure_ = ZUV_NO_ERROR;
    std::vector<std::pair<uint8_t, Bytes>> requests_;
};

// The library's clock: it moves only when the library sleeps, and the device's
// clock moves with it.
struct SimClock {
    explicit SimClock(sim::Simulator *simulated = nullptr) : device(simulated) {}
    sim::Simulator *device;
    uint32_t now = 1000;
    uint64_t slept = 0;
    static uint32_t getTime(void *pArg) { return static_cast<SimClock *>(pArg)->now; }
    static void sleep(void *pArg, uint32_t ms) {
        auto *clock = static_cast<SimClock *>(pArg);
        clock->now += ms;
        clock->slept += ms;
        if (clock->device != nullptr) clock->device->advance(uint64_t{ms} * 1000);
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

}  // namespace zuv::test
