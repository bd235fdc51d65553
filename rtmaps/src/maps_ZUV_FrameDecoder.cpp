#include "maps_ZUV_FrameDecoder.h"

#include <array>
#include <cstdint>
#include <limits>

#include "ZUV_WriteOutput.h"
#include "zuvCrc.h"

namespace {

constexpr uint32_t kFixedProperty = 0x1000000;
constexpr int kFifoDepth = 16;
constexpr const char *kEnableChoices = "Disabled|Enabled";

const MAPSInputDefinition kInputs[] = {
    {"iData", MAPS::FilterStream8},
};

const MAPSOutputDefinition kOutputs[] = {
    {"oStatus", MAPS::Integer64, 8, kFifoDepth},
    {"oUtcTime", MAPS::Integer64, 11, kFifoDepth},
    {"oUtcTimeInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oImu", MAPS::Float64, 15, kFifoDepth},
    {"oImuInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oMag", MAPS::Float64, 8, kFifoDepth},
    {"oMagInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oMagCalib", MAPS::Integer64, 19, kFifoDepth},
    {"oEkfEuler", MAPS::Float64, 8, kFifoDepth},
    {"oEkfEulerInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oEkfQuat", MAPS::Float64, 9, kFifoDepth},
    {"oEkfQuatInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oEkfNav", MAPS::Float64, 15, kFifoDepth},
    {"oEkfNavInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oGps1Vel", MAPS::Float64, 11, kFifoDepth},
    {"oGps1VelInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oGps1Pos", MAPS::Float64, 13, kFifoDepth},
    {"oGps1PosInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oGps1Hdt", MAPS::Float64, 8, kFifoDepth},
    {"oGps1HdtInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oGps1Raw", MAPS::Stream8, MAPSZUV_FrameDecoder::kMaxPayloadSize, kFifoDepth},
    {"oGps2Vel", MAPS::Float64, 11, kFifoDepth},
    {"oGps2VelInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oGps2Pos", MAPS::Float64, 13, kFifoDepth},
    {"oGps2PosInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oGps2Hdt", MAPS::Float64, 8, kFifoDepth},
    {"oGps2HdtInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oGps2Raw", MAPS::Stream8, MAPSZUV_FrameDecoder::kMaxPayloadSize, kFifoDepth},
    {"oOdoVel", MAPS::Float64, 3, kFifoDepth},
    {"oOdoVelInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oEventMarkerA", MAPS::Integer64, 6, kFifoDepth},
    {"oEventMarkerB", MAPS::Integer64, 6, kFifoDepth},
    {"oEventMarkerC", MAPS::Integer64, 6, kFifoDepth},
    {"oEventMarkerD", MAPS::Integer64, 6, kFifoDepth},
    {"oEventMarkerE", MAPS::Integer64, 6, kFifoDepth},
    {"oDvlBottomTrack", MAPS::Float64, 8, kFifoDepth},
    {"oDvlBottomTrackInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oDvlWaterTrack", MAPS::Float64, 8, kFifoDepth},
    {"oDvlWaterTrackInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oPressure", MAPS::Float64, 7, kFifoDepth},
    {"oPressureInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
    {"oUsbl", MAPS::Float64, 8, kFifoDepth},
    {"oUsblInternalTimestamp", MAPS::Integer64, 1, kFifoDepth},
};

#define ZUV_ENABLE_PROPERTY(name) {name, MAPSPropertyValue::Enum(kEnableChoices, 0), kFixedProperty}

const MAPSPropertyDefinition kProperties[] = {
    ZUV_ENABLE_PROPERTY("pStatus"),
    ZUV_ENABLE_PROPERTY("pUtcTime"),
    ZUV_ENABLE_PROPERTY("pImuData"),
    ZUV_ENABLE_PROPERTY("pMag"),
    ZUV_ENABLE_PROPERTY("pMagCalib"),
    ZUV_ENABLE_PROPERTY("pEkfEuler"),
    ZUV_ENABLE_PROPERTY("pEkfQuat"),
    ZUV_ENABLE_PROPERTY("pEkfNav"),
    ZUV_ENABLE_PROPERTY("pGps1Vel"),
    ZUV_ENABLE_PROPERTY("pGps1Pos"),
    ZUV_ENABLE_PROPERTY("pGps1Hdt"),
    ZUV_ENABLE_PROPERTY("pGps1Raw"),
    ZUV_ENABLE_PROPERTY("pGps2Vel"),
    ZUV_ENABLE_PROPERTY("pGps2Pos"),
    ZUV_ENABLE_PROPERTY("pGps2Hdt"),
    ZUV_ENABLE_PROPERTY("pGps2Raw"),
    ZUV_ENABLE_PROPERTY("pOdoVel"),
    ZUV_ENABLE_PROPERTY("pEventA"),
    ZUV_ENABLE_PROPERTY("pEventB"),
    ZUV_ENABLE_PROPERTY("pEventC"),
    ZUV_ENABLE_PROPERTY("pEventD"),
    ZUV_ENABLE_PROPERTY("pEventE"),
    ZUV_ENABLE_PROPERTY("pDvlBottomTrack"),
    ZUV_ENABLE_PROPERTY("pDvlWaterTrack"),
    ZUV_ENABLE_PROPERTY("pAirData"),
    ZUV_ENABLE_PROPERTY("pUsbl"),
    {"pVerbose", MAPSPropertyValue::Bool(true), kFixedProperty},
    {"pInternalTimestamp", MAPSPropertyValue::Bool(true), kFixedProperty},
    {"pAddOriginalFramerate", MAPSPropertyValue::Bool(false), kFixedProperty},
    {"pDownSampling", MAPSPropertyValue::Bool(false), kFixedProperty},
    {"pNewFramerate", MAPSPropertyValue::Integer(2), kFixedProperty},
    {"pDeviceClockTimestamps", MAPSPropertyValue::Bool(false), kFixedProperty},
};

#undef ZUV_ENABLE_PROPERTY

const MAPSActionDefinition kActions[] = {
    {"aLifeChecking", &MAPSAdvancedComponent::LifeChecking, 1},
};

MAPSComponentDefinition decoderDefinition = {
    "ZUV_FrameDecoder", "1.0", &MAPSZUV_FrameDecoder::Instantiate, 128, MAPS::Threaded,
    MAPS_TABLE(kInputs), MAPS_TABLE(kOutputs), MAPS_TABLE(kProperties), MAPS_TABLE(kActions),
    1, 0, 30, -1,
};

// Which writer lays out a log kind.
enum class Writer { Status, Utc, Imu, Mag, MagCalib, EkfEuler, EkfQuat, EkfNav, GpsVel, GpsPos, GpsHdt, GpsRaw, Odo,
                    Event, Dvl, AirData, Usbl };

// One log kind: its enable property, its message id, its writer and the
// outputs it owns. Names are built once here so that dispatch allocates nothing.
struct LogKind {
    const char *property;
    uint8_t msgId;
    Writer writer;
    MAPSString output;
    MAPSString twin;  // empty: the kind has no twin
};

// In the order of the property table, which is also the order of the outputs.
const LogKind kLogKinds[] = {
    {"pStatus", 1, Writer::Status, "oStatus", ""},
    {"pUtcTime", 2, Writer::Utc, "oUtcTime", "oUtcTimeInternalTimestamp"},
    {"pImuData", 3, Writer::Imu, "oImu", "oImuInternalTimestamp"},
    {"pMag", 4, Writer::Mag, "oMag", "oMagInternalTimestamp"},
    {"pMagCalib", 5, Writer::MagCalib, "oMagCalib", ""},
    {"pEkfEuler", 6, Writer::EkfEuler, "oEkfEuler", "oEkfEulerInternalTimestamp"},
    {"pEkfQuat", 7, Writer::EkfQuat, "oEkfQuat", "oEkfQuatInternalTimestamp"},
    {"pEkfNav", 8, Writer::EkfNav, "oEkfNav", "oEkfNavInternalTimestamp"},
    {"pGps1Vel", 13, Writer::GpsVel, "oGps1Vel", "oGps1VelInternalTimestamp"},
    {"pGps1Pos", 14, Writer::GpsPos, "oGps1Pos", "oGps1PosInternalTimestamp"},
    {"pGps1Hdt", 15, Writer::GpsHdt, "oGps1Hdt", "oGps1HdtInternalTimestamp"},
    {"pGps1Raw", 31, Writer::GpsRaw, "oGps1Raw", ""},
    {"pGps2Vel", 16, Writer::GpsVel, "oGps2Vel", "oGps2VelInternalTimestamp"},
    {"pGps2Pos", 17, Writer::GpsPos, "oGps2Pos", "oGps2PosInternalTimestamp"},
    {"pGps2Hdt", 18, Writer::GpsHdt, "oGps2Hdt", "oGps2HdtInternalTimestamp"},
    {"pGps2Raw", 38, Writer::GpsRaw, "oGps2Raw", ""},
    {"pOdoVel", 19, Writer::Odo, "oOdoVel", "oOdoVelInternalTimestamp"},
    {"pEventA", 24, Writer::Event, "oEventMarkerA", ""},
    {"pEventB", 25, Writer::Event, "oEventMarkerB", ""},
    {"pEventC", 26, Writer::Event, "oEventMarkerC", ""},
    {"pEventD", 27, Writer::Event, "oEventMarkerD", ""},
    {"pEventE", 28, Writer::Event, "oEventMarkerE", ""},
    {"pDvlBottomTrack", 29, Writer::Dvl, "oDvlBottomTrack", "oDvlBottomTrackInternalTimestamp"},
    {"pDvlWaterTrack", 30, Writer::Dvl, "oDvlWaterTrack", "oDvlWaterTrackInternalTimestamp"},
    {"pAirData", 36, Writer::AirData, "oPressure", "oPressureInternalTimestamp"},
    {"pUsbl", 37, Writer::Usbl, "oUsbl", "oUsblInternalTimestamp"},
};
constexpr int kLogKindCount = MAPSZUV_FrameDecoder::kLogKindCount;
static_assert(sizeof(kLogKinds) / sizeof(kLogKinds[0]) == kLogKindCount, "one enable property per log kind");

// Message id -> index in kLogKinds, -1 where no writer exists.
const std::array<int8_t, MAPSZUV_FrameDecoder::kStatisticsSize> kKindByMsgId = [] {
    std::array<int8_t, MAPSZUV_FrameDecoder::kStatisticsSize> table{};
    table.fill(-1);
    for (int i = 0; i < kLogKindCount; ++i) {
        table[kLogKinds[i].msgId] = static_cast<int8_t>(i);
    }
    return table;
}();

// a - b, held at the int64 limits instead of overflowing: time stamps come
// from recordings and other components, and may be anything.
MAPSInt64 Elapsed(MAPSInt64 a, MAPSInt64 b) {
    MAPSInt64 difference = 0;
    if (__builtin_sub_overflow(a, b, &difference)) {
        return a < b ? std::numeric_limits<MAPSInt64>::min() : std::numeric_limits<MAPSInt64>::max();
    }
    return difference;
}

constexpr MAPSInt64 kFramerateWindow = 1000000;

}  // namespace

MAPS_REGISTER_COMPONENT(MAPSZUV_FrameDecoder, decoderDefinition, "ZUV_FrameDecoder", "1.0");

MAPSZUV_FrameDecoder::MAPSZUV_FrameDecoder(const char *name, MAPSComponentDefinition &definition)
    : MAPSAdvancedComponent(name, definition) {}

MAPSZUV_FrameDecoder::~MAPSZUV_FrameDecoder() = default;

void MAPSZUV_FrameDecoder::Dynamic() {
    bool withTwins = false;
    Get(Property("pInternalTimestamp"), withTwins);
    for (const LogKind &kind : kLogKinds) {
        int enabled = 0;
        Get(Property(kind.property), enabled);
        if (enabled == 0) {
            continue;
        }
        NewOutput(kind.output.c_str(), nullptr);
        if (withTwins && !kind.twin.IsEmpty()) {
            NewOutput(kind.twin.c_str(), nullptr);
        }
    }
    bool downSampling = false;
    Get(Property("pDownSampling"), downSampling);
    if (downSampling) {
        NewProperty("pNewFramerate", nullptr);
    }
    // Beyond the leading properties: declared on every call, or it would be removed.
    NewProperty("pDeviceClockTimestamps", nullptr);
}

void MAPSZUV_FrameDecoder::Birth() {
    Get(Property("pVerbose"), verbose);
    Get(Property("pInternalTimestamp"), internalTimestamp);
    Get(Property("pAddOriginalFramerate"), addOriginalFramerate);
    Get(Property("pDeviceClockTimestamps"), deviceClockTimestamps);
    clockMap.reset();

    minPeriod = 0;
    bool downSampling = false;
    Get(Property("pDownSampling"), downSampling);
    if (downSampling) {
        long long framerate = 0;
        Get(Property("pNewFramerate"), framerate);
        if (framerate > 0) {
            minPeriod = static_cast<MAPSInt32>((1000000.0 / static_cast<double>(framerate)) * 0.75);
        }
    }

    const MAPSInt64 now = MAPS::CurrentTime(true, true);
    for (int id = 0; id < kStatisticsSize; ++id) {
        framerates[id] = -1;
        frameCounts[id] = 0;
        lastWriteTime[id] = now;
    }
    windowStart = now;

    dataInput = &Input("iData");
    for (int i = 0; i < kLogKindCount; ++i) {
        enableProperties[i] = &Property(kLogKinds[i].property);
    }
}

void MAPSZUV_FrameDecoder::Death() {}

void MAPSZUV_FrameDecoder::Core() {
    readOffset = 0;
    inputElt = StartReading(*dataInput);
    if (inputElt == nullptr) {
        return;
    }
    sampleTimestamp = inputElt->Timestamp();
    do {
        if (!ParseInput()) {
            return;
        }
        if (msgId >= kStatisticsSize) {
            continue;  // no statistics and no writer for such ids
        }
        if (addOriginalFramerate) {
            ComputeFramerates();
        }
        outputTimestamp = deviceClockTimestamps ? DeviceClockTimestamp() : sampleTimestamp;
        if (minPeriod <= 0) {
            WriteOutput();
        } else if (Elapsed(sampleTimestamp, lastWriteTime[msgId]) >= minPeriod) {
            WriteOutput();
            lastWriteTime[msgId] = sampleTimestamp;
        }
    } while (readOffset != inputElt->VectorSize());
}

bool MAPSZUV_FrameDecoder::Reject(const char *message) {
    if (verbose) {
        Report(message, 2, 0);
    }
    return false;
}

bool MAPSZUV_FrameDecoder::ParseInput() {
    const int remaining = inputElt->VectorSize() - readOffset;
    if (remaining <= 8) {
        return Reject("Input data size too small.");
    }
    const uint8_t *frame = inputElt->Stream8() + readOffset;
    if (frame[0] != 0xFF) {
        return Reject("Sync. word 0xFF not found.");
    }
    if (frame[1] != 0x5A) {
        return Reject("Sync. word 0x5A not found.");
    }
    const uint8_t msgClass = frame[3];
    if (msgClass > 1) {
        return false;  // not a log: dropped without a word
    }
    msgId = frame[2];
    const int length = frame[4] | (frame[5] << 8);
    if (length == 0 || length > kMaxPayloadSize) {
        return Reject("Length of Data section is not correct.");
    }
    if (length + 8 >= remaining) {
        return Reject("Input data size doesn't match with length of Data section.");
    }
    if (frame[8 + length] != 0x33) {
        return Reject("End of frame 0x33 not found.");
    }
    const uint16_t storedCrc = static_cast<uint16_t>(frame[6 + length] | (frame[7 + length] << 8));
    // Id, class, length and payload, checked in place: no copy per frame.
    if (zuvCrc16Compute(frame + 2, static_cast<size_t>(length) + 4) != storedCrc) {
        return Reject("CRC not correct.");
    }
    if (zuvEComBinaryLogParse(static_cast<ZuvEComClass>(msgClass), msgId, frame + 6, static_cast<size_t>(length),
                              &logData) != ZUV_NO_ERROR) {
        return Reject("Binary data can't be parsed.");
    }
    readOffset += length + 9;
    return true;
}

void MAPSZUV_FrameDecoder::ComputeFramerates() {
    ++frameCounts[msgId];
    if (Elapsed(sampleTimestamp, windowStart) > kFramerateWindow) {
        for (int id = 0; id < kStatisticsSize; ++id) {
            framerates[id] = frameCounts[id];
            frameCounts[id] = 0;
        }
        windowStart = sampleTimestamp;
    }
}

// Every log with a ts feeds the mapping, written or not, so that the stamps
// depend on the stream alone and not on which outputs are enabled.
MAPSInt64 MAPSZUV_FrameDecoder::DeviceClockTimestamp() {
    uint32_t deviceStamp = 0;
    if (zuvEComBinaryLogTimeStamp(msgId, &logData, &deviceStamp) == 0) {
        return sampleTimestamp;
    }
    const zuv::clocksync::MappedStamp mapped = clockMap.map(msgId, deviceStamp, sampleTimestamp);
    if (mapped.clockJump) {
        Report("Device clock jumped (device restarted?): time stamps follow a new estimate.", 1, 0);
    }
    return mapped.hostUs;
}

void MAPSZUV_FrameDecoder::WriteOutput() {
    if (msgId >= kStatisticsSize) {
        return;
    }
    const int kindIndex = kKindByMsgId[msgId];
    if (kindIndex < 0) {
        return;
    }
    int enabled = 0;
    Get(*enableProperties[kindIndex], enabled);
    if (enabled == 0) {
        return;
    }
    const LogKind &kind = kLogKinds[kindIndex];
    const MAPSInt32 framerate = framerates[msgId];
    const bool twin = internalTimestamp;
    const MAPSInt64 &t = outputTimestamp;
    switch (kind.writer) {
        case Writer::Status: WriteStatusData(this, logData.statusData, t, framerate); break;
        case Writer::Utc: WriteUtcData(this, logData.utcData, t, twin, framerate); break;
        case Writer::Imu: WriteImuData(this, logData.imuData, t, twin, framerate); break;
        case Writer::Mag: WriteMagData(this, logData.magData, t, twin, framerate); break;
        case Writer::MagCalib: WriteMagCalibData(this, logData.magCalibData, t, framerate); break;
        case Writer::EkfEuler: WriteEkfEuler(this, logData.ekfEulerData, t, twin, framerate); break;
        case Writer::EkfQuat: WriteEkfQuat(this, logData.ekfQuatData, t, twin, framerate); break;
        case Writer::EkfNav: WriteEkfNav(this, logData.ekfNavData, t, twin, framerate); break;
        case Writer::GpsVel: WriteGPSVel(this, logData.gpsVelData, kind.output, kind.twin, t, twin, framerate); break;
        case Writer::GpsPos: WriteGPSPos(this, logData.gpsPosData, kind.output, kind.twin, t, twin, framerate); break;
        case Writer::GpsHdt: WriteGPSHdt(this, logData.gpsHdtData, kind.output, kind.twin, t, twin, framerate); break;
        case Writer::GpsRaw: WriteGPSRaw(this, logData.gpsRawData, kind.output, t); break;
        case Writer::Odo: WriteOdo(this, logData.odometerData, t, twin, framerate); break;
        case Writer::Event: WriteEvent(this, logData.eventMarker, kind.output, t, framerate); break;
        case Writer::Dvl: WriteDvl(this, logData.dvlData, kind.output, kind.twin, t, twin, framerate); break;
        case Writer::AirData: WriteAirData(this, logData.airData, t, twin, framerate); break;
        case Writer::Usbl: WriteUsbl(this, logData.usblData, t, twin, framerate); break;
    }
}
