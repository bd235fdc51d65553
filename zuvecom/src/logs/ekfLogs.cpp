// Filter results: Euler and quaternion attitude, navigation, ship motion.
#include "logs/logCodec.h"

namespace zuv::logs {
namespace {

void parseEuler(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogEkfEulerData d{};
    d.timeStamp = r.u32();
    r.f32Array(d.euler, 3);
    r.f32Array(d.eulerStdDev, 3);
    d.solutionStatus = r.u32();
    out.ekfEulerData = d;
}

void encodeEuler(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogEkfEulerData &d = log.ekfEulerData;
    w.u32(d.timeStamp);
    w.f32Array(d.euler, 3);
    w.f32Array(d.eulerStdDev, 3);
    w.u32(d.solutionStatus);
}

void parseQuat(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogEkfQuatData d{};
    d.timeStamp = r.u32();
    r.f32Array(d.quaternion, 4);
    r.f32Array(d.eulerStdDev, 3);
    d.solutionStatus = r.u32();
    out.ekfQuatData = d;
}

void encodeQuat(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogEkfQuatData &d = log.ekfQuatData;
    w.u32(d.timeStamp);
    w.f32Array(d.quaternion, 4);
    w.f32Array(d.eulerStdDev, 3);
    w.u32(d.solutionStatus);
}

void parseNav(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogEkfNavData d{};
    d.timeStamp = r.u32();
    r.f32Array(d.velocity, 3);
    r.f32Array(d.velocityStdDev, 3);
    d.latitude = r.f64();
    d.longitude = r.f64();
    d.altitude = r.f64();
    d.undulation = r.f32();
    r.f32Array(d.positionStdDev, 3);
    d.solutionStatus = r.u32();
    out.ekfNavData = d;
}

void encodeNav(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogEkfNavData &d = log.ekfNavData;
    w.u32(d.timeStamp);
    w.f32Array(d.velocity, 3);
    w.f32Array(d.velocityStdDev, 3);
    w.f64(d.latitude);
    w.f64(d.longitude);
    w.f64(d.altitude);
    w.f32(d.undulation);
    w.f32Array(d.positionStdDev, 3);
    w.u32(d.solutionStatus);
}

void parseShipMotion(WireReader &r, ZuvBinaryLogData &out) {
    ZuvLogShipMotionData d{};
    d.timeStamp = r.u32();
    d.status = r.u16();
    d.mainHeavePeriod = r.f32();
    r.f32Array(d.shipMotion, 3);
    r.f32Array(d.shipAccel, 3);
    r.f32Array(d.shipVel, 3);
    out.shipMotionData = d;
}

void encodeShipMotion(WireWriter &w, const ZuvBinaryLogData &log) {
    const ZuvLogShipMotionData &d = log.shipMotionData;
    w.u32(d.timeStamp);
    w.u16(d.status);
    w.f32(d.mainHeavePeriod);
    w.f32Array(d.shipMotion, 3);
    w.f32Array(d.shipAccel, 3);
    w.f32Array(d.shipVel, 3);
}

}  // namespace

const LogCodec kEkfEulerCodec{32, parseEuler, encodeEuler};
const LogCodec kEkfQuatCodec{36, parseQuat, encodeQuat};
const LogCodec kEkfNavCodec{72, parseNav, encodeNav};
const LogCodec kShipMotionCodec{46, parseShipMotion, encodeShipMotion};

}  // namespace zuv::logs
