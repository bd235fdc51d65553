#include "ZUV_WriteOutput.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>
#include <utility>

#include "ZuvWriteSample.h"
#include "ZuvWriteValues.h"
#include "zuvEComLogCatalogue.h"

namespace {

void Fill(MAPSIOElt &element, int index, double value) {
    element.Float64(index) = value;
}
void Fill(MAPSIOElt &element, int index, MAPSInt64 value) {
    element.Integer64(index) = value;
}

constexpr MAPSElementType TypeOf(double) {
    return MAPSType_Float64;
}
constexpr MAPSElementType TypeOf(MAPSInt64) {
    return MAPSType_Integer64;
}

// One sample: the fixed values, then the appended value when it is 0 or more.
// An output that cannot take them all is refused with a report (ZuvWriteSample.h);
// one that yields no element is skipped quietly, as an output nobody reads does.
template <typename T>
void Publish(MAPSComponent *component, const char *output, const T *values, int count, const MAPSInt64 &timestamp,
             MAPSInt32 appended) {
    const int size = appended >= 0 ? count + 1 : count;
    zuv::WriteSample(*component, output, TypeOf(T{}), size, {timestamp, std::nullopt}, nullptr,
                     [&](MAPSIOElt &element) {
                         for (int i = 0; i < count; ++i) {
                             Fill(element, i, values[i]);
                         }
                         if (appended >= 0) {
                             Fill(element, count, static_cast<T>(appended));
                         }
                     });
}

using zuv::catalogue::Record;

template <typename T>
constexpr zuv::catalogue::Element ElementOf() {
    return std::is_same<T, double>::value ? zuv::catalogue::Element::Float64 : zuv::catalogue::Element::Integer64;
}

// The catalogue declares each output's size: the writer's values and the framerate.
template <Record R, typename T, size_t N>
constexpr bool FitsItsOutput() {
    return N + 1 == static_cast<size_t>(zuv::catalogue::elementCount(R)) &&
           ElementOf<T>() == zuv::catalogue::layoutOf(R).element;
}

template <Record R, typename T, size_t N>
void Publish(MAPSComponent *component, const char *output, const std::array<T, N> &values, const MAPSInt64 &timestamp,
             MAPSInt32 appended) {
    static_assert(FitsItsOutput<R, T, N>(), "the values and the framerate fill the declared output");
    Publish(component, output, values.data(), static_cast<int>(N), timestamp, appended);
}

template <typename T, size_t N>
void Publish(MAPSComponent *component, const char *output, const std::array<T, N> &values, const MAPSInt64 &timestamp,
             MAPSInt32 appended) {
    Publish(component, output, values.data(), static_cast<int>(N), timestamp, appended);
}

// The device's own time stamp of the record, after the main sample.
void PublishTwin(MAPSComponent *component, const char *twinOutput, uint32_t deviceTimestamp, bool internalTimestamp,
                 const MAPSInt64 &timestamp) {
    if (!internalTimestamp) {
        return;
    }
    const MAPSInt64 value = deviceTimestamp;
    Publish(component, twinOutput, &value, 1, timestamp, -1);
}

double F(float value) {
    return static_cast<double>(value);
}

}  // namespace

namespace zuv::writers {

void PublishValues(MAPSComponent *component, const char *output, const double *values, int count,
                   const MAPSInt64 &timestamp, MAPSInt32 appended) {
    Publish(component, output, values, count, timestamp, appended);
}

void PublishValues(MAPSComponent *component, const char *output, const MAPSInt64 *values, int count,
                   const MAPSInt64 &timestamp, MAPSInt32 appended) {
    Publish(component, output, values, count, timestamp, appended);
}

void PublishTwin(MAPSComponent *component, const char *twinOutput, uint32_t deviceTimestamp, bool internalTimestamp,
                 const MAPSInt64 &timestamp) {
    ::PublishTwin(component, twinOutput, deviceTimestamp, internalTimestamp, timestamp);
}

}  // namespace zuv::writers

using zuv::writers::WriteValues;

void WriteStatusData(MAPSComponent *component, const ZuvLogStatusData &log, const MAPSInt64 &timestamp,
                     MAPSInt32 appended) {
    WriteValues<Record::Status>(component, log, "oStatus", "", timestamp, false, appended);
}

void WriteUtcData(MAPSComponent *component, const ZuvLogUtcData &log, const MAPSInt64 &timestamp,
                  bool internalTimestamp, MAPSInt32 appended) {
    const std::array<MAPSInt64, 10> values{log.year,   log.month,      log.day,           log.hour,      log.minute,
                                           log.second, log.nanoSecond, log.gpsTimeOfWeek, log.timeStamp, log.status};
    Publish<Record::Utc>(component, "oUtcTime", values, timestamp, appended);
    PublishTwin(component, "oUtcTimeInternalTimestamp", log.timeStamp, internalTimestamp, timestamp);
}

void WriteImuData(MAPSComponent *component, const ZuvLogImuData &log, const MAPSInt64 &timestamp,
                  bool internalTimestamp, MAPSInt32 appended) {
    const std::array<double, 14> values{
        F(log.accelerometers[0]), F(log.accelerometers[1]),       F(log.accelerometers[2]), F(log.gyroscopes[0]),
        F(log.gyroscopes[1]),     F(log.gyroscopes[2]),           F(log.deltaVelocity[0]),  F(log.deltaVelocity[1]),
        F(log.deltaVelocity[2]),  F(log.deltaAngle[0]),           F(log.deltaAngle[1]),     F(log.deltaAngle[2]),
        F(log.temperature),       static_cast<double>(log.status)};
    Publish<Record::Imu>(component, "oImu", values, timestamp, appended);
    PublishTwin(component, "oImuInternalTimestamp", log.timeStamp, internalTimestamp, timestamp);
}

void WriteMagData(MAPSComponent *component, const ZuvLogMag &log, const MAPSInt64 &timestamp, bool internalTimestamp,
                  MAPSInt32 appended) {
    const std::array<double, 7> values{
        F(log.magnetometers[0]),  F(log.magnetometers[1]),  F(log.magnetometers[2]),        F(log.accelerometers[0]),
        F(log.accelerometers[1]), F(log.accelerometers[2]), static_cast<double>(log.status)};
    Publish<Record::Mag>(component, "oMag", values, timestamp, appended);
    PublishTwin(component, "oMagInternalTimestamp", log.timeStamp, internalTimestamp, timestamp);
}

void WriteMagCalibData(MAPSComponent *component, const ZuvLogMagCalib &log, const MAPSInt64 &timestamp,
                       MAPSInt32 appended) {
    std::array<MAPSInt64, 18> values{};
    for (size_t i = 0; i < 16; ++i) {
        values[i] = log.magData[i];
    }
    values[16] = log.reserved;
    values[17] = log.timeStamp;
    Publish<Record::MagCalib>(component, "oMagCalib", values, timestamp, appended);
}

void WriteEkfEuler(MAPSComponent *component, const ZuvLogEkfEulerData &log, const MAPSInt64 &timestamp,
                   bool internalTimestamp, MAPSInt32 appended) {
    const std::array<double, 7> values{F(log.euler[0]),
                                       F(log.euler[1]),
                                       F(log.euler[2]),
                                       F(log.eulerStdDev[0]),
                                       F(log.eulerStdDev[1]),
                                       F(log.eulerStdDev[2]),
                                       static_cast<double>(log.solutionStatus)};
    Publish<Record::EkfEuler>(component, "oEkfEuler", values, timestamp, appended);
    PublishTwin(component, "oEkfEulerInternalTimestamp", log.timeStamp, internalTimestamp, timestamp);
}

void WriteEkfQuat(MAPSComponent *component, const ZuvLogEkfQuatData &log, const MAPSInt64 &timestamp,
                  bool internalTimestamp, MAPSInt32 appended) {
    const std::array<double, 8> values{
        F(log.quaternion[0]),  F(log.quaternion[1]),  F(log.quaternion[2]),  F(log.quaternion[3]),
        F(log.eulerStdDev[0]), F(log.eulerStdDev[1]), F(log.eulerStdDev[2]), static_cast<double>(log.solutionStatus)};
    Publish<Record::EkfQuat>(component, "oEkfQuat", values, timestamp, appended);
    PublishTwin(component, "oEkfQuatInternalTimestamp", log.timeStamp, internalTimestamp, timestamp);
}

void WriteEkfNav(MAPSComponent *component, const ZuvLogEkfNavData &log, const MAPSInt64 &timestamp,
                 bool internalTimestamp, MAPSInt32 appended) {
    const std::array<double, 14> values{F(log.velocity[0]),
                                        F(log.velocity[1]),
                                        F(log.velocity[2]),
                                        F(log.velocityStdDev[0]),
                                        F(log.velocityStdDev[1]),
                                        F(log.velocityStdDev[2]),
                                        log.latitude,
                                        log.longitude,
                                        log.altitude,
                                        F(log.undulation),
                                        F(log.positionStdDev[0]),
                                        F(log.positionStdDev[1]),
                                        F(log.positionStdDev[2]),
                                        static_cast<double>(log.solutionStatus)};
    Publish<Record::EkfNav>(component, "oEkfNav", values, timestamp, appended);
    PublishTwin(component, "oEkfNavInternalTimestamp", log.timeStamp, internalTimestamp, timestamp);
}

void WriteShipMotion(MAPSComponent *component, const ZuvLogShipMotionData &log, const MAPSString &output,
                     const MAPSString &twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp,
                     MAPSInt32 appended) {
    const std::array<double, 11> values{F(log.shipMotion[0]),
                                        F(log.shipMotion[1]),
                                        F(log.shipMotion[2]),
                                        F(log.shipAccel[0]),
                                        F(log.shipAccel[1]),
                                        F(log.shipAccel[2]),
                                        F(log.shipVel[0]),
                                        F(log.shipVel[1]),
                                        F(log.shipVel[2]),
                                        F(log.mainHeavePeriod),
                                        static_cast<double>(log.status)};
    Publish(component, output.c_str(), values, timestamp, appended);
    PublishTwin(component, twinOutput.c_str(), log.timeStamp, internalTimestamp, timestamp);
}

void WriteGPSVel(MAPSComponent *component, const ZuvLogGpsVel &log, const MAPSString &output,
                 const MAPSString &twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp, MAPSInt32 appended) {
    const std::array<double, 10> values{F(log.velocity[0]),
                                        F(log.velocity[1]),
                                        F(log.velocity[2]),
                                        F(log.velocityAcc[0]),
                                        F(log.velocityAcc[1]),
                                        F(log.velocityAcc[2]),
                                        F(log.course),
                                        F(log.courseAcc),
                                        static_cast<double>(log.status),
                                        static_cast<double>(log.timeOfWeek)};
    Publish<Record::GpsVel>(component, output.c_str(), values, timestamp, appended);
    PublishTwin(component, twinOutput.c_str(), log.timeStamp, internalTimestamp, timestamp);
}

void WriteGPSPos(MAPSComponent *component, const ZuvLogGpsPos &log, const MAPSString &output,
                 const MAPSString &twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp, MAPSInt32 appended) {
    const std::array<double, 12> values{log.latitude,
                                        log.longitude,
                                        log.altitude,
                                        F(log.latitudeAccuracy),
                                        F(log.longitudeAccuracy),
                                        F(log.altitudeAccuracy),
                                        F(log.undulation),
                                        static_cast<double>(log.status),
                                        static_cast<double>(log.timeOfWeek),
                                        static_cast<double>(log.numSvUsed),
                                        static_cast<double>(log.baseStationId),
                                        static_cast<double>(log.differentialAge)};
    Publish<Record::GpsPos>(component, output.c_str(), values, timestamp, appended);
    PublishTwin(component, twinOutput.c_str(), log.timeStamp, internalTimestamp, timestamp);
}

void WriteGPSHdt(MAPSComponent *component, const ZuvLogGpsHdt &log, const MAPSString &output,
                 const MAPSString &twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp, MAPSInt32 appended) {
    const std::array<double, 7> values{F(log.heading),
                                       F(log.headingAccuracy),
                                       F(log.pitch),
                                       F(log.pitchAccuracy),
                                       F(log.baseline),
                                       static_cast<double>(log.status),
                                       static_cast<double>(log.timeOfWeek)};
    Publish<Record::GpsHdt>(component, output.c_str(), values, timestamp, appended);
    PublishTwin(component, twinOutput.c_str(), log.timeStamp, internalTimestamp, timestamp);
}

void WriteGPSRaw(MAPSComponent *component, const ZuvLogGpsRaw &log, const MAPSString &output,
                 const MAPSInt64 &timestamp) {
    static_assert(
        ZUV_ECOM_MAX_PAYLOAD_SIZE <= static_cast<size_t>(zuv::catalogue::layoutOf(Record::GpsRaw).elementCount),
        "the raw outputs take the largest raw payload whole");
    // The count comes with the record: never read past its buffer.
    const size_t count = std::min<size_t>(log.bufferSize, sizeof(log.rawBuffer));
    zuv::WriteSample(*component, output.c_str(), MAPSType_Stream8, static_cast<long long>(count),
                     {timestamp, std::nullopt}, nullptr, [&](MAPSIOElt &element) {
                         if (count > 0) {
                             std::memcpy(element.Stream8(), log.rawBuffer, count);
                         }
                     });
}

void WriteOdo(MAPSComponent *component, const ZuvLogOdometerData &log, const MAPSInt64 &timestamp,
              bool internalTimestamp, MAPSInt32 appended) {
    WriteValues<Record::Odometer>(component, log, "oOdoVel", "oOdoVelInternalTimestamp", timestamp, internalTimestamp,
                                  appended);
}

void WriteEvent(MAPSComponent *component, const ZuvLogEvent &log, const MAPSString &output, const MAPSInt64 &timestamp,
                MAPSInt32 appended) {
    const uint16_t offsets[4] = {log.timeOffset0, log.timeOffset1, log.timeOffset2, log.timeOffset3};
    std::array<MAPSInt64, 5> times{};
    static_assert(FitsItsOutput<Record::Event, MAPSInt64, 5>(), "every time and the framerate fit the marker output");
    int count = 0;
    times[count++] = log.timeStamp;
    for (int k = 0; k < 4; ++k) {
        if ((log.status & (0x02u << k)) != 0) {
            // Device clock arithmetic: wraps at 2^32.
            times[count++] = static_cast<uint32_t>(log.timeStamp + offsets[k]);
        }
    }
    Publish(component, output.c_str(), times.data(), count, timestamp, appended);
}

void WriteDvl(MAPSComponent *component, const ZuvLogDvlData &log, const MAPSString &output,
              const MAPSString &twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp, MAPSInt32 appended) {
    const std::array<double, 7> values{F(log.velocity[0]),
                                       F(log.velocity[1]),
                                       F(log.velocity[2]),
                                       F(log.velocityQuality[0]),
                                       F(log.velocityQuality[1]),
                                       F(log.velocityQuality[2]),
                                       static_cast<double>(log.status)};
    Publish<Record::Dvl>(component, output.c_str(), values, timestamp, appended);
    PublishTwin(component, twinOutput.c_str(), log.timeStamp, internalTimestamp, timestamp);
}

void WriteAirData(MAPSComponent *component, const ZuvLogAirData &log, const MAPSInt64 &timestamp,
                  bool internalTimestamp, MAPSInt32 appended) {
    const std::array<double, 6> values{F(log.pressureAbs),  F(log.altitude),       F(log.pressureDiff),
                                       F(log.trueAirspeed), F(log.airTemperature), static_cast<double>(log.status)};
    Publish<Record::AirData>(component, "oPressure", values, timestamp, appended);
    PublishTwin(component, "oPressureInternalTimestamp", log.timeStamp, internalTimestamp, timestamp);
}

void WriteUsbl(MAPSComponent *component, const ZuvLogUsblData &log, const MAPSInt64 &timestamp, bool internalTimestamp,
               MAPSInt32 appended) {
    const std::array<double, 7> values{log.latitude,
                                       log.longitude,
                                       F(log.depth),
                                       F(log.latitudeAccuracy),
                                       F(log.longitudeAccuracy),
                                       F(log.depthAccuracy),
                                       static_cast<double>(log.status)};
    Publish<Record::Usbl>(component, "oUsbl", values, timestamp, appended);
    PublishTwin(component, "oUsblInternalTimestamp", log.timeStamp, internalTimestamp, timestamp);
}

namespace {

using KindWriter = void (*)(MAPSComponent *, const ZuvBinaryLogData &, const MAPSString &, const MAPSString &,
                            const MAPSInt64 &, bool, MAPSInt32);

template <size_t I>
void WriteKind(MAPSComponent *c, const ZuvBinaryLogData &data, const MAPSString &output, const MAPSString &twinOutput,
               const MAPSInt64 &t, bool twin, MAPSInt32 appended) {
    constexpr Record R = zuv::catalogue::kLogKinds[I].record;
    const auto &log = data.*zuv::catalogue::RecordType<R>::kMember;
    if constexpr (R == Record::Utc)
        WriteUtcData(c, log, t, twin, appended);
    else if constexpr (R == Record::Imu)
        WriteImuData(c, log, t, twin, appended);
    else if constexpr (R == Record::Mag)
        WriteMagData(c, log, t, twin, appended);
    else if constexpr (R == Record::MagCalib)
        WriteMagCalibData(c, log, t, appended);
    else if constexpr (R == Record::EkfEuler)
        WriteEkfEuler(c, log, t, twin, appended);
    else if constexpr (R == Record::EkfQuat)
        WriteEkfQuat(c, log, t, twin, appended);
    else if constexpr (R == Record::EkfNav)
        WriteEkfNav(c, log, t, twin, appended);
    else if constexpr (R == Record::GpsVel)
        WriteGPSVel(c, log, output, twinOutput, t, twin, appended);
    else if constexpr (R == Record::GpsPos)
        WriteGPSPos(c, log, output, twinOutput, t, twin, appended);
    else if constexpr (R == Record::GpsHdt)
        WriteGPSHdt(c, log, output, twinOutput, t, twin, appended);
    else if constexpr (R == Record::GpsRaw)
        WriteGPSRaw(c, log, output, t);
    else if constexpr (R == Record::Event)
        WriteEvent(c, log, output, t, appended);
    else if constexpr (R == Record::Dvl)
        WriteDvl(c, log, output, twinOutput, t, twin, appended);
    else if constexpr (R == Record::AirData)
        WriteAirData(c, log, t, twin, appended);
    else if constexpr (R == Record::Usbl)
        WriteUsbl(c, log, t, twin, appended);
    else
        WriteValues<R>(c, log, output.c_str(), twinOutput.c_str(), t, twin, appended);
}

template <size_t... I>
constexpr std::array<KindWriter, sizeof...(I)> KindWriters(std::index_sequence<I...>) {
    return {&WriteKind<I>...};
}

constexpr std::array<KindWriter, zuv::catalogue::kLogKindCount> kKindWriters =
    KindWriters(std::make_index_sequence<zuv::catalogue::kLogKindCount>());

}  // namespace

void WriteLogKind(MAPSComponent *component, size_t kindIndex, const ZuvBinaryLogData &log, const MAPSString &output,
                  const MAPSString &twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp,
                  MAPSInt32 appended) {
    if (kindIndex < kKindWriters.size()) {
        kKindWriters[kindIndex](component, log, output, twinOutput, timestamp, internalTimestamp, appended);
    }
}
