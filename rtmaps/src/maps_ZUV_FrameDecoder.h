// ZUV_FrameDecoder: takes raw zuvECom frames on iData (one or more per
// Stream8 sample), validates and parses each one, and writes the log it
// carries on the outputs of its kind, with optional device time stamps,
// measured framerates and down-sampling per message id.
//
// Errors: a rejected frame is reported at error level (when pVerbose) and
// ends the decoding of its sample; the component keeps running. Nothing
// throws.
// Threading: Birth, Core and Death on the component's own thread; Dynamic and
// aLifeChecking on host threads. No lock of its own; property reads take the
// host's property lock. Decoding allocates nothing per frame.
#pragma once

#include <cstdint>

#include "maps_advanced.h"
#include "zuvDeviceClockMap.h"
#include "zuvEComBinaryLogs.h"
#include "zuvEComLogCatalogue.h"

class MAPSZUV_FrameDecoder : public MAPSAdvancedComponent {
public:
    MAPS_COMPONENT_FACTORY(MAPSZUV_FrameDecoder)

    MAPSZUV_FrameDecoder(const char *name, MAPSComponentDefinition &definition);
    ~MAPSZUV_FrameDecoder() override;

    void Dynamic() override;
    void Core() override;
    void Birth() override;
    void Death() override;

    // Message ids 0 to 48 have statistics; larger ids are neither counted nor written.
    static constexpr int kStatisticsSize = 49;
    // The last frame a sample can end with: a 4086-byte payload and its 9 bytes of framing.
    static constexpr int kMaxPayloadSize = 4086;
    // Log kinds with a writer, each with its enable property.
    static constexpr int kLogKindCount = static_cast<int>(zuv::catalogue::kLogKindCount);

private:
    // True when the frame at readOffset was accepted: msgId and logData hold it
    // and readOffset has moved past it. False leaves readOffset where it was.
    bool ParseInput();
    void ComputeFramerates();
    void WriteOutput();
    MAPSInt64 DeviceClockTimestamp();  // the stamp of the current log on the host clock
    bool Reject(const char *message);

    MAPSIOElt *inputElt = nullptr;
    MAPSInt32 readOffset = 0;
    ZuvBinaryLogData logData{};
    uint8_t msgId = 0;
    MAPSInt64 sampleTimestamp = 0;
    MAPSInt64 outputTimestamp = 0;  // what the current log's samples are stamped with
    bool verbose = true;
    bool internalTimestamp = true;
    bool addOriginalFramerate = false;
    MAPSInt64 windowStart = 0;
    MAPSInt32 frameCounts[kStatisticsSize] = {};
    MAPSInt32 framerates[kStatisticsSize] = {};
    MAPSInt32 minPeriod = 0;
    MAPSInt64 lastWriteTime[kStatisticsSize] = {};
    bool deviceClockTimestamps = false;
    zuv::clocksync::DeviceClockMap clockMap;

    // Looked up once at Birth: the pins and properties exist for the whole run
    // and nothing changes them while it runs. Values are still read per frame.
    MAPSInput *dataInput = nullptr;
    MAPSProperty *enableProperties[kLogKindCount] = {};
};
