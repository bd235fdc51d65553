// Other aiding sensors: odometer, event markers, DVL, air data, USBL.
#include "logs/logCodec.h"

namespace zuv::logs {
namespace {

void parseOdometer(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogOdometerData d{};
    d.timeStamp = r.u32();
    d.status = r.u16();
    d.velocity = r.f32();
    out.odometerData = d;
}

void encodeOdometer(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogOdometerData &d = log.odometerData;
    w.u32(d.timeStamp);
    w.u16(d.status);
    w.f32(d.velocity);
}

void parseEvent(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogEvent d{};
    d.timeStamp = r.u32();
    d.status = r.u16();
    d.timeOffset0 = r.u16();
    d.timeOffset1 = r.u16();
    d.timeOffset2 = r.u16();
    d.timeOffset3 = r.u16();
    out.eventMarker = d;
}

void encodeEvent(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogEvent &d = log.eventMarker;
    w.u32(d.timeStamp);
    w.u16(d.status);
    w.u16(d.timeOffset0);
    w.u16(d.timeOffset1);
    w.u16(d.timeOffset2);
    w.u16(d.timeOffset3);
}

void parseDvl(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogDvlData d{};
    d.timeStamp = r.u32();
    d.status = r.u16();
    r.f32Array(d.velocity, 3);
    r.f32Array(d.velocityQuality, 3);
    out.dvlData = d;
}

void encodeDvl(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogDvlData &d = log.dvlData;
    w.u32(d.timeStamp);
    w.u16(d.status);
    w.f32Array(d.velocity, 3);
    w.f32Array(d.velocityQuality, 3);
}

void parseAirData(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogAirData d{};
    d.timeStamp = r.u32();
    d.status = r.u16();
    d.pressureAbs = r.f32();
    d.altitude = r.f32();
    d.pressureDiff = r.f32();
    d.trueAirspeed = r.f32();
    d.airTemperature = r.f32();
    out.airData = d;
}

void encodeAirData(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogAirData &d = log.airData;
    w.u32(d.timeStamp);
    w.u16(d.status);
    w.f32(d.pressureAbs);
    w.f32(d.altitude);
    w.f32(d.pressureDiff);
    w.f32(d.trueAirspeed);
    w.f32(d.airTemperature);
}

void parseUsbl(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogUsblData d{};
    d.timeStamp = r.u32();
    d.status = r.u16();
    d.latitude = r.f64();
    d.longitude = r.f64();
    d.depth = r.f32();
    d.latitudeAccuracy = r.f32();
    d.longitudeAccuracy = r.f32();
    d.depthAccuracy = r.f32();
    out.usblData = d;
}

void encodeUsbl(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogUsblData &d = log.usblData;
    w.u32(d.timeStamp);
    w.u16(d.status);
    w.f64(d.latitude);
    w.f64(d.longitude);
    w.f32(d.depth);
    w.f32(d.latitudeAccuracy);
    w.f32(d.longitudeAccuracy);
    w.f32(d.depthAccuracy);
}

}  // namespace

const LogCodec kOdometerCodec{10, parseOdometer, encodeOdometer};
const LogCodec kEventCodec{14, parseEvent, encodeEvent};
const LogCodec kDvlCodec{30, parseDvl, encodeDvl};
const LogCodec kAirDataCodec{26, parseAirData, encodeAirData};
const LogCodec kUsblCodec{38, parseUsbl, encodeUsbl};

}  // namespace zuv::logs
