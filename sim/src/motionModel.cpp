#include "motionModel.h"

#include <cmath>

namespace zuv::sim {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadius = 6378137.0;
constexpr double kDegPerRad = 180.0 / kPi;
}  // namespace

MotionModel::MotionModel(double latitudeDeg, double longitudeDeg, double altitudeM, double radiusM, double speedMs)
    : latitude_(latitudeDeg),
      longitude_(longitudeDeg),
      altitude_(altitudeM),
      radius_(radiusM > 1.0 ? radiusM : 1.0),
      speed_(speedMs >= 0.0 ? speedMs : 0.0) {}

MotionState MotionModel::at(uint64_t timeUs) const {
    const double t = static_cast<double>(timeUs) * 1e-6;
    const double omega = speed_ / radius_;
    const double angle = omega * t;  // from north, clockwise
    MotionState s;
    s.speed = speed_;
    s.northM = radius_ * std::cos(angle);
    s.eastM = radius_ * std::sin(angle);
    s.velocityNed[0] = -speed_ * std::sin(angle);
    s.velocityNed[1] = speed_ * std::cos(angle);
    // A gentle rise and fall so that altitude and vertical speed are not constant.
    const double wave = 2.0 * kPi * t / 60.0;
    s.altitudeM = altitude_ + 0.5 * std::sin(wave);
    s.velocityNed[2] = -0.5 * (2.0 * kPi / 60.0) * std::cos(wave);
    s.latitudeDeg = latitude_ + s.northM / kEarthRadius * kDegPerRad;
    s.longitudeDeg = longitude_ + s.eastM / (kEarthRadius * std::cos(latitude_ / kDegPerRad)) * kDegPerRad;
    s.yaw = std::remainder(angle + kPi / 2.0, 2.0 * kPi);
    s.yawRate = omega;
    s.pitch = 0.01 * std::sin(2.0 * kPi * t / 7.0);
    s.roll = 0.02 * std::sin(2.0 * kPi * t / 5.0);
    // Clockwise turn: the centripetal pull is to the right; gravity reads as -g on the down axis.
    s.specificForceBody[0] = 0.0;
    s.specificForceBody[1] = speed_ * omega;
    s.specificForceBody[2] = -kGravity;
    return s;
}

uint64_t Noise::next() {
    // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Noise::uniform() {
    return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

double Noise::gaussian(double sigma) {
    // Box-Muller; 1 - u keeps the logarithm finite.
    const double u1 = 1.0 - uniform();
    const double u2 = uniform();
    return sigma * std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
}

}  // namespace zuv::sim
