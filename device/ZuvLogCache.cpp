#include "ZuvLogCache.h"

#include <array>
#include <type_traits>
#include <utility>

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
    uint8_t msgId;
    Record record;
    bool *flag;
    void (*store)(const ZuvBinaryLogData &log);
    void (*clear)();
};

// The attitude and navigation records also carry the filter's status.
template <typename T, typename = void>
struct CarriesSolutionStatus : std::false_type {};
template <typename T>
struct CarriesSolutionStatus<T, std::void_t<decltype(T::solutionStatus)>> : std::true_type {};

template <uint8_t Id, auto *Cached, bool *Flag>
constexpr Slot slot() {
    constexpr Record R = zuv::catalogue::kindOf(Id)->record;
    using Type = typename RecordType<R>::Type;
    static_assert(std::is_same<std::remove_pointer_t<decltype(Cached)>, Type>::value,
                  "the cache holds the kind's record");
    return {Id, R, Flag,
            [](const ZuvBinaryLogData &log) {
                *Cached = log.*RecordType<R>::kMember;
                if constexpr (CarriesSolutionStatus<Type>::value) keepSolutionStatus(Cached->solutionStatus);
            },
            [] { *Cached = {}; }};
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

// Kinds without such names are kept all the same, for the flags and the any-log flag.
template <size_t I>
typename RecordType<zuv::catalogue::kLogKinds[I].record>::Type gUnnamedRecord;
template <size_t I>
bool gUnnamedFlag;

constexpr int namedSlotOf(uint8_t msgId) {
    for (size_t i = 0; i < sizeof(kNamedSlots) / sizeof(kNamedSlots[0]); ++i) {
        if (kNamedSlots[i].msgId == msgId) return static_cast<int>(i);
    }
    return -1;
}

template <size_t I>
constexpr Slot kindSlot() {
    constexpr uint8_t id = zuv::catalogue::kLogKinds[I].msgId;
    constexpr int named = namedSlotOf(id);
    if constexpr (named >= 0) {
        return kNamedSlots[named];
    } else {
        return slot<id, &gUnnamedRecord<I>, &gUnnamedFlag<I>>();
    }
}

// In the log catalogue's order.
template <size_t... I>
constexpr std::array<Slot, sizeof...(I)> kindSlots(std::index_sequence<I...>) {
    return {kindSlot<I>()...};
}
constexpr std::array<Slot, zuv::catalogue::kLogKindCount> kSlots =
    kindSlots(std::make_index_sequence<zuv::catalogue::kLogKindCount>());

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
