// Log ids to their codecs. Each codec is built from its record's field list,
// so the parser, the encoder and the layout size follow the same list.
#include <array>

#include "logs/logCodec.h"
#include "logs/logFields.h"
#include "zuvEComLogCatalogue.h"

namespace zuv::logs {
namespace {

template <typename Record, Record ZuvBinaryLogData::*Member>
void parse(WireReader &reader, ZuvBinaryLogData &out) {
    Record record{};
    FieldReader visitor(reader);
    Fields<Record>::visit(visitor, record);
    out.*Member = record;
}

template <typename Record, Record ZuvBinaryLogData::*Member>
void encode(WireWriter &writer, const ZuvBinaryLogData &log) {
    FieldWriter visitor(writer);
    Fields<Record>::visit(visitor, log.*Member);
}

template <typename Record, Record ZuvBinaryLogData::*Member>
constexpr LogCodec codec() {
    return LogCodec{layoutSizeOf<Record>(), &parse<Record, Member>, &encode<Record, Member>};
}

// The documented minimum payloads.
static_assert(layoutSizeOf<ZuvLogStatusData>() == 26 && layoutSizeOf<ZuvLogUtcData>() == 21 &&
                  layoutSizeOf<ZuvLogImuData>() == 58 && layoutSizeOf<ZuvLogMag>() == 30 &&
                  layoutSizeOf<ZuvLogMagCalib>() == 22 && layoutSizeOf<ZuvLogEkfEulerData>() == 32 &&
                  layoutSizeOf<ZuvLogEkfQuatData>() == 36 && layoutSizeOf<ZuvLogEkfNavData>() == 72 &&
                  layoutSizeOf<ZuvLogShipMotionData>() == 46 && layoutSizeOf<ZuvLogGpsVel>() == 44 &&
                  layoutSizeOf<ZuvLogGpsPos>() == 57 && layoutSizeOf<ZuvLogGpsHdt>() == 30 &&
                  layoutSizeOf<ZuvLogOdometerData>() == 10 && layoutSizeOf<ZuvLogEvent>() == 14 &&
                  layoutSizeOf<ZuvLogDvlData>() == 30 && layoutSizeOf<ZuvLogAirData>() == 26 &&
                  layoutSizeOf<ZuvLogUsblData>() == 38,
              "field lists add up to the documented layout sizes");

}  // namespace

const LogCodec kStatusCodec = codec<ZuvLogStatusData, &ZuvBinaryLogData::statusData>();
const LogCodec kUtcCodec = codec<ZuvLogUtcData, &ZuvBinaryLogData::utcData>();
const LogCodec kImuCodec = codec<ZuvLogImuData, &ZuvBinaryLogData::imuData>();
const LogCodec kMagCodec = codec<ZuvLogMag, &ZuvBinaryLogData::magData>();
const LogCodec kMagCalibCodec = codec<ZuvLogMagCalib, &ZuvBinaryLogData::magCalibData>();
const LogCodec kEkfEulerCodec = codec<ZuvLogEkfEulerData, &ZuvBinaryLogData::ekfEulerData>();
const LogCodec kEkfQuatCodec = codec<ZuvLogEkfQuatData, &ZuvBinaryLogData::ekfQuatData>();
const LogCodec kEkfNavCodec = codec<ZuvLogEkfNavData, &ZuvBinaryLogData::ekfNavData>();
const LogCodec kShipMotionCodec = codec<ZuvLogShipMotionData, &ZuvBinaryLogData::shipMotionData>();
const LogCodec kGpsVelCodec = codec<ZuvLogGpsVel, &ZuvBinaryLogData::gpsVelData>();
const LogCodec kGpsPosCodec = codec<ZuvLogGpsPos, &ZuvBinaryLogData::gpsPosData>();
const LogCodec kGpsHdtCodec = codec<ZuvLogGpsHdt, &ZuvBinaryLogData::gpsHdtData>();
const LogCodec kOdometerCodec = codec<ZuvLogOdometerData, &ZuvBinaryLogData::odometerData>();
const LogCodec kEventCodec = codec<ZuvLogEvent, &ZuvBinaryLogData::eventMarker>();
const LogCodec kDvlCodec = codec<ZuvLogDvlData, &ZuvBinaryLogData::dvlData>();
const LogCodec kAirDataCodec = codec<ZuvLogAirData, &ZuvBinaryLogData::airData>();
const LogCodec kUsblCodec = codec<ZuvLogUsblData, &ZuvBinaryLogData::usblData>();

namespace {

// Message id -> index in the catalogue, -1 for ids no kind has.
constexpr std::array<int8_t, ZUV_ECOM_LOG_ECOM_NUM_MESSAGES> kKindById = [] {
    std::array<int8_t, ZUV_ECOM_LOG_ECOM_NUM_MESSAGES> table{};
    for (size_t id = 0; id < table.size(); ++id) {
        table[id] = static_cast<int8_t>(catalogue::kindIndexOf(static_cast<uint8_t>(id)));
    }
    return table;
}();

}  // namespace

const LogCodec *codecFor(uint8_t msgId) {
    using catalogue::Record;
    if (msgId == ZUV_ECOM_LOG_SHIP_MOTION) {
        return &kShipMotionCodec;  // a log of the device that no reader property offers
    }
    if (msgId >= kKindById.size() || kKindById[msgId] < 0) {
        return nullptr;
    }
    switch (catalogue::kLogKinds[kKindById[msgId]].record) {
        case Record::Status: return &kStatusCodec;
        case Record::Utc: return &kUtcCodec;
        case Record::Imu: return &kImuCodec;
        case Record::Mag: return &kMagCodec;
        case Record::MagCalib: return &kMagCalibCodec;
        case Record::EkfEuler: return &kEkfEulerCodec;
        case Record::EkfQuat: return &kEkfQuatCodec;
        case Record::EkfNav: return &kEkfNavCodec;
        case Record::GpsVel: return &kGpsVelCodec;
        case Record::GpsPos: return &kGpsPosCodec;
        case Record::GpsHdt: return &kGpsHdtCodec;
        case Record::GpsRaw: return nullptr;
        case Record::Odometer: return &kOdometerCodec;
        case Record::Event: return &kEventCodec;
        case Record::Dvl: return &kDvlCodec;
        case Record::AirData: return &kAirDataCodec;
        case Record::Usbl: return &kUsblCodec;
    }
    return nullptr;
}

}  // namespace zuv::logs
