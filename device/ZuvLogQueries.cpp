// The link's side of the log cache: the receive-log callback and the queries
// that pump the library and hand out each new record once.
#include "ZuvCommunication.h"
#include "ZuvLogCache.h"
#include "zuvPlatform.h"

namespace {

// One pump without waiting; with waiting, 2001 pumps one millisecond apart (about 2 s).
constexpr int kWaitAttempts = 2001;
constexpr uint32_t kWaitPauseMs = 1;

ZuvErrorCode nothingNew(ZuvErrorCode lastPump) {
    return lastPump != ZUV_NO_ERROR ? lastPump : ZUV_ERROR;
}

}  // namespace

ZuvErrorCode CZuvCommunication::_onLogReceived(ZuvEComHandle *, ZuvEComClass msgClass, uint8_t msgId,
                                               const ZuvBinaryLogData *pLogData, void *) {
    if (pLogData != nullptr) {
        ZuvLogCacheStore(msgClass, msgId, *pLogData);
    }
    return ZUV_NO_ERROR;
}

void CZuvCommunication::ResetDataReceived() {
    ZuvLogCacheClearFlags();
}

// The flag is tested after each pump, so a record that came before the call
// and was never read is handed out at once.
template <typename Record>
ZuvErrorCode CZuvCommunication::deliverNew(Record &out, const Record &cached, bool &newFlag, bool wait) {
    const int attempts = wait ? kWaitAttempts : 1;
    ZuvErrorCode lastPump = ZUV_NO_ERROR;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        lastPump = calls_.handle(&handle_);
        if (newFlag) {
            out = cached;
            newFlag = false;
            return ZUV_NO_ERROR;
        }
        if (attempt < attempts) {
            zuvSleep(kWaitPauseMs);
        }
    }
    return nothingNew(lastPump);
}

ZuvErrorCode CZuvCommunication::GetStatus(ZuvLogStatusData &data, bool wait) {
    return deliverNew(data, gStatusData, gNewStatusDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetUtcTime(ZuvLogUtcData &data, bool wait) {
    return deliverNew(data, gUtcData, gNewUtcDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetImu(ZuvLogImuData &data, bool wait) {
    return deliverNew(data, gImuData, gNewImuDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetMag(ZuvLogMag &data, bool wait) {
    return deliverNew(data, gMagData, gNewMagDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetMagCalib(ZuvLogMagCalib &data, bool wait) {
    return deliverNew(data, gMagCalibData, gNewMagCalibDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetEkfEuler(ZuvLogEkfEulerData &data, bool wait) {
    return deliverNew(data, gEkfEulerData, gNewEkfEulerDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetEkfQuat(ZuvLogEkfQuatData &data, bool wait) {
    return deliverNew(data, gEkfQuatData, gNewEkfQuatDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetEkfNav(ZuvLogEkfNavData &data, bool wait) {
    return deliverNew(data, gEkfNavData, gNewEkfNavDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetGPS1Velocity(ZuvLogGpsVel &data, bool wait) {
    return deliverNew(data, gGps1VelData, gNewGps1VelDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetGPS1Position(ZuvLogGpsPos &data, bool wait) {
    return deliverNew(data, gGps1PosData, gNewGps1PosDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetGPS1HDT(ZuvLogGpsHdt &data, bool wait) {
    return deliverNew(data, gGps1HdtData, gNewGps1HdtDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetGPS2Velocity(ZuvLogGpsVel &data, bool wait) {
    return deliverNew(data, gGps2VelData, gNewGps2VelDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetGPS2Position(ZuvLogGpsPos &data, bool wait) {
    return deliverNew(data, gGps2PosData, gNewGps2PosDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetGPS2HDT(ZuvLogGpsHdt &data, bool wait) {
    return deliverNew(data, gGps2HdtData, gNewGps2HdtDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetOdometerVelocity(ZuvLogOdometerData &data, bool wait) {
    return deliverNew(data, gOdometerData, gNewOdometerDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetEventMarkerA(ZuvLogEvent &data, bool wait) {
    return deliverNew(data, gEventMarkerA, gNewEventMarkerAReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetEventMarkerB(ZuvLogEvent &data, bool wait) {
    return deliverNew(data, gEventMarkerB, gNewEventMarkerBReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetEventMarkerC(ZuvLogEvent &data, bool wait) {
    return deliverNew(data, gEventMarkerC, gNewEventMarkerCReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetEventMarkerD(ZuvLogEvent &data, bool wait) {
    return deliverNew(data, gEventMarkerD, gNewEventMarkerDReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetEventMarkerE(ZuvLogEvent &data, bool wait) {
    return deliverNew(data, gEventMarkerE, gNewEventMarkerEReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetDvlBottomTrack(ZuvLogDvlData &data, bool wait) {
    return deliverNew(data, gDvlBottomTrackData, gNewDvlBottomTrackDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetDvlWaterTrack(ZuvLogDvlData &data, bool wait) {
    return deliverNew(data, gDvlWaterTrackData, gNewDvlWaterTrackDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetGPS1RAW(ZuvLogGpsRaw &data, bool wait) {
    return deliverNew(data, gGps1RawData, gNewGps1RawDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetAirData(ZuvLogAirData &data, bool wait) {
    return deliverNew(data, gAirData, gNewPressureDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetUSBL(ZuvLogUsblData &data, bool wait) {
    return deliverNew(data, gUsblData, gNewUsblDataReceived, wait);
}
ZuvErrorCode CZuvCommunication::GetGPS2RAW(ZuvLogGpsRaw &data, bool wait) {
    return deliverNew(data, gGps2RawData, gNewGps2RawDataReceived, wait);
}

// Uses the status flag only: the attitude and navigation records stay new for their own queries.
ZuvErrorCode CZuvCommunication::GetEkfMode(ZuvEComSolutionMode &mode, bool wait) {
    mode = ZUV_ECOM_SOL_MODE_UNINITIALIZED;
    uint32_t status = 0;
    const ZuvErrorCode rc = deliverNew(status, gEkfStatus, gNewEkfStatusReceived, wait);
    if (rc == ZUV_NO_ERROR) {
        mode = static_cast<ZuvEComSolutionMode>(status & ZUV_ECOM_SOL_MODE_MASK);
    }
    return rc;
}
