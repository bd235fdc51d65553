// Status and UTC time logs.
#include "logs/logCodec.h"

namespace zuv::logs {
namespace {

void parseStatus(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogStatusData d{};
    d.timeStamp = r.u32();
    d.generalStatus = r.u16();
    d.clockStatus = r.u16();
    d.comStatus = r.u32();
    d.aidingStatus = r.u32();
    d.reserved2 = r.u32();
    d.reserved3 = r.u16();
    d.upTime = r.u32();
    out.statusData = d;
}

void encodeStatus(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogStatusData &d = log.statusData;
    w.u32(d.timeStamp);
    w.u16(d.generalStatus);
    w.u16(d.clockStatus);
    w.u32(d.comStatus);
    w.u32(d.aidingStatus);
    w.u32(d.reserved2);
    w.u16(d.reserved3);
    w.u32(d.upTime);
}

void parseUtc(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogUtcData d{};
    d.timeStamp = r.u32();
    d.status = r.u16();
    d.year = r.u16();
    d.month = r.i8();
    d.day = r.i8();
    d.hour = r.i8();
    d.minute = r.i8();
    d.second = r.i8();
    d.nanoSecond = r.i32();
    d.gpsTimeOfWeek = r.u32();
    out.utcData = d;
}

void encodeUtc(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogUtcData &d = log.utcData;
    w.u32(d.timeStamp);
    w.u16(d.status);
    w.u16(d.year);
    w.i8(d.month);
    w.i8(d.day);
    w.i8(d.hour);
    w.i8(d.minute);
    w.i8(d.second);
    w.i32(d.nanoSecond);
    w.u32(d.gpsTimeOfWeek);
}

}  // namespace

const LogCodec kStatusCodec{26, parseStatus, encodeStatus};
const LogCodec kUtcCodec{21, parseUtc, encodeUtc};

}  // namespace zuv::logs
