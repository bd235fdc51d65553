// Field lists of the log records, in wire order: the one description of each
// layout, from which logTable.cpp builds parse, encode and the layout size.
// Fields are listed with the comma operator, which visits them left to right.
// Threading: compile-time lists; no state.
#pragma once

#include "codec/wireFields.h"
#include "zuvEComBinaryLogs.h"

namespace zuv::logs {

template <typename Record>
struct Fields;

template <>
struct Fields<ZuvLogStatusData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.generalStatus), v(d.clockStatus), v(d.comStatus), v(d.aidingStatus), v(d.reserved2),
            v(d.reserved3), v(d.upTime);
    }
};

template <>
struct Fields<ZuvLogUtcData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.year), v(d.month), v(d.day), v(d.hour), v(d.minute), v(d.second),
            v(d.nanoSecond), v(d.gpsTimeOfWeek);
    }
};

template <>
struct Fields<ZuvLogImuData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.accelerometers), v(d.gyroscopes), v(d.temperature), v(d.deltaVelocity),
            v(d.deltaAngle);
    }
};

template <>
struct Fields<ZuvLogMag> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.magnetometers), v(d.accelerometers);
    }
};

template <>
struct Fields<ZuvLogMagCalib> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.reserved), v(d.magData);
    }
};

template <>
struct Fields<ZuvLogEkfEulerData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.euler), v(d.eulerStdDev), v(d.solutionStatus);
    }
};

template <>
struct Fields<ZuvLogEkfQuatData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.quaternion), v(d.eulerStdDev), v(d.solutionStatus);
    }
};

template <>
struct Fields<ZuvLogEkfNavData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.velocity), v(d.velocityStdDev), v(d.latitude), v(d.longitude), v(d.altitude),
            v(d.undulation), v(d.positionStdDev), v(d.solutionStatus);
    }
};

template <>
struct Fields<ZuvLogShipMotionData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.mainHeavePeriod), v(d.shipMotion), v(d.shipAccel), v(d.shipVel);
    }
};

template <>
struct Fields<ZuvLogGpsVel> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.timeOfWeek), v(d.velocity), v(d.velocityAcc), v(d.course), v(d.courseAcc);
    }
};

template <>
struct Fields<ZuvLogGpsPos> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.timeOfWeek), v(d.latitude), v(d.longitude), v(d.altitude), v(d.undulation),
            v(d.latitudeAccuracy), v(d.longitudeAccuracy), v(d.altitudeAccuracy), v(d.numSvUsed), v(d.baseStationId),
            v(d.differentialAge);
    }
};

template <>
struct Fields<ZuvLogGpsHdt> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.timeOfWeek), v(d.heading), v(d.headingAccuracy), v(d.pitch),
            v(d.pitchAccuracy), v(d.baseline);
    }
};

template <>
struct Fields<ZuvLogOdometerData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.velocity);
    }
};

template <>
struct Fields<ZuvLogEvent> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.timeOffset0), v(d.timeOffset1), v(d.timeOffset2), v(d.timeOffset3);
    }
};

template <>
struct Fields<ZuvLogDvlData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.velocity), v(d.velocityQuality);
    }
};

template <>
struct Fields<ZuvLogAirData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.pressureAbs), v(d.altitude), v(d.pressureDiff), v(d.trueAirspeed),
            v(d.airTemperature);
    }
};

template <>
struct Fields<ZuvLogUsblData> {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.timeStamp), v(d.status), v(d.latitude), v(d.longitude), v(d.depth), v(d.latitudeAccuracy),
            v(d.longitudeAccuracy), v(d.depthAccuracy);
    }
};

template <typename Record>
constexpr size_t layoutSizeOf() {
    Record record{};
    FieldSize counter;
    Fields<Record>::visit(counter, record);
    return counter.size;
}

}  // namespace zuv::logs
