// Log ids to their codecs. Each codec is built from its record's field list,
// so the parser, the encoder and the layout size follow the same list, and
// every record of the catalogue with a layout gets one.
#include <array>
#include <utility>

#include "logs/logCodec.h"
#include "logs/logFields.h"
#include "zuvEComLogCatalogue.h"

namespace zuv::logs {
namespace {

using catalogue::Record;
using catalogue::RecordType;

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

constexpr bool hasLayout(Record record) {
    return catalogue::layoutOf(record).element != catalogue::Element::Stream8;
}

// Raw records carry their bytes as they came: no codec.
template <size_t... R>
constexpr std::array<LogCodec, catalogue::kRecordCount> recordCodecs(std::index_sequence<R...>) {
    return {[] {
        constexpr Record record = static_cast<Record>(R);
        if constexpr (hasLayout(record)) {
            using Type = typename RecordType<record>::Type;
            return codec<Type, RecordType<record>::kMember>();
        } else {
            return LogCodec{0, nullptr, nullptr};
        }
    }()...};
}

constexpr std::array<LogCodec, catalogue::kRecordCount> kRecordCodecs =
    recordCodecs(std::make_index_sequence<catalogue::kRecordCount>());

constexpr LogCodec kShipMotionCodec = codec<ZuvLogShipMotionData, &ZuvBinaryLogData::shipMotionData>();

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
    if (msgId == ZUV_ECOM_LOG_SHIP_MOTION) {
        return &kShipMotionCodec;  // a log of the device that no reader property offers
    }
    if (msgId >= kKindById.size() || kKindById[msgId] < 0) {
        return nullptr;
    }
    const LogCodec &codec = kRecordCodecs[static_cast<size_t>(catalogue::kLogKinds[kKindById[msgId]].record)];
    return codec.parse != nullptr ? &codec : nullptr;
}

}  // namespace zuv::logs
