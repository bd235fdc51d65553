// IMU, magnetometer and magnetometer calibration logs.
#include "logs/logCodec.h"

namespace zuv::logs {
namespace {

void parseImu(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogImuData d{};
    d.timeStamp = r.u32();
    d.status = r.u16();
    r.f32Array(d.accelerometers, 3);
    r.f32Array(d.gyroscopes, 3);
    d.temperature = r.f32();
    r.f32Array(d.deltaVelocity, 3);
    r.f32Array(d.deltaAngle, 3);
    out.imuData = d;
}

void encodeImu(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogImuData &d = log.imuData;
    w.u32(d.timeStamp);
    w.u16(d.status);
    w.f32Array(d.accelerometers, 3);
    w.f32Array(d.gyroscopes, 3);
    w.f32(d.temperature);
    w.f32Array(d.deltaVelocity, 3);
    w.f32Array(d.deltaAngle, 3);
}

void parseMag(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogMag d{};
    d.timeStamp = r.u32();
    d.status = r.u16();
    r.f32Array(d.magnetometers, 3);
    r.f32Array(d.accelerometers, 3);
    out.magData = d;
}

void encodeMag(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogMag &d = log.magData;
    w.u32(d.timeStamp);
    w.u16(d.status);
    w.f32Array(d.magnetometers, 3);
    w.f32Array(d.accelerometers, 3);
}

void parseMagCalib(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogMagCalib d{};
    d.timeStamp = r.u32();
    d.reserved = r.u16();
    r.bytes(d.magData, sizeof(d.magData));
    out.magCalibData = d;
}

void encodeMagCalib(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogMagCalib &d = log.magCalibData;
    w.u32(d.timeStamp);
    w.u16(d.reserved);
    w.bytes(d.magData, sizeof(d.magData));
}

}  // namespace

const LogCodec kImuCodec{58, parseImu, encodeImu};
const LogCodec kMagCodec{30, parseMag, encodeMag};
const LogCodec kMagCalibCodec{22, parseMagCalib, encodeMagCalib};

}  // namespace zuv::logs
