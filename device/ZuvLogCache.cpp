#include "ZuvLogCache.h"

#include "ZuvLogCacheSlots.h"

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

using zuv::cache::Slot;

template <uint8_t Id, auto *Cached, bool *Flag>
constexpr Slot slot() {
    return zuv::cache::recordSlot<zuv::catalogue::kindOf(Id)->record, Cached, Flag>(Id);
}

// The kinds with a name of their own for their record and flag.
constexpr Slot kNamedSlots[] = {
    slot<ZUV_ECOM_LOG_STATUS, &gStatusData, &gNewStatusDataReceived>(),
    slot<ZUV_ECOM_LOG_UTC_TIME, &gUtcData, &gNewUtcDataReceived>(),
    slot<ZUV_ECOM_LOG_IMU_DATA, &gImuData, &gNewImuDataReceived>(),
    slot<ZUV_ECOM_LOG_MAG, &gMagData, &gNewMagDataReceived>(),
    slot<ZUV_ECOM_LOG_MAG_CALIB, &gMagCalibData, &gNewMagCalibDataReceived>(),
    slot<ZUV_ECOM_LOG_EKF_EULER, &gEkfEulerData, &gNewEkfEulerDataReceived>(),
    slot<ZUV_ECOM_LOG_EKF_QUAT, &gEkfQuatData, &gNewEkfQuatDataReceived>(),
    slot<ZUV_ECOM_LOG_EKF_NAV, &gEkfNavData, &gNewEkfNavDataReceived>(),
    slot<ZUV_ECOM_LOG_GPS1_VEL, &gGps1VelData, &gNewGps1VelDataReceived>(),
    slot<ZUV_ECOM_LOG_GPS1_POS, &gGps1PosData, &gNewGps1PosDataReceived>(),
    slot<ZUV_ECOM_LOG_GPS1_HDT, &gGps1HdtData, &gNewGps1HdtDataReceived>(),
    slot<ZUV_ECOM_LOG_GPS1_RAW, &gGps1RawData, &gNewGps1RawDataReceived>(),
    slot<ZUV_ECOM_LOG_GPS2_VEL, &gGps2VelData, &gNewGps2VelDataReceived>(),
    slot<ZUV_ECOM_LOG_GPS2_POS, &gGps2PosData, &gNewGps2PosDataReceived>(),
    slot<ZUV_ECOM_LOG_GPS2_HDT, &gGps2HdtData, &gNewGps2HdtDataReceived>(),
    slot<ZUV_ECOM_LOG_GPS2_RAW, &gGps2RawData, &gNewGps2RawDataReceived>(),
    slot<ZUV_ECOM_LOG_ODO_VEL, &gOdometerData, &gNewOdometerDataReceived>(),
    slot<ZUV_ECOM_LOG_EVENT_A, &gEventMarkerA, &gNewEventMarkerAReceived>(),
    slot<ZUV_ECOM_LOG_EVENT_B, &gEventMarkerB, &gNewEventMarkerBReceived>(),
    slot<ZUV_ECOM_LOG_EVENT_C, &gEventMarkerC, &gNewEventMarkerCReceived>(),
    slot<ZUV_ECOM_LOG_EVENT_D, &gEventMarkerD, &gNewEventMarkerDReceived>(),
    slot<ZUV_ECOM_LOG_EVENT_E, &gEventMarkerE, &gNewEventMarkerEReceived>(),
    slot<ZUV_ECOM_LOG_DVL_BOTTOM_TRACK, &gDvlBottomTrackData, &gNewDvlBottomTrackDataReceived>(),
    slot<ZUV_ECOM_LOG_DVL_WATER_TRACK, &gDvlWaterTrackData, &gNewDvlWaterTrackDataReceived>(),
    slot<ZUV_ECOM_LOG_AIR_DATA, &gAirData, &gNewPressureDataReceived>(),
    slot<ZUV_ECOM_LOG_USBL, &gUsblData, &gNewUsblDataReceived>(),
};

// In the log catalogue's order; kinds without names are kept all the same,
// for the flags and the any-log flag.
constexpr auto kSlots = zuv::cache::slotsFor<zuv::catalogue::kLogKinds, kNamedSlots>();
static_assert(kSlots.size() == zuv::catalogue::kLogKindCount, "a slot per kind");

}  // namespace

bool ZuvLogCacheStore(ZuvEComClass msgClass, uint8_t msgId, const ZuvBinaryLogData &log) {
    return zuv::cache::store(kSlots, msgClass, msgId, log);  // not ship motion, opaque ids nor anything above 38
}

void ZuvLogCacheClearFlags() {
    zuv::cache::clearFlags(kSlots);
}

void ZuvLogCacheClear() {
    zuv::cache::clear(kSlots);
}
