// The vehicle the simulated device rides: a steady drive on a horizontal circle,
// clockwise seen from above, around a configurable centre. Everything is a pure
// function of the simulation time, so logs at the same time agree with each other.
#pragma once

#include <cstdint>

namespace zuv::sim {

struct MotionState {
    double northM = 0, eastM = 0;  // from the centre
    double latitudeDeg = 0, longitudeDeg = 0, altitudeM = 0;
    double velocityNed[3] = {0, 0, 0};        // m/s
    double roll = 0, pitch = 0, yaw = 0;      // rad, yaw from north, clockwise
    double yawRate = 0;                       // rad/s
    double specificForceBody[3] = {0, 0, 0};  // what accelerometers read, m/s^2 (x fwd, y right, z down)
    double speed = 0;
};

class MotionModel {
public:
    MotionModel(double latitudeDeg, double longitudeDeg, double altitudeM, double radiusM, double speedMs);
    MotionState at(uint64_t timeUs) const;

private:
    double latitude_, longitude_, altitude_, radius_, speed_;
};

// Gaussian sensor noise from a seeded generator (same sequence on every platform).
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed * 2654435761u + 0x6D2B79F5u) {}
    double gaussian(double sigma);
    double uniform();  // [0, 1)

private:
    uint64_t next();
    uint64_t state_;
};

constexpr double kGravity = 9.80665;

}  // namespace zuv::sim
