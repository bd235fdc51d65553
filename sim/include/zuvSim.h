// The device simulator: a zuvECom device on a pseudo-terminal or a UDP socket,
// started in-process by tests and by `zuv sim`.
//
// Errors: start() and replug() return a ZuvErrorCode (ZUV_INVALID_PARAMETER for
// a configuration it cannot use, ZUV_ERROR when a pseudo-terminal, socket or
// settings file fails) and leave a readable reason in errorText(). Nothing
// throws; every other call either works or does nothing.
// Threading: every member may be called from any thread; one internal mutex
// serialises them with the simulator's own thread. The frame tap runs with that
// mutex held (on the simulator's thread, or inside advance() when there is no
// link): it must not call back into the simulator.
// Time: the device runs on simulation time, microseconds since start(). In
// ClockMode::RealTime a thread makes it follow the steady clock; in
// ClockMode::Manual it only moves when advance() is called, so a test controls
// exactly which logs come out. Commands are answered in both modes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zuvEComLogRates.h"
#include "zuvErrorCodes.h"

namespace zuv::sim {

enum class ClockMode { RealTime, Manual };
enum class LinkKind { None, Pty, Udp };

// Every N-th log frame (0 = never) gets the fault. Command answers are left alone
// so that a test can still configure a device that streams damaged logs.
struct FaultConfig {
    uint32_t noiseEvery = 0;            // 1 to 16 random bytes before the frame
    uint32_t badCrcEvery = 0;           // CRC field flipped
    uint32_t badEndEvery = 0;           // end byte not 0x33
    uint32_t oversizedLengthEvery = 0;  // length field above 4086, the frame's bytes follow as usual
    bool silent = false;                // sends nothing, ignores everything received
    bool neverAcknowledge = false;      // answers queries (device information...) but sends no ACK
};

// Pulses on one sync input at a steady rate; rateHz 0 (or above kMaxSyncRateHz) = no pulses.
constexpr double kMaxSyncRateHz = 10000.0;
struct SyncPulses {
    double rateHz = 0.0;
    uint32_t phaseUs = 0;  // time of the first pulse after power-on
};

// Sync inputs A to D trigger the "on sync" output modes; all five feed event markers A to E.
constexpr size_t kSyncInputCount = 5;

// "On new data" follows each sensor's own rate: the main-loop logs 200 Hz, the
// magnetometer 100 Hz, GNSS logs kGnssUpdateRateHz (as the features answer says),
// odometer 50 Hz, air data 25 Hz, DVL 10 Hz, USBL and magnetometer calibration 1 Hz.
// 0 for event markers (they follow their pulses) and ids the device does not produce.
constexpr uint8_t kGnssUpdateRateHz = ZUV_ECOM_GNSS_UPDATE_RATE_HZ;
uint32_t newDataRateHz(uint8_t logId);

struct OutputModeSetting {
    uint8_t logId = 0;
    uint16_t mode = 0;  // on port A, class 0
};

// How the device's clock and its link's delivery differ from an ideal device, so
// that time stamping can be measured against the truth.
struct TimingConfig {
    double clockDriftPpm = 0.0;  // the device clock runs this much fast against the host's (negative: slow)
    uint32_t burstMs = 0;        // frames wait and leave together every N ms, like a USB serial adapter; 0 = at once
    uint32_t dropEvery = 0;      // every N-th frame of each log id is never sent: a gap in its ts; 0 = none
    std::string truthFile;       // every log frame sent, one line "ID TS HOST_US"; empty = none
};
constexpr double kMaxClockDriftPpm = 1000.0;

struct SimConfig {
    ClockMode clock = ClockMode::RealTime;
    LinkKind link = LinkKind::None;
    std::string linkPath;  // pty: stable symbolic link to the slave (an existing symlink is replaced)
    std::string udpBind = "127.0.0.1:0";
    std::string udpPeer;    // ADDR:PORT on 127.0.0.0/8
    uint32_t baudRate = 0;  // port A speed at power-on; 0 = from the settings (factory 115200)

    double latitude = 48.8566;  // centre of the circle the vehicle drives, degrees
    double longitude = 2.3522;
    double altitude = 35.0;                    // metres
    double radius = 50.0;                      // metres
    double speed = 10.0;                       // metres per second
    uint32_t seed = 1;                         // sensor noise
    uint32_t tsStart = 0;                      // device time stamp of the first main-loop cycle (for wrap tests)
    int64_t utcStartUnixSeconds = 1704067200;  // UTC at start() (2024-01-01)

    std::vector<OutputModeSetting> outputModes;  // applied at power-on, on top of the saved settings
    std::string settingsFile;                    // saved settings: read at start when present, written by save
    size_t exportPadTo = 0;                      // pads the exported image with zeros (at most 100000)
    std::array<SyncPulses, kSyncInputCount> sync{};
    FaultConfig faults;
    TimingConfig timing;
};

// One unit as it left the device: [noise][frame]. The frame may be damaged on purpose.
struct SentFrame {
    const uint8_t *bytes = nullptr;
    size_t size = 0;
    size_t noiseBytes = 0;
    uint8_t msgClass = 0;
    uint8_t msgId = 0;
    uint32_t faults = 0;        // kFault* bits
    uint64_t deviceTimeUs = 0;  // simulation time when it was produced
};
constexpr uint32_t kFaultNoise = 1u << 0;
constexpr uint32_t kFaultBadCrc = 1u << 1;
constexpr uint32_t kFaultBadEnd = 1u << 2;
constexpr uint32_t kFaultOversizedLength = 1u << 3;

using FrameTap = std::function<void(const SentFrame &)>;

// A command frame the device took, with the code it answered (0 for data answers).
struct CommandRecord {
    uint8_t id = 0;
    std::vector<uint8_t> payload;
    uint16_t answerCode = 0;
    uint64_t deviceTimeUs = 0;
};

struct SimStats {
    uint64_t logFrames = 0;     // produced by the device (before link losses)
    uint64_t answerFrames = 0;  // command answers and ACKs produced
    uint64_t unitsWritten = 0;  // handed to the link
    uint64_t bytesWritten = 0;
    uint64_t unitsDropped = 0;  // no host, host at another speed, queue full, link unplugged
    uint64_t commands = 0;
    uint64_t commandsRefused = 0;   // answered with an error code
    uint64_t badCommandFrames = 0;  // bad CRC or end byte on the way in
    uint64_t bytesIgnored = 0;      // received while booting, silent or at the wrong speed
    uint64_t noiseInjected = 0;
    uint64_t crcCorrupted = 0;
    uint64_t endCorrupted = 0;
    uint64_t lengthCorrupted = 0;
    std::array<uint64_t, 39> logsById{};  // log frames produced per id
};

class Simulator {
public:
    explicit Simulator(SimConfig config);
    ~Simulator();
    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    // Opens the link, powers the device on and starts the simulator's thread (when
    // there is a link or a real-time clock). Start after stop() is not supported.
    ZuvErrorCode start();
    void stop();
    std::string errorText() const;

    std::string ptyPath() const;  // the slave's path, empty without a pty
    uint16_t udpPort() const;     // the bound local port, 0 without UDP

    // Manual clock: runs the device for `us` microseconds of simulation time.
    // Frames go to the link's queue (see waitForOutput) or, without a link, to the tap.
    void advance(uint64_t us);
    uint64_t deviceTimeUs() const;  // simulation time
    uint32_t timeStamp() const;     // the device clock as logs carry it
    // Waits until everything produced so far has been written or dropped; false on time-out.
    bool waitForOutput(int timeoutMs);

    // The calls below act on the running device: use them after start() (the
    // configuration covers power-on; setFrameTap alone may come before start()).

    // The device's own settings, as the output configuration command sets them.
    ZuvErrorCode setOutputMode(uint8_t port, uint8_t msgClass, uint8_t logId, uint16_t mode);
    uint16_t outputMode(uint8_t port, uint8_t msgClass, uint8_t logId) const;
    uint32_t portBaudRate() const;  // port A speed in use

    void setFaults(const FaultConfig &faults);
    void setSyncPulses(size_t input, const SyncPulses &pulses);
    void pulseSyncInput(size_t input);  // one pulse now
    void setExportPadding(size_t bytes);
    // Answers every command with this code, changing nothing (0 = normal answers).
    void setCommandRefusal(uint16_t errorCode);
    // Sends one frame as given, ahead of the logs that follow (classes the host must ignore, ...).
    void sendFrame(uint8_t msgId, uint8_t msgClass, const std::vector<uint8_t> &payload);
    // Without a link (LinkKind::None): bytes from the host, taken at once on the
    // caller's thread, as the link would hand them over; the answers go to the tap.
    void receive(const uint8_t *bytes, size_t size);

    // Unplug closes the link (the pty disappears, the socket closes); replug opens a new one.
    void unplug();
    ZuvErrorCode replug();
    bool plugged() const;

    void setFrameTap(FrameTap tap);
    std::vector<CommandRecord> commands() const;
    void clearCommands();
    SimStats stats() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace zuv::sim
