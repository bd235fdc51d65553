// The log kinds a host can ask the device for, in one constant table: message
// id, record layout, rate/enable property, decoder outputs with their element
// counts and column names, twin output and the sensor's own rate behind
// "On New Data". The reader's rate properties, the decoder's outputs and
// dispatch, the library's codecs, the log cache, the simulator's names and
// schedule and the fuzz targets derive from it. A new kind is its id
// (zuvEComIds.h), its record and union member (zuvEComBinaryLogs.h), and here
// its record, field list, values list and row.
// Errors: none; constant data and constexpr look-ups (-1 / nullptr: not found).
// Threading: read-only; safe from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "zuvEComBinaryLogs.h"
#include "zuvEComIds.h"
#include "zuvEComProtocol.h"

namespace zuv::catalogue {

// Which record of ZuvBinaryLogData a kind fills, and so which writer lays it out.
enum class Record : uint8_t {
    Status,
    Utc,
    Imu,
    Mag,
    MagCalib,
    EkfEuler,
    EkfQuat,
    EkfNav,
    GpsVel,
    GpsPos,
    GpsHdt,
    GpsRaw,
    Odometer,
    Event,
    Dvl,
    AirData,
    Usbl,
};
constexpr size_t kRecordCount = static_cast<size_t>(Record::Usbl) + 1;  // the last record above, plus one

// The C type of each record and where it sits in ZuvBinaryLogData.
template <Record R>
struct RecordType;
#define ZUV_RECORD_TYPE(record, type, member)                                         \
    template <>                                                                       \
    struct RecordType<Record::record> {                                               \
        using Type = type;                                                            \
        static constexpr Type ZuvBinaryLogData::*kMember = &ZuvBinaryLogData::member; \
    }
ZUV_RECORD_TYPE(Utc, ZuvLogUtcData, utcData);
ZUV_RECORD_TYPE(Imu, ZuvLogImuData, imuData);
ZUV_RECORD_TYPE(Mag, ZuvLogMag, magData);
ZUV_RECORD_TYPE(MagCalib, ZuvLogMagCalib, magCalibData);
ZUV_RECORD_TYPE(EkfEuler, ZuvLogEkfEulerData, ekfEulerData);
ZUV_RECORD_TYPE(EkfQuat, ZuvLogEkfQuatData, ekfQuatData);
ZUV_RECORD_TYPE(EkfNav, ZuvLogEkfNavData, ekfNavData);
ZUV_RECORD_TYPE(GpsVel, ZuvLogGpsVel, gpsVelData);
ZUV_RECORD_TYPE(GpsPos, ZuvLogGpsPos, gpsPosData);
ZUV_RECORD_TYPE(GpsHdt, ZuvLogGpsHdt, gpsHdtData);
ZUV_RECORD_TYPE(GpsRaw, ZuvLogGpsRaw, gpsRawData);
ZUV_RECORD_TYPE(Event, ZuvLogEvent, eventMarker);
ZUV_RECORD_TYPE(Dvl, ZuvLogDvlData, dvlData);
ZUV_RECORD_TYPE(AirData, ZuvLogAirData, airData);
ZUV_RECORD_TYPE(Usbl, ZuvLogUsblData, usblData);
#undef ZUV_RECORD_TYPE

// Records laid out by the generic writer also name their output values in
// order (see "values list" below).
template <>
struct RecordType<Record::Status> {
    using Type = ZuvLogStatusData;
    static constexpr Type ZuvBinaryLogData::*kMember = &ZuvBinaryLogData::statusData;
    template <class O, class D>
    static constexpr void values(O &o, const D &d) {
        o("timeStamp", d.timeStamp), o("generalStatus", d.generalStatus), o("comStatus", d.comStatus),
            o("aidingStatus", d.aidingStatus), o("clockStatus", d.clockStatus), o("reserved2", d.reserved2),
            o("reserved3", d.reserved3);
    }
};
template <>
struct RecordType<Record::Odometer> {
    using Type = ZuvLogOdometerData;
    static constexpr Type ZuvBinaryLogData::*kMember = &ZuvBinaryLogData::odometerData;
    template <class O, class D>
    static constexpr void values(O &o, const D &d) {
        o("velocity", d.velocity), o("status", d.status);
    }
};

// Each record's wire fields in order: the one description of its layout, from
// which the library builds its parser, its encoder and its layout size.
// Fields are listed with the comma operator, which visits them left to right.
template <typename T>
struct Fields;

template <>
struct Fields<ZuvLogStatusData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.generalStatus), v(d.clockStatus), v(d.comStatus), v(d.aidingStatus), v(d.reserved2),
            v(d.reserved3), v(d.upTime);
    }
};

template <>
struct Fields<ZuvLogUtcData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.year), v(d.month), v(d.day), v(d.hour), v(d.minute), v(d.second),
            v(d.nanoSecond), v(d.gpsTimeOfWeek);
    }
};

template <>
struct Fields<ZuvLogImuData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.accelerometers), v(d.gyroscopes), v(d.temperature), v(d.deltaVelocity),
            v(d.deltaAngle);
    }
};

template <>
struct Fields<ZuvLogMag> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.magnetometers), v(d.accelerometers);
    }
};

template <>
struct Fields<ZuvLogMagCalib> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.reserved), v(d.magData);
    }
};

template <>
struct Fields<ZuvLogEkfEulerData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.euler), v(d.eulerStdDev), v(d.solutionStatus);
    }
};

template <>
struct Fields<ZuvLogEkfQuatData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.quaternion), v(d.eulerStdDev), v(d.solutionStatus);
    }
};

template <>
struct Fields<ZuvLogEkfNavData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.velocity), v(d.velocityStdDev), v(d.latitude), v(d.longitude), v(d.altitude),
            v(d.undulation), v(d.positionStdDev), v(d.solutionStatus);
    }
};

template <>
struct Fields<ZuvLogGpsVel> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.timeOfWeek), v(d.velocity), v(d.velocityAcc), v(d.course), v(d.courseAcc);
    }
};

template <>
struct Fields<ZuvLogGpsPos> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.timeOfWeek), v(d.latitude), v(d.longitude), v(d.altitude), v(d.undulation),
            v(d.latitudeAccuracy), v(d.longitudeAccuracy), v(d.altitudeAccuracy), v(d.numSvUsed), v(d.baseStationId),
            v(d.differentialAge);
    }
};

template <>
struct Fields<ZuvLogGpsHdt> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.timeOfWeek), v(d.heading), v(d.headingAccuracy), v(d.pitch),
            v(d.pitchAccuracy), v(d.baseline);
    }
};

template <>
struct Fields<ZuvLogOdometerData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.velocity);
    }
};

template <>
struct Fields<ZuvLogEvent> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.timeOffset0), v(d.timeOffset1), v(d.timeOffset2), v(d.timeOffset3);
    }
};

template <>
struct Fields<ZuvLogDvlData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.velocity), v(d.velocityQuality);
    }
};

template <>
struct Fields<ZuvLogAirData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.pressureAbs), v(d.altitude), v(d.pressureDiff), v(d.trueAirspeed),
            v(d.airTemperature);
    }
};

template <>
struct Fields<ZuvLogUsblData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.latitude), v(d.longitude), v(d.depth), v(d.latitudeAccuracy),
            v(d.longitudeAccuracy), v(d.depthAccuracy);
    }
};

enum class Element : uint8_t { Integer64, Float64, Stream8 };

// One output's sample: element type, element count and a name per element.
// The last column of the numeric layouts is the framerate the decoder may
// append; raw layouts are bytes and have no columns.
struct Layout {
    Element element;
    int elementCount;
    const char *const *columns;  // elementCount names, or nullptr for bytes
};

namespace columns {
constexpr const char *kUtc[] = {"year",       "month",         "day",       "hour",   "minute",   "second",
                                "nanoSecond", "gpsTimeOfWeek", "timeStamp", "status", "framerate"};
constexpr const char *kImu[] = {"accelX",      "accelY",      "accelZ",      "gyroX",     "gyroY",
                                "gyroZ",       "deltaVelX",   "deltaVelY",   "deltaVelZ", "deltaAngleX",
                                "deltaAngleY", "deltaAngleZ", "temperature", "status",    "framerate"};
constexpr const char *kMag[] = {"magX", "magY", "magZ", "accelX", "accelY", "accelZ", "status", "framerate"};
constexpr const char *kMagCalib[] = {"magData0",  "magData1",  "magData2",  "magData3",  "magData4",
                                     "magData5",  "magData6",  "magData7",  "magData8",  "magData9",
                                     "magData10", "magData11", "magData12", "magData13", "magData14",
                                     "magData15", "reserved",  "timeStamp", "framerate"};
constexpr const char *kEkfEuler[] = {"roll",      "pitch",          "yaw",      "rollStdDev", "pitchStdDev",
                                     "yawStdDev", "solutionStatus", "framerate"};
constexpr const char *kEkfQuat[] = {
    "q0", "q1", "q2", "q3", "rollStdDev", "pitchStdDev", "yawStdDev", "solutionStatus", "framerate"};
constexpr const char *kEkfNav[] = {"velocityN",       "velocityE",       "velocityD",      "velocityNStdDev",
                                   "velocityEStdDev", "velocityDStdDev", "latitude",       "longitude",
                                   "altitude",        "undulation",      "latitudeStdDev", "longitudeStdDev",
                                   "altitudeStdDev",  "solutionStatus",  "framerate"};
constexpr const char *kGpsVel[] = {"velocityN",    "velocityE",    "velocityD", "velocityNAcc",
                                   "velocityEAcc", "velocityDAcc", "course",    "courseAcc",
                                   "status",       "timeOfWeek",   "framerate"};
constexpr const char *kGpsPos[] = {
    "latitude", "longitude",  "altitude",  "latitudeAccuracy", "longitudeAccuracy", "altitudeAccuracy", "undulation",
    "status",   "timeOfWeek", "numSvUsed", "baseStationId",    "differentialAge",   "framerate"};
constexpr const char *kGpsHdt[] = {"heading",  "headingAccuracy", "pitch",      "pitchAccuracy",
                                   "baseline", "status",          "timeOfWeek", "framerate"};
// A marker's time stamp, then one time per pulse the status flags; the
// framerate follows the last present time.
constexpr const char *kEvent[] = {"timeStamp", "time0", "time1", "time2", "time3", "framerate"};
constexpr const char *kDvl[] = {"velocityX", "velocityY", "velocityZ", "qualityX",
                                "qualityY",  "qualityZ",  "status",    "framerate"};
constexpr const char *kAirData[] = {"pressureAbs",    "altitude", "pressureDiff", "trueAirspeed",
                                    "airTemperature", "status",   "framerate"};
constexpr const char *kUsbl[] = {"latitude",          "longitude",     "depth",  "latitudeAccuracy",
                                 "longitudeAccuracy", "depthAccuracy", "status", "framerate"};
}  // namespace columns

template <size_t N>
constexpr Layout numeric(Element element, const char *const (&names)[N]) {
    return Layout{element, static_cast<int>(N), names};
}

// A record laid out by the generic writer names each of its output values in
// order, value by value, in a values list beside its type:
//   template <class O, class D> static constexpr void values(O &o, const D &d) {
//       o("depth", d.depth), o("status", d.status);
//   }
// Its columns, its element count and what its writer fills then follow from
// that one list. The templates below take any such description V (a `Type`
// and its `values`); a catalogue record's is its RecordType.
struct ValueCounter {
    int count = 0;
    template <class T>
    constexpr void operator()(const char *, const T &) {
        ++count;
    }
};

template <class V>
constexpr int valueCountOf() {
    typename V::Type record{};
    ValueCounter counter;
    V::values(counter, record);
    return counter.count;
}

template <Record R>
constexpr int valueCount() {
    return valueCountOf<RecordType<R>>();
}

// The values list's names, then the framerate the decoder may append.
template <class V>
struct ValueNames {
    static constexpr size_t kCount = static_cast<size_t>(valueCountOf<V>()) + 1;
    struct Namer {
        std::array<const char *, kCount> *names;
        size_t next = 0;
        template <class T>
        constexpr void operator()(const char *name, const T &) {
            (*names)[next++] = name;
        }
    };
    static constexpr std::array<const char *, kCount> kNames = [] {
        std::array<const char *, kCount> names{};
        typename V::Type record{};
        Namer namer{&names};
        V::values(namer, record);
        names[kCount - 1] = "framerate";
        return names;
    }();
};

template <Record R>
using ValueColumns = ValueNames<RecordType<R>>;

template <Record R>
constexpr Layout valueLayout(Element element) {
    return Layout{element, static_cast<int>(ValueColumns<R>::kCount), ValueColumns<R>::kNames.data()};
}

// Indexed by Record.
constexpr Layout kLayouts[] = {
    valueLayout<Record::Status>(Element::Integer64),
    numeric(Element::Integer64, columns::kUtc),
    numeric(Element::Float64, columns::kImu),
    numeric(Element::Float64, columns::kMag),
    numeric(Element::Integer64, columns::kMagCalib),
    numeric(Element::Float64, columns::kEkfEuler),
    numeric(Element::Float64, columns::kEkfQuat),
    numeric(Element::Float64, columns::kEkfNav),
    numeric(Element::Float64, columns::kGpsVel),
    numeric(Element::Float64, columns::kGpsPos),
    numeric(Element::Float64, columns::kGpsHdt),
    Layout{Element::Stream8, static_cast<int>(ZUV_ECOM_MAX_PAYLOAD_SIZE), nullptr},
    valueLayout<Record::Odometer>(Element::Float64),
    numeric(Element::Integer64, columns::kEvent),
    numeric(Element::Float64, columns::kDvl),
    numeric(Element::Float64, columns::kAirData),
    numeric(Element::Float64, columns::kUsbl),
};
static_assert(sizeof(kLayouts) / sizeof(kLayouts[0]) == kRecordCount, "one layout per record");

constexpr const Layout &layoutOf(Record record) {
    return kLayouts[static_cast<size_t>(record)];
}

// A record's sample size: the writer's values plus the appended framerate.
constexpr int elementCount(Record record) {
    return layoutOf(record).elementCount;
}

// GNSS receivers update at 5 Hz; event markers follow their pulses (0).
constexpr uint16_t kGnssRateHz = 5;

struct LogKind {
    const char *property;  // the reader's rate property and the decoder's enable property
    uint8_t msgId;
    Record record;
    const char *output;      // the decoder's output
    const char *twin;        // its device time stamp output, "" where the kind has none
    uint16_t newDataRateHz;  // the sensor's own rate behind "On New Data"
};

// In the order of the reader's rate properties, the decoder's enable
// properties and the decoder's outputs.
constexpr LogKind kLogKinds[] = {
    {"pStatus", ZUV_ECOM_LOG_STATUS, Record::Status, "oStatus", "", 200},
    {"pUtcTime", ZUV_ECOM_LOG_UTC_TIME, Record::Utc, "oUtcTime", "oUtcTimeInternalTimestamp", 200},
    {"pImuData", ZUV_ECOM_LOG_IMU_DATA, Record::Imu, "oImu", "oImuInternalTimestamp", 200},
    {"pMag", ZUV_ECOM_LOG_MAG, Record::Mag, "oMag", "oMagInternalTimestamp", 100},
    {"pMagCalib", ZUV_ECOM_LOG_MAG_CALIB, Record::MagCalib, "oMagCalib", "", 1},
    {"pEkfEuler", ZUV_ECOM_LOG_EKF_EULER, Record::EkfEuler, "oEkfEuler", "oEkfEulerInternalTimestamp", 200},
    {"pEkfQuat", ZUV_ECOM_LOG_EKF_QUAT, Record::EkfQuat, "oEkfQuat", "oEkfQuatInternalTimestamp", 200},
    {"pEkfNav", ZUV_ECOM_LOG_EKF_NAV, Record::EkfNav, "oEkfNav", "oEkfNavInternalTimestamp", 200},
    {"pGps1Vel", ZUV_ECOM_LOG_GPS1_VEL, Record::GpsVel, "oGps1Vel", "oGps1VelInternalTimestamp", kGnssRateHz},
    {"pGps1Pos", ZUV_ECOM_LOG_GPS1_POS, Record::GpsPos, "oGps1Pos", "oGps1PosInternalTimestamp", kGnssRateHz},
    {"pGps1Hdt", ZUV_ECOM_LOG_GPS1_HDT, Record::GpsHdt, "oGps1Hdt", "oGps1HdtInternalTimestamp", kGnssRateHz},
    {"pGps1Raw", ZUV_ECOM_LOG_GPS1_RAW, Record::GpsRaw, "oGps1Raw", "", kGnssRateHz},
    {"pGps2Vel", ZUV_ECOM_LOG_GPS2_VEL, Record::GpsVel, "oGps2Vel", "oGps2VelInternalTimestamp", kGnssRateHz},
    {"pGps2Pos", ZUV_ECOM_LOG_GPS2_POS, Record::GpsPos, "oGps2Pos", "oGps2PosInternalTimestamp", kGnssRateHz},
    {"pGps2Hdt", ZUV_ECOM_LOG_GPS2_HDT, Record::GpsHdt, "oGps2Hdt", "oGps2HdtInternalTimestamp", kGnssRateHz},
    {"pGps2Raw", ZUV_ECOM_LOG_GPS2_RAW, Record::GpsRaw, "oGps2Raw", "", kGnssRateHz},
    {"pOdoVel", ZUV_ECOM_LOG_ODO_VEL, Record::Odometer, "oOdoVel", "oOdoVelInternalTimestamp", 50},
    {"pEventA", ZUV_ECOM_LOG_EVENT_A, Record::Event, "oEventMarkerA", "", 0},
    {"pEventB", ZUV_ECOM_LOG_EVENT_B, Record::Event, "oEventMarkerB", "", 0},
    {"pEventC", ZUV_ECOM_LOG_EVENT_C, Record::Event, "oEventMarkerC", "", 0},
    {"pEventD", ZUV_ECOM_LOG_EVENT_D, Record::Event, "oEventMarkerD", "", 0},
    {"pEventE", ZUV_ECOM_LOG_EVENT_E, Record::Event, "oEventMarkerE", "", 0},
    {"pDvlBottomTrack", ZUV_ECOM_LOG_DVL_BOTTOM_TRACK, Record::Dvl, "oDvlBottomTrack",
     "oDvlBottomTrackInternalTimestamp", 10},
    {"pDvlWaterTrack", ZUV_ECOM_LOG_DVL_WATER_TRACK, Record::Dvl, "oDvlWaterTrack", "oDvlWaterTrackInternalTimestamp",
     10},
    {"pAirData", ZUV_ECOM_LOG_AIR_DATA, Record::AirData, "oPressure", "oPressureInternalTimestamp", 25},
    {"pUsbl", ZUV_ECOM_LOG_USBL, Record::Usbl, "oUsbl", "oUsblInternalTimestamp", 1},
};

constexpr size_t kLogKindCount = sizeof(kLogKinds) / sizeof(kLogKinds[0]);
static_assert(kLogKindCount == 26, "the reader and the decoder offer 26 log kinds");

// Outputs: one per kind, plus one per twin.
constexpr size_t kOutputCount = [] {
    size_t count = 0;
    for (const LogKind &kind : kLogKinds) count += kind.twin[0] != '\0' ? 2 : 1;
    return count;
}();

// The kind's name without its "p": the simulator's log name.
constexpr const char *logName(const LogKind &kind) {
    return kind.property + 1;
}

constexpr int kindIndexOf(uint8_t msgId) {
    for (size_t i = 0; i < kLogKindCount; ++i) {
        if (kLogKinds[i].msgId == msgId) return static_cast<int>(i);
    }
    return -1;
}

constexpr const LogKind *kindOf(uint8_t msgId) {
    const int index = kindIndexOf(msgId);
    return index < 0 ? nullptr : &kLogKinds[index];
}

constexpr bool startsWithP(const char *text) {
    return text[0] == 'p' && text[1] != '\0';
}

constexpr bool checkKinds() {
    for (size_t i = 0; i < kLogKindCount; ++i) {
        const LogKind &kind = kLogKinds[i];
        if (!startsWithP(kind.property) || kind.msgId >= ZUV_ECOM_LOG_ECOM_NUM_MESSAGES) return false;
        if (kindIndexOf(kind.msgId) != static_cast<int>(i)) return false;  // ids unique
        // Twins carry the device time stamp, which raw bytes and markers do not have apart.
        const bool twin = kind.twin[0] != '\0';
        if (twin && (kind.record == Record::GpsRaw || kind.record == Record::Event)) return false;
    }
    return true;
}
static_assert(checkKinds(), "every kind has its own id below the first non-log id and a rate property");

// The 15 rate choices: the text the reader offers and the device output mode behind it.
struct RateChoice {
    const char *text;
    uint16_t mode;
};

constexpr RateChoice kRateChoices[] = {
    {"Disabled", ZUV_ECOM_OUTPUT_MODE_DISABLED},
    {"200 Hz", ZUV_ECOM_OUTPUT_MODE_MAIN_LOOP},
    {"100 Hz", ZUV_ECOM_OUTPUT_MODE_DIV_2},
    {"50 Hz", ZUV_ECOM_OUTPUT_MODE_DIV_4},
    {"25 Hz", ZUV_ECOM_OUTPUT_MODE_DIV_8},
    {"20 Hz", ZUV_ECOM_OUTPUT_MODE_DIV_10},
    {"10 Hz", ZUV_ECOM_OUTPUT_MODE_DIV_20},
    {"5 Hz", ZUV_ECOM_OUTPUT_MODE_DIV_40},
    {"1 Hz", ZUV_ECOM_OUTPUT_MODE_DIV_200},
    {"On PPS", ZUV_ECOM_OUTPUT_MODE_PPS},
    {"On New Data", ZUV_ECOM_OUTPUT_MODE_NEW_DATA},
    {"On Sync A Event", ZUV_ECOM_OUTPUT_MODE_SYNC_A},
    {"On Sync B Event", ZUV_ECOM_OUTPUT_MODE_SYNC_B},
    {"On Sync C Event", ZUV_ECOM_OUTPUT_MODE_SYNC_C},
    {"On Sync D Event", ZUV_ECOM_OUTPUT_MODE_SYNC_D},
};
constexpr size_t kRateChoiceCount = sizeof(kRateChoices) / sizeof(kRateChoices[0]);

// The same choices as one enumeration text, for the host's property table.
constexpr const char kRateChoiceText[] =
    "Disabled|200 Hz|100 Hz|50 Hz|25 Hz|20 Hz|10 Hz|5 Hz|1 Hz|On PPS|On New Data|On Sync A Event|"
    "On Sync B Event|On Sync C Event|On Sync D Event";

constexpr bool choiceTextMatches() {
    const char *p = kRateChoiceText;
    for (size_t i = 0; i < kRateChoiceCount; ++i) {
        if (i > 0 && *p++ != '|') return false;
        for (const char *c = kRateChoices[i].text; *c != '\0'; ++c) {
            if (*p++ != *c) return false;
        }
    }
    return *p == '\0';
}
static_assert(choiceTextMatches(), "the enumeration text lists the rate choices in order");

}  // namespace zuv::catalogue
