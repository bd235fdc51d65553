// The process-wide log cache: the latest record of each of 26 log kinds, each
// with a "new" flag, the solution status word of the attitude and navigation
// logs, and the any-log flag that the settings save waits on.
//
// The device link registers CZuvCommunication::_onLogReceived with a null user
// argument, so there is one cache per process, not one per link object.
//
// Errors: none; the store ignores logs it does not keep.
// Threading: no lock, by design. The store runs on whichever thread is inside
// zuvEComHandle; the link's queries pump the library themselves, so a query and
// the stores it waits for run on one thread. Two links pumped from two threads
// share the cache unprotected: don't. Tests call ZuvLogCacheClear() between
// cases so that none sees another's records.
#pragma once

#include <cstdint>

#include "zuvEComBinaryLogs.h"

extern ZuvLogStatusData gStatusData;
extern ZuvLogUtcData gUtcData;
extern ZuvLogImuData gImuData;
extern ZuvLogMag gMagData;
extern ZuvLogMagCalib gMagCalibData;
extern ZuvLogEkfEulerData gEkfEulerData;
extern ZuvLogEkfQuatData gEkfQuatData;
extern ZuvLogEkfNavData gEkfNavData;
extern ZuvLogGpsVel gGps1VelData;
extern ZuvLogGpsPos gGps1PosData;
extern ZuvLogGpsHdt gGps1HdtData;
extern ZuvLogGpsVel gGps2VelData;
extern ZuvLogGpsPos gGps2PosData;
extern ZuvLogGpsHdt gGps2HdtData;
extern ZuvLogOdometerData gOdometerData;
extern ZuvLogEvent gEventMarkerA;
extern ZuvLogEvent gEventMarkerB;
extern ZuvLogEvent gEventMarkerC;
extern ZuvLogEvent gEventMarkerD;
extern ZuvLogEvent gEventMarkerE;
extern ZuvLogDvlData gDvlBottomTrackData;
extern ZuvLogDvlData gDvlWaterTrackData;
extern ZuvLogGpsRaw gGps1RawData;
extern ZuvLogAirData gAirData;
extern ZuvLogUsblData gUsblData;
extern ZuvLogGpsRaw gGps2RawData;

extern bool gNewStatusDataReceived;
extern bool gNewUtcDataReceived;
extern bool gNewImuDataReceived;
extern bool gNewMagDataReceived;
extern bool gNewMagCalibDataReceived;
extern bool gNewEkfEulerDataReceived;
extern bool gNewEkfQuatDataReceived;
extern bool gNewEkfNavDataReceived;
extern bool gNewGps1VelDataReceived;
extern bool gNewGps1PosDataReceived;
extern bool gNewGps1HdtDataReceived;
extern bool gNewGps2VelDataReceived;
extern bool gNewGps2PosDataReceived;
extern bool gNewGps2HdtDataReceived;
extern bool gNewOdometerDataReceived;
extern bool gNewEventMarkerAReceived;
extern bool gNewEventMarkerBReceived;
extern bool gNewEventMarkerCReceived;
extern bool gNewEventMarkerDReceived;
extern bool gNewEventMarkerEReceived;
extern bool gNewDvlBottomTrackDataReceived;
extern bool gNewDvlWaterTrackDataReceived;
extern bool gNewGps1RawDataReceived;
extern bool gNewPressureDataReceived;
extern bool gNewUsblDataReceived;
extern bool gNewGps2RawDataReceived;

extern uint32_t gEkfStatus;
extern bool gNewEkfStatusReceived;
extern bool gNewDataReceived;

// Stores one parsed log (classes 0 and 1, the 26 kept ids); true when it was kept.
bool ZuvLogCacheStore(ZuvEComClass msgClass, uint8_t msgId, const ZuvBinaryLogData &log);
// Clears every flag; records keep their contents.
void ZuvLogCacheClearFlags();
// Back to the state at load: every record zeroed, every flag false.
void ZuvLogCacheClear();
