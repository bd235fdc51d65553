// The reader's rate properties: the 15 choices each offers, the device output
// mode behind each choice, and the 26 log kinds in the order they are set.
// Errors: none; plain constant tables.
// Threading: read-only data.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zuv {

constexpr const char kRateChoices[] =
    "Disabled|200 Hz|100 Hz|50 Hz|25 Hz|20 Hz|10 Hz|5 Hz|1 Hz|On PPS|On New Data|On Sync A Event|"
    "On Sync B Event|On Sync C Event|On Sync D Event";

constexpr size_t kRateChoiceCount = 15;

// Modes 1 to 200 divide the device's 200 Hz main loop; 10000 and up are
// triggers (PPS, new data, sync inputs A to D). 10002 is not a mode.
constexpr uint32_t kRateModes[kRateChoiceCount] = {0,  1,   2,     4,     8,     10,    20,   40,
                                                   200, 10000, 10001, 10003, 10004, 10005, 10006};

struct RateProperty {
    const char *property;
    uint8_t logId;
};

constexpr size_t kRatePropertyCount = 26;

// Configuration order; the reader's property table lists them in the same order.
constexpr RateProperty kRateProperties[kRatePropertyCount] = {
    {"pStatus", 1},          {"pUtcTime", 2},         {"pImuData", 3},   {"pMag", 4},     {"pMagCalib", 5},
    {"pEkfEuler", 6},        {"pEkfQuat", 7},         {"pEkfNav", 8},    {"pGps1Vel", 13}, {"pGps1Pos", 14},
    {"pGps1Hdt", 15},        {"pGps1Raw", 31},        {"pGps2Vel", 16},  {"pGps2Pos", 17}, {"pGps2Hdt", 18},
    {"pGps2Raw", 38},        {"pOdoVel", 19},         {"pEventA", 24},   {"pEventB", 25},  {"pEventC", 26},
    {"pEventD", 27},         {"pEventE", 28},         {"pDvlBottomTrack", 29}, {"pDvlWaterTrack", 30},
    {"pAirData", 36},        {"pUsbl", 37},
};

}  // namespace zuv
