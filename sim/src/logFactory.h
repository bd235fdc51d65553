// Fills the log records with plausible values: the vehicle's motion plus sensor
// noise, and status words that agree with each other and with the time since
// boot (no solution for half a second, then attitude only, then a full
// navigation solution once the GNSS receivers have a fix after one second).
//
// Units: EKF angles in radians; GNSS course, heading and pitch in degrees;
// latitude and longitude in degrees; distances in metres; time of week in ms.
#pragma once

#include <cstdint>
#include <string>

#include "motionModel.h"
#include "syncInputs.h"
#include "zuvEComBinaryLogs.h"
#include "zuvEComLogCatalogue.h"

namespace zuv::sim {

struct LogMoment {
    uint64_t simTimeUs = 0;  // drives motion and UTC
    uint64_t upTimeUs = 0;   // since boot: drives the status words
    uint32_t timeStamp = 0;  // the ts field
    int64_t utcUnixUs = 0;
    const EventMarker *marker = nullptr;  // event marker logs only
};

// What the device sends for a kind with no values of its own in LogFactory:
// its time stamp, every other field 0. False without a kind or for a raw one.
bool timeStampOnlyRecord(const catalogue::LogKind *kind, uint32_t timeStamp, ZuvBinaryLogData &log);

class LogFactory {
public:
    LogFactory(const MotionModel &motion, uint32_t seed) : motion_(motion), noise_(seed) {}

    // False for an id the device does not produce.
    bool build(uint8_t logId, const LogMoment &moment, ZuvBinaryLogData &log);

    static constexpr uint64_t kFixAfterUs = 1000000;

private:
    uint32_t solutionStatus(uint64_t upTimeUs) const;
    void imu(const LogMoment &m, const MotionState &s, ZuvLogImuData &out);
    void gnssVelocity(const LogMoment &m, const MotionState &s, ZuvLogGpsVel &out);
    void gnssPosition(const LogMoment &m, const MotionState &s, ZuvLogGpsPos &out);
    void gnssHeading(const LogMoment &m, const MotionState &s, ZuvLogGpsHdt &out);
    void gnssRaw(const LogMoment &m, const MotionState &s, ZuvLogRawData &out);

    MotionModel motion_;
    Noise noise_;
    std::string nmea_;
};

}  // namespace zuv::sim
