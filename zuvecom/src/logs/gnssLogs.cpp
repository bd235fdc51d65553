// GNSS velocity, position and true heading logs (raw GNSS data is handled as raw bytes).
#include "logs/logCodec.h"

namespace zuv::logs {
namespace {

void parseVel(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogGpsVel d{};
    d.timeStamp = r.u32();
    d.status = r.u32();
    d.timeOfWeek = r.u32();
    r.f32Array(d.velocity, 3);
    r.f32Array(d.velocityAcc, 3);
    d.course = r.f32();
    d.courseAcc = r.f32();
    out.gpsVelData = d;
}

void encodeVel(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogGpsVel &d = log.gpsVelData;
    w.u32(d.timeStamp);
    w.u32(d.status);
    w.u32(d.timeOfWeek);
    w.f32Array(d.velocity, 3);
    w.f32Array(d.velocityAcc, 3);
    w.f32(d.course);
    w.f32(d.courseAcc);
}

void parsePos(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogGpsPos d{};
    d.timeStamp = r.u32();
    d.status = r.u32();
    d.timeOfWeek = r.u32();
    d.latitude = r.f64();
    d.longitude = r.f64();
    d.altitude = r.f64();
    d.undulation = r.f32();
    d.latitudeAccuracy = r.f32();
    d.longitudeAccuracy = r.f32();
    d.altitudeAccuracy = r.f32();
    d.numSvUsed = r.u8();
    d.baseStationId = r.u16();
    d.differentialAge = r.u16();
    out.gpsPosData = d;
}

void encodePos(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogGpsPos &d = log.gpsPosData;
    w.u32(d.timeStamp);
    w.u32(d.status);
    w.u32(d.timeOfWeek);
    w.f64(d.latitude);
    w.f64(d.longitude);
    w.f64(d.altitude);
    w.f32(d.undulation);
    w.f32(d.latitudeAccuracy);
    w.f32(d.longitudeAccuracy);
    w.f32(d.altitudeAccuracy);
    w.u8(d.numSvUsed);
    w.u16(d.baseStationId);
    w.u16(d.differentialAge);
}

void parseHdt(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogGpsHdt d{};
    d.timeStamp = r.u32();
    d.status = r.u16();
    d.timeOfWeek = r.u32();
    d.heading = r.f32();
    d.headingAccuracy = r.f32();
    d.pitch = r.f32();
    d.pitchAccuracy = r.f32();
    d.baseline = r.f32();
    out.gpsHdtData = d;
}

void encodeHdt(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogGpsHdt &d = log.gpsHdtData;
    w.u32(d.timeStamp);
    w.u16(d.status);
    w.u32(d.timeOfWeek);
    w.f32(d.heading);
    w.f32(d.headingAccuracy);
    w.f32(d.pitch);
    w.f32(d.pitchAccuracy);
    w.f32(d.baseline);
}

}  // namespace

const LogCodec kGpsVelCodec{44, parseVel, encodeVel};
const LogCodec kGpsPosCodec{57, parsePos, encodePos};
const LogCodec kGpsHdtCodec{30, parseHdt, encodeHdt};

}  // namespace zuv::logs
