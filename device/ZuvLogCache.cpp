#include "ZuvLogCache.h"

#include <initializer_list>

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

template <typename Record>
void keep(Record &slot, bool &newFlag, const Record &log) {
    slot = log;
    newFlag = true;
}

void keepSolutionStatus(uint32_t solutionStatus) {
    gEkfStatus = solutionStatus;
    gNewEkfStatusReceived = true;
}

}  // namespace

bool ZuvLogCacheStore(ZuvEComClass msgClass, uint8_t msgId, const ZuvBinaryLogData &log) {
    if (msgClass != ZUV_ECOM_CLASS_LOG_ECOM_0 && msgClass != ZUV_ECOM_CLASS_LOG_ECOM_1) {
        return false;
    }
    switch (msgId) {
        case ZUV_ECOM_LOG_STATUS: keep(gStatusData, gNewStatusDataReceived, log.statusData); break;
        case ZUV_ECOM_LOG_UTC_TIME: keep(gUtcData, gNewUtcDataReceived, log.utcData); break;
        case ZUV_ECOM_LOG_IMU_DATA: keep(gImuData, gNewImuDataReceived, log.imuData); break;
        case ZUV_ECOM_LOG_MAG: keep(gMagData, gNewMagDataReceived, log.magData); break;
        case ZUV_ECOM_LOG_MAG_CALIB: keep(gMagCalibData, gNewMagCalibDataReceived, log.magCalibData); break;
        case ZUV_ECOM_LOG_EKF_EULER:
            keep(gEkfEulerData, gNewEkfEulerDataReceived, log.ekfEulerData);
            keepSolutionStatus(log.ekfEulerData.solutionStatus);
            break;
        case ZUV_ECOM_LOG_EKF_QUAT:
            keep(gEkfQuatData, gNewEkfQuatDataReceived, log.ekfQuatData);
            keepSolutionStatus(log.ekfQuatData.solutionStatus);
            break;
        case ZUV_ECOM_LOG_EKF_NAV:
            keep(gEkfNavData, gNewEkfNavDataReceived, log.ekfNavData);
            keepSolutionStatus(log.ekfNavData.solutionStatus);
            break;
        case ZUV_ECOM_LOG_GPS1_VEL: keep(gGps1VelData, gNewGps1VelDataReceived, log.gpsVelData); break;
        case ZUV_ECOM_LOG_GPS1_POS: keep(gGps1PosData, gNewGps1PosDataReceived, log.gpsPosData); break;
        case ZUV_ECOM_LOG_GPS1_HDT: keep(gGps1HdtData, gNewGps1HdtDataReceived, log.gpsHdtData); break;
        case ZUV_ECOM_LOG_GPS2_VEL: keep(gGps2VelData, gNewGps2VelDataReceived, log.gpsVelData); break;
        case ZUV_ECOM_LOG_GPS2_POS: keep(gGps2PosData, gNewGps2PosDataReceived, log.gpsPosData); break;
        case ZUV_ECOM_LOG_GPS2_HDT: keep(gGps2HdtData, gNewGps2HdtDataReceived, log.gpsHdtData); break;
        case ZUV_ECOM_LOG_ODO_VEL: keep(gOdometerData, gNewOdometerDataReceived, log.odometerData); break;
        case ZUV_ECOM_LOG_EVENT_A: keep(gEventMarkerA, gNewEventMarkerAReceived, log.eventMarker); break;
        case ZUV_ECOM_LOG_EVENT_B: keep(gEventMarkerB, gNewEventMarkerBReceived, log.eventMarker); break;
        case ZUV_ECOM_LOG_EVENT_C: keep(gEventMarkerC, gNewEventMarkerCReceived, log.eventMarker); break;
        case ZUV_ECOM_LOG_EVENT_D: keep(gEventMarkerD, gNewEventMarkerDReceived, log.eventMarker); break;
        case ZUV_ECOM_LOG_EVENT_E: keep(gEventMarkerE, gNewEventMarkerEReceived, log.eventMarker); break;
        case ZUV_ECOM_LOG_DVL_BOTTOM_TRACK:
            keep(gDvlBottomTrackData, gNewDvlBottomTrackDataReceived, log.dvlData);
            break;
        case ZUV_ECOM_LOG_DVL_WATER_TRACK:
            keep(gDvlWaterTrackData, gNewDvlWaterTrackDataReceived, log.dvlData);
            break;
        case ZUV_ECOM_LOG_GPS1_RAW: keep(gGps1RawData, gNewGps1RawDataReceived, log.gpsRawData); break;
        case ZUV_ECOM_LOG_AIR_DATA: keep(gAirData, gNewPressureDataReceived, log.airData); break;
        case ZUV_ECOM_LOG_USBL: keep(gUsblData, gNewUsblDataReceived, log.usblData); break;
        case ZUV_ECOM_LOG_GPS2_RAW: keep(gGps2RawData, gNewGps2RawDataReceived, log.gpsRawData); break;
        default: return false;  // ship motion, opaque ids and anything above 38
    }
    gNewDataReceived = true;
    return true;
}

void ZuvLogCacheClearFlags() {
    for (bool *flag : {&gNewStatusDataReceived,     &gNewUtcDataReceived,          &gNewImuDataReceived,
                       &gNewMagDataReceived,        &gNewMagCalibDataReceived,     &gNewEkfEulerDataReceived,
                       &gNewEkfQuatDataReceived,    &gNewEkfNavDataReceived,       &gNewGps1VelDataReceived,
                       &gNewGps1PosDataReceived,    &gNewGps1HdtDataReceived,      &gNewGps2VelDataReceived,
                       &gNewGps2PosDataReceived,    &gNewGps2HdtDataReceived,      &gNewOdometerDataReceived,
                       &gNewEventMarkerAReceived,   &gNewEventMarkerBReceived,     &gNewEventMarkerCReceived,
                       &gNewEventMarkerDReceived,   &gNewEventMarkerEReceived,     &gNewDvlBottomTrackDataReceived,
                       &gNewDvlWaterTrackDataReceived, &gNewGps1RawDataReceived,   &gNewPressureDataReceived,
                       &gNewUsblDataReceived,       &gNewGps2RawDataReceived,      &gNewEkfStatusReceived,
                       &gNewDataReceived}) {
        *flag = false;
    }
}

void ZuvLogCacheClear() {
    ZuvLogCacheClearFlags();
    gStatusData = {};
    gUtcData = {};
    gImuData = {};
    gMagData = {};
    gMagCalibData = {};
    gEkfEulerData = {};
    gEkfQuatData = {};
    gEkfNavData = {};
    gGps1VelData = {};
    gGps1PosData = {};
    gGps1HdtData = {};
    gGps2VelData = {};
    gGps2PosData = {};
    gGps2HdtData = {};
    gOdometerData = {};
    gEventMarkerA = {};
    gEventMarkerB = {};
    gEventMarkerC = {};
    gEventMarkerD = {};
    gEventMarkerE = {};
    gDvlBottomTrackData = {};
    gDvlWaterTrackData = {};
    gGps1RawData = {};
    gAirData = {};
    gUsblData = {};
    gGps2RawData = {};
    gEkfStatus = 0;
}
