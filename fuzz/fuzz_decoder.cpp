// Arbitrary iData samples into the frame decoder, and arbitrary records into
// every log writer, through the runtime's step mode.
// Input: one control byte, then samples, each [time step byte][u16 LE length][bytes].
//   control bit 0: twins; bit 1: framerates; bit 2: down-sampling; bit 3: quiet;
//   bits 4-7: pNewFramerate from a table (including 0, negative and huge).
//   time step: below 200 moves the clock on by that many ms; 200-249 moves it
//   back; 250-255 jump to extreme stamps.
// The same bytes (control byte excepted) are also laid over a log record and
// handed to every writer.
// Checks: no vector past its element's buffer; every sample stamped with the
// time stamp it was given; only the known frame messages, at error level.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ZUV_WriteOutput.h"
#include "zuvEComLogCatalogue.h"
#include "zuvLinkedPackage.h"

namespace {

using zuv::host::StepInstance;

[[noreturn]] void fail(const char *what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}
const char *const kMessages[] = {"Input data size too small.",
                                 "Sync. word 0xFF not found.",
                                 "Sync. word 0x5A not found.",
                                 "Length of Data section is not correct.",
                                 "Input data size doesn't match with length of Data section.",
                                 "End of frame 0x33 not found.",
                                 "CRC not correct.",
                                 "Binary data can't be parsed."};

const int64_t kFramerates[16] = {2,   1,    3,      5,      7, 10, 50,       100,
                                 200, 1000, 750000, 750001, 0, -1, -1000000, std::numeric_limits<int32_t>::max()};

int64_t gExpectedTimestamp = 0;

void checkElement(const zuv::host::SampleView &sample) {
    if (sample.vectorSize < 0) fail("negative vector size");
    if (sample.timestamp != gExpectedTimestamp) fail("sample not stamped with its input's time stamp");
}

// Step mode refuses a vector past its element's buffer with this report.
bool pastItsBuffer(const zuv::host::StepReport &report) {
    return report.text.rfind("Sample not published on ", 0) == 0;
}

zuv::host::StepRuntime &runtime() {
    static zuv::host::StepRuntime *rt = &zuv::test::linkedPackage(*new zuv::host::StepRuntime);
    return *rt;
}

StepInstance &decoder() {
    static StepInstance *instance = [] {
        StepInstance *h = &runtime().CreateInstance("ZUV_FrameDecoder", "decoder");
        h->KeepSamples(false);
        h->SetSink(checkElement);
        for (const zuv::catalogue::LogKind &kind : zuv::catalogue::kLogKinds) h->Set(kind.property, 1);
        return h;
    }();
    return *instance;
}

// Every output of every kind, plus two for the ship-motion writer; started once.
StepInstance &writers() {
    static StepInstance *instance = [] {
        StepInstance *h = &runtime().CreateInstance("ZUV_FrameDecoder", "writers");
        h->KeepSamples(false);
        h->SetSink(checkElement);
        for (const zuv::catalogue::LogKind &kind : zuv::catalogue::kLogKinds) h->Set(kind.property, 1);
        h->AddOutput("oShipMotion", zuv::host::ElementType::Float64, 12);
        h->AddOutput("oShipMotionInternalTimestamp", zuv::host::ElementType::Integer64, 1);
        h->Birth();
        return h;
    }();
    return *instance;
}

// Steps saturate: after an extreme stamp the clock stays at the end it reached.
int64_t nextTimestamp(int64_t now, uint8_t step) {
    int64_t next = 0;
    if (step < 200) {
        return __builtin_add_overflow(now, step * 1000LL, &next) ? std::numeric_limits<int64_t>::max() : next;
    }
    if (step < 250) {
        return __builtin_sub_overflow(now, (step - 199) * 100000LL, &next) ? std::numeric_limits<int64_t>::min() : next;
    }
    static const int64_t kExtremes[6] = {std::numeric_limits<int64_t>::max(),
                                         std::numeric_limits<int64_t>::min(),
                                         0,
                                         -1,
                                         std::numeric_limits<int64_t>::max() - 999999,
                                         1000001};
    return kExtremes[step - 250];
}

// Property changes run Dynamic again: only make the ones that change something.
void setIfChanged(StepInstance &h, const char *property, int64_t value) {
    if (!h.HasProperty(property) || h.Get(property) != value) h.Set(property, value);
}

void decodeSamples(const uint8_t *data, size_t size) {
    const uint8_t control = data[0];
    StepInstance &h = decoder();
    setIfChanged(h, "pInternalTimestamp", control & 0x01);
    setIfChanged(h, "pAddOriginalFramerate", (control >> 1) & 0x01);
    setIfChanged(h, "pDownSampling", (control >> 2) & 0x01);
    setIfChanged(h, "pVerbose", ((control >> 3) & 0x01) ? 0 : 1);
    if (control & 0x04) setIfChanged(h, "pNewFramerate", kFramerates[control >> 4]);
    runtime().SetTime(0);
    h.ClearReports();
    h.Birth();
    int64_t now = 0;
    size_t at = 1;
    while (at + 3 <= size) {
        now = nextTimestamp(now, data[at]);
        size_t length = data[at + 1] | (static_cast<size_t>(data[at + 2]) << 8);
        at += 3;
        if (length > size - at) length = size - at;
        h.Push(now, data + at, length);
        gExpectedTimestamp = now;
        h.RunCore();
        at += length;
    }
    h.Death();
    for (const auto &report : h.Reports()) {
        bool known = false;
        for (const char *message : kMessages) known |= report.text == message;
        if (!known || report.level != 2) fail("unexpected report");
        if (control & 0x08) fail("report while quiet");
    }
}

void feedWriters(const uint8_t *data, size_t size) {
    ZuvBinaryLogData log;
    std::memset(&log, 0, sizeof(log));
    std::memcpy(&log, data, size < sizeof(log) ? size : sizeof(log));
    if (size >= 4) std::memcpy(&log.gpsRawData.bufferSize, data, 4);  // any count, also past the buffer
    MAPSComponent *c = writers().Component();
    const bool twin = size > 0 && (data[0] & 1);
    const MAPSInt32 appended = size > 1 ? static_cast<int8_t>(data[1]) : -1;
    const MAPSInt64 t = size > 2 ? static_cast<int64_t>(data[2]) << 40 : 7;
    gExpectedTimestamp = t;
    static const MAPSString a("oGps1Vel"), at("oGps1VelInternalTimestamp"), p("oGps2Pos"),
        pt("oGps2PosInternalTimestamp"), d("oGps1Hdt"), dt("oGps1HdtInternalTimestamp"), raw("oGps2Raw"),
        ev("oEventMarkerD"), dv("oDvlWaterTrack"), dvt("oDvlWaterTrackInternalTimestamp"), sm("oShipMotion"),
        smt("oShipMotionInternalTimestamp");
    WriteStatusData(c, log.statusData, t, appended);
    WriteUtcData(c, log.utcData, t, twin, appended);
    WriteImuData(c, log.imuData, t, twin, appended);
    WriteMagData(c, log.magData, t, twin, appended);
    WriteMagCalibData(c, log.magCalibData, t, appended);
    WriteEkfEuler(c, log.ekfEulerData, t, twin, appended);
    WriteEkfQuat(c, log.ekfQuatData, t, twin, appended);
    WriteEkfNav(c, log.ekfNavData, t, twin, appended);
    WriteShipMotion(c, log.shipMotionData, sm, smt, t, twin, appended);
    WriteGPSVel(c, log.gpsVelData, a, at, t, twin, appended);
    WriteGPSPos(c, log.gpsPosData, p, pt, t, twin, appended);
    WriteGPSHdt(c, log.gpsHdtData, d, dt, t, twin, appended);
    WriteGPSRaw(c, log.gpsRawData, raw, t);
    WriteOdo(c, log.odometerData, t, twin, appended);
    WriteEvent(c, log.eventMarker, ev, t, appended);
    WriteDvl(c, log.dvlData, dv, dvt, t, twin, appended);
    WriteAirData(c, log.airData, t, twin, appended);
    WriteUsbl(c, log.usblData, t, twin, appended);
    // And every kind of the catalogue through the decoder's own dispatch.
    static const auto *names = [] {
        auto *all = new std::vector<std::pair<MAPSString, MAPSString>>;
        for (const zuv::catalogue::LogKind &kind : zuv::catalogue::kLogKinds) all->emplace_back(kind.output, kind.twin);
        return all;
    }();
    for (size_t i = 0; i < names->size(); ++i) {
        WriteLogKind(c, i, log, (*names)[i].first, (*names)[i].second, t, twin, appended);
    }
    for (const auto &report : writers().Reports()) {
        if (pastItsBuffer(report)) fail("vector past its buffer");
    }
    writers().ClearReports();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    decodeSamples(data, size);
    feedWriters(data + 1, size - 1);
    return 0;
}
