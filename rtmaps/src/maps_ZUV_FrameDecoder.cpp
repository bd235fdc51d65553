#include "maps_ZUV_FrameDecoder.h"

#include <array>
#include <cstdint>
#include <limits>

#include "ZUV_WriteOutput.h"
#include "zuvEComFrameView.h"
#include "zuvEComLogCatalogue.h"

namespace {

constexpr uint32_t kFixedProperty = 0x1000000;
constexpr int kFifoDepth = 16;
constexpr const char *kEnableChoices = "Disabled|Enabled";

const MAPSInputDefinition kInputs[] = {
    {"iData", MAPS::FilterStream8},
};

namespace catalogue = zuv::catalogue;

constexpr MAPSElementType ElementType(catalogue::Element element) {
    switch (element) {
        case catalogue::Element::Integer64: return MAPS::Integer64;
        case catalogue::Element::Float64: return MAPS::Float64;
        case catalogue::Element::Stream8: return MAPS::Stream8;
    }
    return MAPS::Stream8;
}

// Each kind's output, followed by its twin where it has one.
constexpr std::array<MAPSOutputDefinition, catalogue::kOutputCount> kOutputs = [] {
    std::array<MAPSOutputDefinition, catalogue::kOutputCount> table{};
    size_t next = 0;
    for (const catalogue::LogKind &kind : catalogue::kLogKinds) {
        const catalogue::Layout &layout = catalogue::layoutOf(kind.record);
        table[next++] = {kind.output, ElementType(layout.element), layout.elementCount, kFifoDepth};
        if (kind.twin[0] != '\0') table[next++] = {kind.twin, MAPS::Integer64, 1, kFifoDepth};
    }
    return table;
}();

constexpr MAPSPropertyDefinition kSettings[] = {
    {"pVerbose", MAPSPropertyValue::Bool(true), kFixedProperty},
    {"pInternalTimestamp", MAPSPropertyValue::Bool(true), kFixedProperty},
    {"pAddOriginalFramerate", MAPSPropertyValue::Bool(false), kFixedProperty},
    {"pDownSampling", MAPSPropertyValue::Bool(false), kFixedProperty},
    {"pNewFramerate", MAPSPropertyValue::Integer(2), kFixedProperty},
    {"pDeviceClockTimestamps", MAPSPropertyValue::Bool(false), kFixedProperty},
};
constexpr size_t kSettingCount = sizeof(kSettings) / sizeof(kSettings[0]);
// pNewFramerate and pDeviceClockTimestamps follow the leading ones: Dynamic declares them.
constexpr int kLeadingPropertyCount = static_cast<int>(catalogue::kLogKindCount + kSettingCount) - 2;

// One enable property per log kind, then the settings.
constexpr std::array<MAPSPropertyDefinition, catalogue::kLogKindCount + kSettingCount> kProperties = [] {
    std::array<MAPSPropertyDefinition, catalogue::kLogKindCount + kSettingCount> table{};
    size_t next = 0;
    for (const catalogue::LogKind &kind : catalogue::kLogKinds) {
        table[next++] = {kind.property, MAPSPropertyValue::Enum(kEnableChoices, 0), kFixedProperty};
    }
    for (const MAPSPropertyDefinition &setting : kSettings) table[next++] = setting;
    return table;
}();

const MAPSActionDefinition kActions[] = {
    {"aLifeChecking", &MAPSAdvancedComponent::LifeChecking, 1},
};

MAPSComponentDefinition decoderDefinition = {
    "ZUV_FrameDecoder",
    "1.0",
    &MAPSZUV_FrameDecoder::Instantiate,
    128,
    MAPS::Threaded,
    MAPS_TABLE(kInputs),
    kOutputs.data(),
    static_cast<int>(kOutputs.size()),
    kProperties.data(),
    static_cast<int>(kProperties.size()),
    MAPS_TABLE(kActions),
    1,
    0,
    kLeadingPropertyCount,
    -1,
};

static_assert(catalogue::kLogKindCount == MAPSZUV_FrameDecoder::kLogKindCount, "one enable property per log kind");
static_assert(catalogue::elementCount(catalogue::Record::GpsRaw) == MAPSZUV_FrameDecoder::kMaxPayloadSize,
              "a raw output holds the largest payload");

// The catalogue's output names as host strings, built once so that dispatch
// allocates nothing.
struct OutputNames {
    MAPSString output;
    MAPSString twin;  // empty: the kind has no twin
};

const std::array<OutputNames, catalogue::kLogKindCount> kOutputNames = [] {
    std::array<OutputNames, catalogue::kLogKindCount> names;
    for (size_t i = 0; i < catalogue::kLogKindCount; ++i) {
        names[i] = {catalogue::kLogKinds[i].output, catalogue::kLogKinds[i].twin};
    }
    return names;
}();

// Message id -> index in the catalogue, -1 where no writer exists.
constexpr std::array<int8_t, MAPSZUV_FrameDecoder::kStatisticsSize> kKindByMsgId = [] {
    std::array<int8_t, MAPSZUV_FrameDecoder::kStatisticsSize> table{};
    for (int id = 0; id < MAPSZUV_FrameDecoder::kStatisticsSize; ++id) {
        table[id] = static_cast<int8_t>(catalogue::kindIndexOf(static_cast<uint8_t>(id)));
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
    for (const catalogue::LogKind &kind : catalogue::kLogKinds) {
        int enabled = 0;
        Get(Property(kind.property), enabled);
        if (enabled == 0) {
            continue;
        }
        NewOutput(kind.output, nullptr);
        if (withTwins && kind.twin[0] != '\0') {
            NewOutput(kind.twin, nullptr);
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
        enableProperties[i] = &Property(catalogue::kLogKinds[i].property);
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
    const zuv::FrameView frame(inputElt->Stream8() + readOffset);
    if (!frame.firstSyncMatches()) {
        return Reject("Sync. word 0xFF not found.");
    }
    if (!frame.secondSyncMatches()) {
        return Reject("Sync. word 0x5A not found.");
    }
    const uint8_t msgClass = frame.msgClass();
    if (msgClass > 1) {
        return false;  // not a log: dropped without a word
    }
    msgId = frame.msgId();
    const int length = static_cast<int>(frame.payloadSize());
    if (length == 0 || length > kMaxPayloadSize) {
        return Reject("Length of Data section is not correct.");
    }
    if (length + 8 >= remaining) {
        return Reject("Input data size doesn't match with length of Data section.");
    }
    if (!frame.endMatches()) {
        return Reject("End of frame 0x33 not found.");
    }
    // Checked in place: no copy per frame.
    if (!frame.crcMatches()) {
        return Reject("CRC not correct.");
    }
    if (zuvEComBinaryLogParse(static_cast<ZuvEComClass>(msgClass), msgId, frame.payload(), static_cast<size_t>(length),
                              &logData) != ZUV_NO_ERROR) {
        return Reject("Binary data can't be parsed.");
    }
    readOffset += static_cast<int>(frame.frameSize());
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
    const OutputNames &kind = kOutputNames[kindIndex];
    WriteLogKind(this, static_cast<size_t>(kindIndex), logData, kind.output, kind.twin, outputTimestamp,
                 internalTimestamp, framerates[msgId]);
}
