// Log frames for the decoder's tests, benchmarks and fuzz seeds: records of
// every log kind with values picked to show widening, sign and zero
// extension, laid out by the library's own encoder and framed by its builder.
// Errors: an encoder or builder refusal aborts (a broken fixture).
// Threading: none.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "zuvEComBinaryLogs.h"
#include "zuvEComProtocol.h"

namespace zuv::test {

using FrameBytes = std::vector<uint8_t>;

inline FrameBytes buildFrame(uint8_t id, uint8_t msgClass, const uint8_t *payload, size_t size) {
    FrameBytes frame(size + ZUV_ECOM_FRAME_OVERHEAD);
    size_t written = 0;
    if (zuvEComFrameBuild(id, msgClass, payload, size, frame.data(), frame.size(), &written) != ZUV_NO_ERROR) {
        std::fprintf(stderr, "frame builder refused id %u size %zu\n", id, size);
        std::abort();
    }
    frame.resize(written);
    return frame;
}

inline FrameBytes buildFrame(uint8_t id, uint8_t msgClass, const std::vector<uint8_t> &payload) {
    return buildFrame(id, msgClass, payload.data(), payload.size());
}

inline FrameBytes logFrame(uint8_t id, const ZuvBinaryLogData &log, uint8_t msgClass = 0) {
    static uint8_t payload[ZUV_ECOM_MAX_PAYLOAD_SIZE];
    size_t size = 0;
    if (zuvEComBinaryLogEncode(static_cast<ZuvEComClass>(msgClass), id, &log, payload, sizeof(payload), &size) !=
        ZUV_NO_ERROR) {
        std::fprintf(stderr, "log encoder refused id %u\n", id);
        std::abort();
    }
    return buildFrame(id, msgClass, payload, size);
}

inline FrameBytes concat(std::initializer_list<FrameBytes> parts) {
    FrameBytes all;
    for (const FrameBytes &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Records with distinctive values, one per log kind.
namespace records {

inline ZuvBinaryLogData zeroed() {
    ZuvBinaryLogData log;
    std::memset(&log, 0, sizeof(log));
    return log;
}

inline ZuvBinaryLogData status() {
    ZuvBinaryLogData log = zeroed();
    log.statusData = {4000000000u, 65535, 32769, 2147483649u, 4294967295u, 7, 65534, 999};
    return log;
}

inline ZuvBinaryLogData utc() {
    ZuvBinaryLogData log = zeroed();
    log.utcData = {123456, 32768, 2026, 12, -3, 23, 59, 60, 999999999, 4294967295u};
    return log;
}

inline ZuvBinaryLogData imu() {
    ZuvBinaryLogData log = zeroed();
    log.imuData = {
        4294967295u,          65535, {0.1f, -2.5f, 9.75f}, {0.25f, -0.125f, 3.0f}, 36.5f, {1.5f, -1.5f, 0.0f},
        {0.5f, 0.75f, -0.75f}};
    return log;
}

inline ZuvBinaryLogData mag() {
    ZuvBinaryLogData log = zeroed();
    log.magData = {10, 1, {1.25f, -1.25f, 0.5f}, {-9.75f, 0.125f, 2.0f}};
    return log;
}

inline ZuvBinaryLogData magCalib() {
    ZuvBinaryLogData log = zeroed();
    log.magCalibData.timeStamp = 3000000000u;
    log.magCalibData.reserved = 65535;
    for (int i = 0; i < 16; ++i) log.magCalibData.magData[i] = static_cast<uint8_t>(i * 17);
    return log;
}

inline ZuvBinaryLogData ekfEuler() {
    ZuvBinaryLogData log = zeroed();
    log.ekfEulerData = {20, {0.5f, -0.25f, 3.125f}, {0.0625f, 0.125f, 0.25f}, 0xF0000004u};
    return log;
}

inline ZuvBinaryLogData ekfQuat() {
    ZuvBinaryLogData log = zeroed();
    log.ekfQuatData = {30, {1.0f, -0.5f, 0.25f, -0.125f}, {0.5f, 1.5f, 2.5f}, 4};
    return log;
}

inline ZuvBinaryLogData ekfNav() {
    ZuvBinaryLogData log = zeroed();
    log.ekfNavData = {40,
                      {1.5f, -2.5f, 0.25f},
                      {0.125f, 0.25f, 0.5f},
                      48.8566123456789,
                      -2.35221234567891,
                      35.123456789,
                      47.5f,
                      {1.0f, 2.0f, 4.0f},
                      0x80000000u};
    return log;
}

inline ZuvBinaryLogData shipMotion() {
    ZuvBinaryLogData log = zeroed();
    log.shipMotionData = {140, 65535, 8.5f, {0.5f, -0.5f, 1.5f}, {0.25f, -0.25f, 0.75f}, {2.5f, -2.5f, 0.125f}};
    return log;
}

inline ZuvBinaryLogData gpsVel() {
    ZuvBinaryLogData log = zeroed();
    log.gpsVelData = {50, 4294967295u, 345600000, {0.5f, -0.5f, 0.125f}, {0.25f, 0.25f, 0.5f}, 359.5f, 0.75f};
    return log;
}

inline ZuvBinaryLogData gpsPos() {
    ZuvBinaryLogData log = zeroed();
    log.gpsPosData = {60, 2147483649u, 1000, -33.8688, 151.2093, 58.25, 22.5f, 0.5f, 0.75f, 1.25f, 200, 65535, 1234};
    return log;
}

inline ZuvBinaryLogData gpsHdt() {
    ZuvBinaryLogData log = zeroed();
    log.gpsHdtData = {70, 65535, 4294967295u, 271.25f, 0.5f, -3.5f, 0.25f, 1.875f};
    return log;
}

inline ZuvBinaryLogData raw(std::initializer_list<uint8_t> bytes) {
    ZuvBinaryLogData log = zeroed();
    size_t i = 0;
    for (uint8_t b : bytes) log.gpsRawData.rawBuffer[i++] = b;
    log.gpsRawData.bufferSize = static_cast<uint32_t>(i);
    return log;
}

inline ZuvBinaryLogData odometer() {
    ZuvBinaryLogData log = zeroed();
    log.odometerData = {80, 65535, -12.5f};
    return log;
}

inline ZuvBinaryLogData event(uint32_t timeStamp, uint16_t status, uint16_t o0, uint16_t o1, uint16_t o2, uint16_t o3) {
    ZuvBinaryLogData log = zeroed();
    log.eventMarker = {timeStamp, status, o0, o1, o2, o3};
    return log;
}

inline ZuvBinaryLogData dvl() {
    ZuvBinaryLogData log = zeroed();
    log.dvlData = {90, 65535, {0.5f, -0.5f, 0.25f}, {1.0f, 2.0f, 3.0f}};
    return log;
}

inline ZuvBinaryLogData airData() {
    ZuvBinaryLogData log = zeroed();
    log.airData = {100, 65535, 101325.0f, 120.5f, -0.25f, 55.5f, -5.75f};
    return log;
}

inline ZuvBinaryLogData usbl() {
    ZuvBinaryLogData log = zeroed();
    log.usblData = {110, 65535, 43.2965, 5.3698, 120.5f, 0.5f, 0.25f, 1.5f};
    return log;
}

}  // namespace records
}  // namespace zuv::test
