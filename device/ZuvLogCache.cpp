#include "ZuvLogCache.h"

#include "zuvEComLogCatalogue.h"

ZuvLogStatusData gStatusData;
ZuvLogUtcData gUtcData;
ZuvLogImuData gImuData;
ZuvLogMag gMagData;
ZuvLogMagCalib gMagCalibData;
ZuvLogEkfEulerData gEkfEulerData;
ZuvLogEkfQuatData gEkfQuatData;
ZuvLogEkfNavData gEkfNavData;
ZuvLogGpsVel gGps1VelData;
ZuvLogGpsPos gGps1PosData;
ZuvLogGpsHdt gGps1HdtData;
ZuvLogGpsVel gGps2VelData;
ZuvLogGpsPos gGps2PosData;
ZuvLogGpsHdt gGps2HdtData;
ZuvLogOdometerData gOdometerData;
ZuvLogEvent gEventMarkerA;
ZuvLogEvent gEventMarkerB;
ZuvLogEvent gEventMarkerC;
ZuvLogEvent gEventMarkerD;
ZuvLogEvent gEventMarkerE;
ZuvLogDvlData gDvlBottomTrackData;
ZuvLogDvlData gDvlWaterTrackData;
ZuvLogGpsRaw gGps1RawData;
ZuvLogAirData gAirData;
ZuvLogUsblData gUsblData;
ZuvLogGpsRaw gGps2RawData;

bool gNewStatusDataReceived;
bool gNewUtcDataReceived;
bool gNewImuDataReceived;
bool gNewMagDataReceived;
bool gNewMagCalibDataReceived;
bool gNewEkfEulerDataReceived;
bool gNewEkfQuatDataReceived;
bool gNewEkfNavDataReceived;
bool gNewGps1VelDataReceived;
bool gNewGps1PosDataReceived;
bool gNewGps1HdtDataReceived;
bool gNewGps2VelDataReceived;
bool gNewGps2PosDataReceived;
bool gNewGps2HdtDataReceived;
bool gNewOdometerDataReceived;
bool gNewEventMarkerAReceived;
bool gNewEventMarkerBReceived;
bool gNewEventMarkerCReceived;
bool gNewEventMarkerDReceived;
bool gNewEventMarkerEReceived;
bool gNewDvlBottomTrackDataReceived;
bool gNewDvlWaterTrackDataReceived;
bool gNewGps1RawDataReceived;
bool gNewPressureDataReceived;
bool gNewUsblDataReceived;
bool gNewGps2RawDataReceived;

uint32_t gEkfStatus;
bool gNewEkfStatusReceived;
bool gNewDataReceived;

namespace {

void keepSolutionStatus(uint32_t solutionStatus) {
    gEkfStatus = solutionStatus;
    gNewEkfStatusReceived = true;
}

using zuv::catalogue::Record;
using zuv::catalogue::RecordType;

// One cached log kind: which record it holds and what storing and clearing it does.
struct Slot {
    Record record;
    bool *flag;
    void (*store)(const ZuvBinaryLogData &log);
    void (*clear)();
};

template <Record R, typename RecordType<R>::Type *Cached, bool *Flag>
constexpr Slot slot() {
    return {R, Flag, [](const ZuvBinaryLogData &log) { *Cached = log.*RecordType<R>::kMember; },
            [] { *Cached = {}; }};
}

// The attitude and navigation records also carry the filter's status.
template <Record R, typename RecordType<R>::Type *Cached, bool *Flag>
constexpr Slot filterSlot() {
    return {R, Flag,
            [](const ZuvBinaryLogData &log) {
                *Cached = log.*RecordType<R>::kMember;
                keepSolutionStatus(Cached->solutionStatus);
            },
            [] { *Cached = {}; }};
}

// In the log catalogue's order.
constexpr Slot kSlots[] = {
    slot<Record::Status, &gStatusData, &gNewStatusDataReceived>(),
    slot<Record::Utc, &gUtcData, &gNewUtcDataReceived>(),
    slot<Record::Imu, &gImuData, &gNewImuDataReceived>(),
    slot<Record::Mag, &gMagData, &gNewMagDataReceived>(),
    slot<Record::MagCalib, &gMagCalibData, &gNewMagCalibDataReceived>(),
    filterSlot<Record::EkfEuler, &gEkfEulerData, &gNewEkfEulerDataReceived>(),
    filterSlot<Record::EkfQuat, &gEkfQuatData, &gNewEkfQuatDataReceived>(),
    filterSlot<Record::EkfNav, &gEkfNavData, &gNewEkfNavDataReceived>(),
    slot<Record::GpsVel, &gGps1VelData, &gNewGps1VelDataReceived>(),
    slot<Record::GpsPos, &gGps1PosData, &gNewGps1PosDataReceived>(),
    slot<Record::GpsHdt, &gGps1HdtData, &gNewGps1HdtDataReceived>(),
    slot<Record::GpsRaw, &gGps1RawData, &gNewGps1RawDataReceived>(),
    slot<Record::GpsVel, &gGps2VelData, &gNewGps2VelDataReceived>(),
    slot<Record::GpsPos, &gGps2PosData, &gNewGps2PosDataReceived>(),
    slot<Record::GpsHdt, &gGps2HdtData, &gNewGps2HdtDataReceived>(),
    slot<Record::GpsRaw, &gGps2RawData, &gNewGps2RawDataReceived>(),
    slot<Record::Odometer, &gOdometerData, &gNewOdometerDataReceived>(),
    slot<Record::Event, &gEventMarkerA, &gNewEventMarkerAReceived>(),
    slot<Record::Event, &gEventMarkerB, &gNewEventMarkerBReceived>(),
    slot<Record::Event, &gEventMarkerC, &gNewEventMarkerCReceived>(),
    slot<Record::Event, &gEventMarkerD, &gNewEventMarkerDReceived>(),
    slot<Record::Event, &gEventMarkerE, &gNewEventMarkerEReceived>(),
    slot<Record::Dvl, &gDvlBottomTrackData, &gNewDvlBottomTrackDataReceived>(),
    slot<Record::Dvl, &gDvlWaterTrackData, &gNewDvlWaterTrackDataReceived>(),
    slot<Record::AirData, &gAirData, &gNewPressureDataReceived>(),
    slot<Record::Usbl, &gUsblData, &gNewUsblDataReceived>(),
};

constexpr bool slotsFollowTheCatalogue() {
    if (sizeof(kSlots) / sizeof(kSlots[0]) != zuv::catalogue::kLogKindCount) return false;
    for (size_t i = 0; i < zuv::catalogue::kLogKindCount; ++i) {
        if (kSlots[i].record != zuv::catalogue::kLogKinds[i].record) return false;
    }
    return true;
}
static_assert(slotsFollowTheCatalogue(), "one cache slot per log kind, holding the kind's record");

}  // namespace

bool ZuvLogCacheStore(ZuvEComClass msgClass, uint8_t msgId, const ZuvBinaryLogData &log) {
    if (msgClass != ZUV_ECOM_CLASS_LOG_ECOM_0 && msgClass != ZUV_ECOM_CLASS_LOG_ECOM_1) {
        return false;
    }
    const int kind = zuv::catalogue::kindIndexOf(msgId);
    if (kind < 0) {
        return false;  // ship motion, opaque ids and anything above 38
    }
    kSlots[kind].store(log);
    *kSlots[kind].flag = true;
    gNewDataReceived = true;
    return true;
}

void ZuvLogCacheClearFlags() {
    for (const Slot &entry : kSlots) *entry.flag = false;
    gNewEkfStatusReceived = false;
    gNewDataReceived = false;
}

void ZuvLogCacheClear() {
    ZuvLogCacheClearFlags();
    for (const Slot &entry : kSlots) entry.clear();
    gEkfStatus = 0;
}
