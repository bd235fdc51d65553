#include "logFactory.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "utcClock.h"
#include "zuvEComLogCatalogue.h"

namespace zuv::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = 180.0 / kPi;
constexpr double kEarthRadius = 6378137.0;
constexpr double kMainLoopSeconds = 0.005;
constexpr float kUndulation = 47.0f;
constexpr uint64_t kAhrsAfterUs = 500000;

// Status words while healthy (what each bit means is the device's business; they only have to agree).
constexpr uint16_t kImuStatusOk = 0x00FF;
constexpr uint16_t kMagStatusOk = 0x01FF;
constexpr uint16_t kGeneralStatusOk = 0x001F;  // power, IMU, GNSS, settings, temperature
constexpr uint16_t kClockStable = 0x0001;
constexpr uint16_t kClockUtcSynced = 0x0020;
constexpr uint32_t kComStatusOk = 0x0000001F;  // the five ports
constexpr uint16_t kUtcValid = 0x0007;
constexpr uint32_t kGnssNoSolution = 0x00000001;
constexpr uint32_t kGnssSolution =
    (1u << 6) | ZUV_ECOM_GPS_POS_GPS_L1_USED | ZUV_ECOM_GPS_POS_GPS_L2_USED | ZUV_ECOM_GPS_POS_GLO_L1_USED;
constexpr uint16_t kAidingValid = 0x0007;

double headingDeg(double yawRad) {
    const double deg = yawRad * kDeg;
    return deg < 0 ? deg + 360.0 : deg;
}

void putNmeaSentence(std::string &out, const char *body) {
    uint8_t checksum = 0;
    for (const char *p = body; *p != '\0'; ++p) {
        checksum ^= static_cast<uint8_t>(*p);
    }
    char line[160];
    std::snprintf(line, sizeof(line), "$%s*%02X\r\n", body, checksum);
    out += line;
}

void nmeaAngle(char *out, size_t size, double degrees, int degreeDigits) {
    const double magnitude = std::fabs(degrees);
    const int whole = static_cast<int>(magnitude);
    std::snprintf(out, size, "%0*d%08.5f", degreeDigits, whole, (magnitude - whole) * 60.0);
}

}  // namespace

uint32_t LogFactory::solutionStatus(uint64_t upTimeUs) const {
    if (upTimeUs < kAhrsAfterUs) {
        return ZUV_ECOM_SOL_MODE_UNINITIALIZED;
    }
    if (upTimeUs < kFixAfterUs) {
        return ZUV_ECOM_SOL_MODE_AHRS | ZUV_ECOM_SOL_ATTITUDE_VALID | ZUV_ECOM_SOL_VERT_REF_USED;
    }
    return ZUV_ECOM_SOL_MODE_NAV_POSITION | ZUV_ECOM_SOL_ATTITUDE_VALID | ZUV_ECOM_SOL_HEADING_VALID |
           ZUV_ECOM_SOL_VELOCITY_VALID | ZUV_ECOM_SOL_POSITION_VALID | ZUV_ECOM_SOL_VERT_REF_USED |
           ZUV_ECOM_SOL_GPS1_VEL_USED | ZUV_ECOM_SOL_GPS1_POS_USED | ZUV_ECOM_SOL_ALIGN_VALID;
}

void LogFactory::imu(const LogMoment &m, const MotionState &s, ZuvLogImuData &out) {
    out.timeStamp = m.timeStamp;
    out.status = kImuStatusOk;
    const double gyro[3] = {0.0, 0.0, s.yawRate};
    for (int i = 0; i < 3; ++i) {
        out.accelerometers[i] = static_cast<float>(s.specificForceBody[i] + noise_.gaussian(0.02));
        out.gyroscopes[i] = static_cast<float>(gyro[i] + noise_.gaussian(0.001));
        out.deltaVelocity[i] = static_cast<float>(out.accelerometers[i] * kMainLoopSeconds);
        out.deltaAngle[i] = static_cast<float>(out.gyroscopes[i] * kMainLoopSeconds);
    }
    out.temperature = static_cast<float>(28.0 + 2.0 * std::sin(static_cast<double>(m.simTimeUs) * 1e-6 / 600.0));
}

void LogFactory::gnssVelocity(const LogMoment &m, const MotionState &s, ZuvLogGpsVel &out) {
    const bool fix = m.upTimeUs >= kFixAfterUs;
    out.timeStamp = m.timeStamp;
    out.status = fix ? kGnssSolution : kGnssNoSolution;
    out.timeOfWeek = gpsTimeOfWeekMs(m.utcUnixUs);
    for (int i = 0; i < 3; ++i) {
        out.velocity[i] = fix ? static_cast<float>(s.velocityNed[i] + noise_.gaussian(0.03)) : 0.0f;
        out.velocityAcc[i] = fix ? 0.05f : 100.0f;
    }
    out.course = fix ? static_cast<float>(headingDeg(std::atan2(out.velocity[1], out.velocity[0]))) : 0.0f;
    out.courseAcc = fix ? 0.5f : 180.0f;
}

void LogFactory::gnssPosition(const LogMoment &m, const MotionState &s, ZuvLogGpsPos &out) {
    const bool fix = m.upTimeUs >= kFixAfterUs;
    out.timeStamp = m.timeStamp;
    out.status = fix ? kGnssSolution : kGnssNoSolution;
    out.timeOfWeek = gpsTimeOfWeekMs(m.utcUnixUs);
    const double latRad = s.latitudeDeg / kDeg;
    out.latitude = fix ? s.latitudeDeg + noise_.gaussian(0.8) / kEarthRadius * kDeg : 0.0;
    out.longitude = fix ? s.longitudeDeg + noise_.gaussian(0.8) / (kEarthRadius * std::cos(latRad)) * kDeg : 0.0;
    out.altitude = fix ? s.altitudeM + noise_.gaussian(1.5) : 0.0;
    out.undulation = kUndulation;
    out.latitudeAccuracy = fix ? 1.2f : 9999.0f;
    out.longitudeAccuracy = fix ? 1.2f : 9999.0f;
    out.altitudeAccuracy = fix ? 2.0f : 9999.0f;
    out.numSvUsed = fix ? 14 : 0;
    out.baseStationId = 0;
    out.differentialAge = 0;
}

void LogFactory::gnssHeading(const LogMoment &m, const MotionState &s, ZuvLogGpsHdt &out) {
    const bool fix = m.upTimeUs >= kFixAfterUs;
    out.timeStamp = m.timeStamp;
    out.status = fix ? 0 : 1;
    out.timeOfWeek = gpsTimeOfWeekMs(m.utcUnixUs);
    out.heading = fix ? static_cast<float>(headingDeg(s.yaw + noise_.gaussian(0.003))) : 0.0f;
    out.headingAccuracy = fix ? 0.2f : 180.0f;
    out.pitch = fix ? static_cast<float>(s.pitch * kDeg + noise_.gaussian(0.3)) : 0.0f;
    out.pitchAccuracy = fix ? 0.4f : 90.0f;
    out.baseline = 1.5f;
}

void LogFactory::gnssRaw(const LogMoment &m, const MotionState &s, ZuvLogRawData &out) {
    // The receiver's own output passed through: NMEA position and course sentences.
    const CalendarTime c = calendarFromUnixUs(m.utcUnixUs);
    char lat[32];
    char lon[32];
    nmeaAngle(lat, sizeof(lat), s.latitudeDeg, 2);
    nmeaAngle(lon, sizeof(lon), s.longitudeDeg, 3);
    const char ns = s.latitudeDeg >= 0 ? 'N' : 'S';
    const char ew = s.longitudeDeg >= 0 ? 'E' : 'W';
    const int centiseconds = c.nanosecond / 10000000;
    const bool fix = m.upTimeUs >= kFixAfterUs;
    char body[128];
    nmea_.clear();
    std::snprintf(body, sizeof(body), "GPGGA,%02d%02d%02d.%02d,%s,%c,%s,%c,%d,%02d,0.8,%.2f,M,%.1f,M,,", c.hour,
                  c.minute, c.second, centiseconds, lat, ns, lon, ew, fix ? 1 : 0, fix ? 14 : 0,
                  s.altitudeM - kUndulation, static_cast<double>(kUndulation));
    putNmeaSentence(nmea_, body);
    std::snprintf(body, sizeof(body), "GPRMC,%02d%02d%02d.%02d,%c,%s,%c,%s,%c,%.2f,%.1f,%02d%02d%02d,,,%c", c.hour,
                  c.minute, c.second, centiseconds, fix ? 'A' : 'V', lat, ns, lon, ew, s.speed * 1.943844,
                  headingDeg(s.yaw), c.day, c.month, c.year % 100, fix ? 'A' : 'N');
    putNmeaSentence(nmea_, body);
    std::memcpy(out.rawBuffer, nmea_.data(), nmea_.size());
    out.bufferSize = static_cast<uint32_t>(nmea_.size());
}

bool LogFactory::build(uint8_t logId, const LogMoment &m, ZuvBinaryLogData &log) {
    const MotionState s = motion_.at(m.simTimeUs);
    const uint32_t solution = solutionStatus(m.upTimeUs);
    const bool fix = m.upTimeUs >= kFixAfterUs;
    const double t = static_cast<double>(m.simTimeUs) * 1e-6;
    std::memset(&log, 0, sizeof(log));
    switch (logId) {
        case ZUV_ECOM_LOG_STATUS: {
            ZuvLogStatusData &o = log.statusData;
            o.timeStamp = m.timeStamp;
            o.generalStatus = kGeneralStatusOk;
            o.clockStatus = static_cast<uint16_t>(kClockStable | (fix ? kClockUtcSynced : 0));
            o.comStatus = kComStatusOk;
            o.aidingStatus = fix ? (ZUV_ECOM_AIDING_GPS1_POS_RECV | ZUV_ECOM_AIDING_GPS1_VEL_RECV |
                                    ZUV_ECOM_AIDING_GPS1_HDT_RECV | ZUV_ECOM_AIDING_GPS1_UTC_RECV)
                                 : 0;
            o.upTime = static_cast<uint32_t>(m.upTimeUs / 1000000);
            return true;
        }
        case ZUV_ECOM_LOG_UTC_TIME: {
            const CalendarTime c = calendarFromUnixUs(m.utcUnixUs);
            ZuvLogUtcData &o = log.utcData;
            o.timeStamp = m.timeStamp;
            o.status = fix ? kUtcValid : 0;
            o.year = static_cast<uint16_t>(c.year);
            o.month = static_cast<int8_t>(c.month);
            o.day = static_cast<int8_t>(c.day);
            o.hour = static_cast<int8_t>(c.hour);
            o.minute = static_cast<int8_t>(c.minute);
            o.second = static_cast<int8_t>(c.second);
            o.nanoSecond = c.nanosecond;
            o.gpsTimeOfWeek = gpsTimeOfWeekMs(m.utcUnixUs);
            return true;
        }
        case ZUV_ECOM_LOG_IMU_DATA: imu(m, s, log.imuData); return true;
        case ZUV_ECOM_LOG_MAG: {
            // Earth field (north, down) seen from a level sensor turned by the yaw.
            ZuvLogMag &o = log.magData;
            o.timeStamp = m.timeStamp;
            o.status = kMagStatusOk;
            const double north = 0.22;
            const double down = 0.42;
            o.magnetometers[0] = static_cast<float>(north * std::cos(s.yaw) + noise_.gaussian(0.002));
            o.magnetometers[1] = static_cast<float>(-north * std::sin(s.yaw) + noise_.gaussian(0.002));
            o.magnetometers[2] = static_cast<float>(down + noise_.gaussian(0.002));
            for (int i = 0; i < 3; ++i) {
                o.accelerometers[i] = static_cast<float>(s.specificForceBody[i] + noise_.gaussian(0.02));
            }
            return true;
        }
        case ZUV_ECOM_LOG_MAG_CALIB: {
            ZuvLogMagCalib &o = log.magCalibData;
            o.timeStamp = m.timeStamp;
            for (uint8_t i = 0; i < sizeof(o.magData); ++i) {
                o.magData[i] = static_cast<uint8_t>(i * 16 + (m.upTimeUs / 1000000) % 16);
            }
            return true;
        }
        case ZUV_ECOM_LOG_EKF_EULER: {
            ZuvLogEkfEulerData &o = log.ekfEulerData;
            o.timeStamp = m.timeStamp;
            o.euler[0] = static_cast<float>(s.roll + noise_.gaussian(0.0005));
            o.euler[1] = static_cast<float>(s.pitch + noise_.gaussian(0.0005));
            o.euler[2] = static_cast<float>(s.yaw + noise_.gaussian(0.001));
            o.eulerStdDev[0] = o.eulerStdDev[1] = 0.002f;
            o.eulerStdDev[2] = fix ? 0.005f : 0.5f;
            o.solutionStatus = solution;
            return true;
        }
        case ZUV_ECOM_LOG_EKF_QUAT: {
            ZuvLogEkfQuatData &o = log.ekfQuatData;
            const double cr = std::cos(s.roll / 2), sr = std::sin(s.roll / 2);
            const double cp = std::cos(s.pitch / 2), sp = std::sin(s.pitch / 2);
            const double cy = std::cos(s.yaw / 2), sy = std::sin(s.yaw / 2);
            o.timeStamp = m.timeStamp;
            o.quaternion[0] = static_cast<float>(cr * cp * cy + sr * sp * sy);
            o.quaternion[1] = static_cast<float>(sr * cp * cy - cr * sp * sy);
            o.quaternion[2] = static_cast<float>(cr * sp * cy + sr * cp * sy);
            o.quaternion[3] = static_cast<float>(cr * cp * sy - sr * sp * cy);
            o.eulerStdDev[0] = o.eulerStdDev[1] = 0.002f;
            o.eulerStdDev[2] = fix ? 0.005f : 0.5f;
            o.solutionStatus = solution;
            return true;
        }
        case ZUV_ECOM_LOG_EKF_NAV: {
            ZuvLogEkfNavData &o = log.ekfNavData;
            o.timeStamp = m.timeStamp;
            for (int i = 0; i < 3; ++i) {
                o.velocity[i] = fix ? static_cast<float>(s.velocityNed[i] + noise_.gaussian(0.01)) : 0.0f;
                o.velocityStdDev[i] = fix ? 0.03f : 10.0f;
            }
            o.latitude = fix ? s.latitudeDeg : 0.0;
            o.longitude = fix ? s.longitudeDeg : 0.0;
            o.altitude = fix ? s.altitudeM : 0.0;
            o.undulation = kUndulation;
            o.positionStdDev[0] = o.positionStdDev[1] = fix ? 0.5f : 1000.0f;
            o.positionStdDev[2] = fix ? 1.0f : 1000.0f;
            o.solutionStatus = solution;
            return true;
        }
        case ZUV_ECOM_LOG_SHIP_MOTION: {
            ZuvLogShipMotionData &o = log.shipMotionData;
            const double period = 8.0;
            const double w = 2.0 * kPi / period;
            o.timeStamp = m.timeStamp;
            o.status = 0x0003;
            o.mainHeavePeriod = static_cast<float>(period);
            const double amplitude[3] = {0.05, 0.08, 0.3};
            for (int i = 0; i < 3; ++i) {
                const double phase = w * t + i;
                o.shipMotion[i] = static_cast<float>(amplitude[i] * std::sin(phase));
                o.shipVel[i] = static_cast<float>(amplitude[i] * w * std::cos(phase));
                o.shipAccel[i] = static_cast<float>(-amplitude[i] * w * w * std::sin(phase));
            }
            return true;
        }
        case ZUV_ECOM_LOG_GPS1_VEL:
        case ZUV_ECOM_LOG_GPS2_VEL: gnssVelocity(m, s, log.gpsVelData); return true;
        case ZUV_ECOM_LOG_GPS1_POS:
        case ZUV_ECOM_LOG_GPS2_POS: gnssPosition(m, s, log.gpsPosData); return true;
        case ZUV_ECOM_LOG_GPS1_HDT:
        case ZUV_ECOM_LOG_GPS2_HDT: gnssHeading(m, s, log.gpsHdtData); return true;
        case ZUV_ECOM_LOG_GPS1_RAW:
        case ZUV_ECOM_LOG_GPS2_RAW: gnssRaw(m, s, log.gpsRawData); return true;
        case ZUV_ECOM_LOG_ODO_VEL:
            log.odometerData.timeStamp = m.timeStamp;
            log.odometerData.status = 0x0001;
            log.odometerData.velocity = static_cast<float>(s.speed + noise_.gaussian(0.02));
            return true;
        case ZUV_ECOM_LOG_EVENT_A:
        case ZUV_ECOM_LOG_EVENT_B:
        case ZUV_ECOM_LOG_EVENT_C:
        case ZUV_ECOM_LOG_EVENT_D:
        case ZUV_ECOM_LOG_EVENT_E: {
            ZuvLogEvent &o = log.eventMarker;
            o.timeStamp = m.timeStamp;
            if (m.marker != nullptr) {
                o.status = m.marker->status;
                o.timeOffset0 = m.marker->offsets[0];
                o.timeOffset1 = m.marker->offsets[1];
                o.timeOffset2 = m.marker->offsets[2];
                o.timeOffset3 = m.marker->offsets[3];
            }
            return true;
        }
        case ZUV_ECOM_LOG_DVL_BOTTOM_TRACK:
        case ZUV_ECOM_LOG_DVL_WATER_TRACK: {
            ZuvLogDvlData &o = log.dvlData;
            const double current = logId == ZUV_ECOM_LOG_DVL_WATER_TRACK ? 0.3 : 0.0;
            o.timeStamp = m.timeStamp;
            o.status = 0x0007;
            o.velocity[0] = static_cast<float>(s.speed - current + noise_.gaussian(0.01));
            o.velocity[1] = static_cast<float>(noise_.gaussian(0.01));
            o.velocity[2] = static_cast<float>(noise_.gaussian(0.01));
            o.velocityQuality[0] = o.velocityQuality[1] = o.velocityQuality[2] = 0.02f;
            return true;
        }
        case ZUV_ECOM_LOG_AIR_DATA: {
            ZuvLogAirData &o = log.airData;
            const double h = s.altitudeM;
            o.timeStamp = m.timeStamp;
            o.status = kAidingValid;
            o.pressureAbs =
                static_cast<float>(101325.0 * std::pow(1.0 - 2.25577e-5 * h, 5.25588) + noise_.gaussian(2.0));
            o.altitude = static_cast<float>(h + noise_.gaussian(0.2));
            o.pressureDiff = static_cast<float>(0.5 * 1.225 * s.speed * s.speed);
            o.trueAirspeed = static_cast<float>(s.speed + noise_.gaussian(0.1));
            o.airTemperature = static_cast<float>(15.0 - 0.0065 * h);
            return true;
        }
        case ZUV_ECOM_LOG_USBL: {
            ZuvLogUsblData &o = log.usblData;
            const double latRad = s.latitudeDeg / kDeg;
            o.timeStamp = m.timeStamp;
            o.status = kAidingValid;
            o.latitude = s.latitudeDeg + noise_.gaussian(1.0) / kEarthRadius * kDeg;
            o.longitude = s.longitudeDeg + noise_.gaussian(1.0) / (kEarthRadius * std::cos(latRad)) * kDeg;
            o.depth = static_cast<float>(10.0 + noise_.gaussian(0.2));
            o.latitudeAccuracy = o.longitudeAccuracy = 1.0f;
            o.depthAccuracy = 0.5f;
            return true;
        }
        default: break;
    }
    return timeStampOnlyRecord(catalogue::kindOf(logId), m.timeStamp, log);
}

bool timeStampOnlyRecord(const catalogue::LogKind *kind, uint32_t timeStamp, ZuvBinaryLogData &log) {
    if (kind == nullptr || catalogue::layoutOf(kind->record).element == catalogue::Element::Stream8) {
        return false;
    }
    std::memset(&log, 0, sizeof(log));
    std::memcpy(&log, &timeStamp, sizeof(timeStamp));  // every record with a layout leads with it
    return true;
}

}  // namespace zuv::sim
