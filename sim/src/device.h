// The simulated device itself, without any link: its settings, its clock and
// main loop, the logs it streams and the commands it answers. It hands every
// frame it produces to a DeviceOutput. Single-threaded; the Simulator locks
// around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "commandReceiver.h"
#include "deviceSettings.h"
#include "logFactory.h"
#include "settingsImport.h"
#include "syncInputs.h"
#include "zuvEComBinaryLogs.h"
#include "zuvSim.h"

namespace zuv::sim {

class DeviceOutput {
public:
    virtual ~DeviceOutput() = default;
    virtual void deviceFrame(const uint8_t *frame, size_t size, uint8_t msgClass, uint8_t msgId, uint64_t timeUs) = 0;
    // Port A changes speed; everything handed out before goes out at the old speed.
    virtual void devicePortSpeed(uint32_t baudRate) = 0;
};

class Device {
public:
    static constexpr uint64_t kSavePauseUs = 300000;
    static constexpr uint64_t kRebootPauseUs = 1000000;

    Device(const SimConfig &config, DeviceOutput &output, SimStats &stats);

    // Loads the saved settings (file, else factory), applies the configured
    // overrides and boots at simulation time 0. ZUV_ERROR for an unusable settings
    // file, ZUV_INVALID_PARAMETER for an override the device refuses; with a reason.
    ZuvErrorCode powerOn(std::string &error);

    void advanceTo(uint64_t timeUs);
    uint64_t nowUs() const { return now_; }
    uint64_t nextWakeUs() const;
    uint32_t timeStamp() const { return timeStampAt(now_); }
    bool booting() const { return booting_; }

    // Bytes from the host, at the current time.
    void receive(const uint8_t *data, size_t size);

    ZuvErrorCode setOutputMode(uint8_t port, uint8_t msgClass, uint8_t logId, uint16_t mode);
    uint16_t outputMode(uint8_t port, uint8_t msgClass, uint8_t logId) const;
    uint32_t portBaudRate() const { return current_.uart[0].baudRate; }

    void setSyncPulses(size_t input, const SyncPulses &pulses);
    void pulse(size_t input);
    void setExportPadding(size_t bytes) { exportPadTo_ = bytes; }
    void setCommandRefusal(uint16_t code) { refusal_ = code; }
    void sendFrame(uint8_t msgId, uint8_t msgClass, const uint8_t *payload, size_t size);

    const std::deque<CommandRecord> &commands() const { return commands_; }
    void clearCommands() { commands_.clear(); }

private:
    uint32_t timeStampAt(uint64_t timeUs) const;
    void runCycle(uint64_t timeUs);
    void handlePulse(size_t input, uint64_t timeUs);
    void emitLog(uint8_t logId, uint8_t msgClass, uint64_t timeUs, const EventMarker *marker);
    void emitFrame(uint8_t msgId, uint8_t msgClass, const uint8_t *payload, size_t size);
    bool outputPaused(uint64_t timeUs) const { return booting_ || timeUs < pausedUntil_; }
    void beginReboot();
    void finishBoot();
    void changePortSpeedTo(uint32_t baudRate);

    // Commands (deviceCommands.cpp).
    void handleCommand(uint8_t id, const uint8_t *payload, size_t size);
    void answer(uint8_t id, const uint8_t *payload, size_t size);
    void acknowledge(uint8_t id, ZuvErrorCode code);
    void record(uint8_t id, const uint8_t *payload, size_t size, uint16_t code);
    void reply(uint8_t id, const uint8_t *request, size_t size, ZuvErrorCode code);
    void replyData(uint8_t id, const uint8_t *request, size_t size, const uint8_t *data, size_t dataSize);
    void settingsAction(const uint8_t *payload, size_t size);
    void importPage(const uint8_t *payload, size_t size);
    void exportPage(const uint8_t *payload, size_t size);
    void outputConfiguration(const uint8_t *payload, size_t size);
    void uartConfiguration(const uint8_t *payload, size_t size);

    // A configuration record: an empty request reads it, a request of the
    // record's size sets it (apply decodes, checks and stores), any other size is refused.
    template <typename Encode, typename Apply>
    void configRecord(uint8_t id, const uint8_t *p, size_t n, size_t recordSize, Encode encode, Apply apply) {
        if (n == 0) {
            uint8_t out[64];
            size_t size = 0;
            if (encode(out, sizeof(out), &size) == ZUV_NO_ERROR) {
                replyData(id, p, n, out, size);
            } else {
                reply(id, p, n, ZUV_ERROR);
            }
            return;
        }
        reply(id, p, n, n == recordSize ? apply(p, n) : ZUV_INVALID_PARAMETER);
    }
    void applySettings(const DeviceSettings &settings);

    SimConfig config_;
    DeviceOutput &output_;
    SimStats &stats_;
    LogFactory logs_;
    SyncInputs sync_;
    CommandReceiver receiver_;
    SettingsImport import_;

    DeviceSettings factory_;
    DeviceSettings saved_;
    DeviceSettings current_;
    size_t exportPadTo_ = 0;
    std::vector<uint8_t> exportImage_;
    uint16_t refusal_ = 0;

    uint64_t now_ = 0;
    uint64_t bootUs_ = 0;  // on the main-loop grid
    uint64_t nextCycleUs_ = 0;
    uint64_t pausedUntil_ = 0;
    bool booting_ = false;
    uint64_t bootEndUs_ = 0;
    uint32_t speedOnLink_ = 0;  // port A speed as last told to the output

    ZuvBinaryLogData log_{};
    std::vector<uint8_t> payload_;
    std::vector<uint8_t> frame_;
    std::deque<CommandRecord> commands_;
};

}  // namespace zuv::sim
