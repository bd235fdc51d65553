// Log records of the zuvECom protocol, their parser and their encoder.
//
// Records hold the wire fields in natural C types; the byte layout lives only
// in the parser and the encoder (little-endian, packed, read byte by byte).
// Errors: ZUV_NULL_POINTER for null arguments; ZUV_ERROR for a class other than
// 0/1 or an id above 38; ZUV_INVALID_FRAME for a payload shorter than its
// layout; ZUV_BUFFER_OVERFLOW when an encoder's output capacity is short;
// ZUV_INVALID_PARAMETER for a raw record whose byte count exceeds a payload.
// Out-arguments are written only on success. Nothing allocates.
// Threading: pure functions over caller memory; safe from any thread.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "zuvEComIds.h"
#include "zuvErrorCodes.h"
#include "zuvLibExport.h"

#ifdef __cplusplus
extern "C" {
#endif

#define ZUV_ECOM_RAW_DATA_MAX_SIZE 4096u

// Time stamps (timeStamp) are microseconds of the device clock; they wrap.

typedef struct _ZuvLogStatusData {
    uint32_t timeStamp;
    uint16_t generalStatus;
    uint16_t clockStatus;
    uint32_t comStatus;
    uint32_t aidingStatus;
    uint32_t reserved2;
    uint16_t reserved3;
    uint32_t upTime;  // seconds
} ZuvLogStatusData;

typedef struct _ZuvLogUtcData {
    uint32_t timeStamp;
    uint16_t status;
    uint16_t year;
    int8_t month;
    int8_t day;
    int8_t hour;
    int8_t minute;
    int8_t second;
    int32_t nanoSecond;
    uint32_t gpsTimeOfWeek;  // ms
} ZuvLogUtcData;

typedef struct _ZuvLogImuData {
    uint32_t timeStamp;
    uint16_t status;
    float accelerometers[3];
    float gyroscopes[3];
    float temperature;
    float deltaVelocity[3];
    float deltaAngle[3];
} ZuvLogImuData;

typedef struct _ZuvLogMag {
    uint32_t timeStamp;
    uint16_t status;
    float magnetometers[3];
    float accelerometers[3];
} ZuvLogMag;

typedef struct _ZuvLogMagCalib {
    uint32_t timeStamp;
    uint16_t reserved;
    uint8_t magData[16];
} ZuvLogMagCalib;

typedef struct _ZuvLogEkfEulerData {
    uint32_t timeStamp;
    float euler[3];  // roll, pitch, yaw
    float eulerStdDev[3];
    uint32_t solutionStatus;
} ZuvLogEkfEulerData;

typedef struct _ZuvLogEkfQuatData {
    uint32_t timeStamp;
    float quaternion[4];  // w, x, y, z
    float eulerStdDev[3];
    uint32_t solutionStatus;
} ZuvLogEkfQuatData;

typedef struct _ZuvLogEkfNavData {
    uint32_t timeStamp;
    float velocity[3];  // north, east, down
    float velocityStdDev[3];
    double latitude;
    double longitude;
    double altitude;
    float undulation;
    float positionStdDev[3];  // latitude, longitude, altitude
    uint32_t solutionStatus;
} ZuvLogEkfNavData;

typedef struct _ZuvLogShipMotionData {
    uint32_t timeStamp;
    uint16_t status;
    float mainHeavePeriod;
    float shipMotion[3];  // surge, sway, heave
    float shipAccel[3];
    float shipVel[3];
} ZuvLogShipMotionData;

typedef struct _ZuvLogGpsVel {
    uint32_t timeStamp;
    uint32_t status;
    uint32_t timeOfWeek;  // ms
    float velocity[3];    // north, east, down
    float velocityAcc[3];
    float course;
    float courseAcc;
} ZuvLogGpsVel;

typedef struct _ZuvLogGpsPos {
    uint32_t timeStamp;
    uint32_t status;
    uint32_t timeOfWeek;  // ms
    double latitude;
    double longitude;
    double altitude;
    float undulation;
    float latitudeAccuracy;
    float longitudeAccuracy;
    float altitudeAccuracy;
    uint8_t numSvUsed;
    uint16_t baseStationId;
    uint16_t differentialAge;
} ZuvLogGpsPos;

typedef struct _ZuvLogGpsHdt {
    uint32_t timeStamp;
    uint16_t status;
    uint32_t timeOfWeek;  // ms
    float heading;
    float headingAccuracy;
    float pitch;
    float pitchAccuracy;
    float baseline;
} ZuvLogGpsHdt;

// The whole payload as received: raw GNSS streams and logs without a layout.
typedef struct _ZuvLogRawData {
    uint8_t rawBuffer[ZUV_ECOM_RAW_DATA_MAX_SIZE];
    uint32_t bufferSize;  // bytes used in rawBuffer, 0..4086
} ZuvLogRawData;
typedef ZuvLogRawData ZuvLogGpsRaw;

typedef struct _ZuvLogOdometerData {
    uint32_t timeStamp;
    uint16_t status;
    float velocity;
} ZuvLogOdometerData;

typedef struct _ZuvLogEvent {
    uint32_t timeStamp;  // time of the first event
    uint16_t status;     // ZUV_ECOM_EVENT_* bits
    uint16_t timeOffset0;
    uint16_t timeOffset1;
    uint16_t timeOffset2;
    uint16_t timeOffset3;
} ZuvLogEvent;

typedef struct _ZuvLogDvlData {
    uint32_t timeStamp;
    uint16_t status;
    float velocity[3];
    float velocityQuality[3];
} ZuvLogDvlData;

typedef struct _ZuvLogAirData {
    uint32_t timeStamp;
    uint16_t status;
    float pressureAbs;
    float altitude;
    float pressureDiff;
    float trueAirspeed;
    float airTemperature;
} ZuvLogAirData;

typedef struct _ZuvLogUsblData {
    uint32_t timeStamp;
    uint16_t status;
    double latitude;
    double longitude;
    float depth;
    float latitudeAccuracy;
    float longitudeAccuracy;
    float depthAccuracy;
} ZuvLogUsblData;

// One parsed log; the message id says which member is valid.
typedef union _ZuvBinaryLogData {
    ZuvLogStatusData statusData;          // 1
    ZuvLogUtcData utcData;                // 2
    ZuvLogImuData imuData;                // 3
    ZuvLogMag magData;                    // 4
    ZuvLogMagCalib magCalibData;          // 5
    ZuvLogEkfEulerData ekfEulerData;      // 6
    ZuvLogEkfQuatData ekfQuatData;        // 7
    ZuvLogEkfNavData ekfNavData;          // 8
    ZuvLogShipMotionData shipMotionData;  // 9
    ZuvLogGpsVel gpsVelData;              // 13, 16
    ZuvLogGpsPos gpsPosData;              // 14, 17
    ZuvLogGpsHdt gpsHdtData;              // 15, 18
    ZuvLogOdometerData odometerData;      // 19
    ZuvLogEvent eventMarker;              // 24 to 28
    ZuvLogDvlData dvlData;                // 29, 30
    ZuvLogGpsRaw gpsRawData;              // 31, 38
    ZuvLogAirData airData;                // 36
    ZuvLogUsblData usblData;              // 37
    ZuvLogRawData opaqueData;             // 0, 10-12, 20-23, 32-35
} ZuvBinaryLogData;

// Parses one log payload. Bytes beyond the layout are ignored (newer firmware may append fields).
ZUVLIB_API ZuvErrorCode zuvEComBinaryLogParse(ZuvEComClass msgClass, uint8_t msgId, const void *pPayload,
                                              size_t payloadSize, ZuvBinaryLogData *pOutputData);

// Lays a record out as its payload: the fixed layout, or the raw bytes for raw and opaque logs.
ZUVLIB_API ZuvErrorCode zuvEComBinaryLogEncode(ZuvEComClass msgClass, uint8_t msgId, const ZuvBinaryLogData *pLogData,
                                               uint8_t *pPayload, size_t capacity, size_t *pPayloadSize);

// Minimum payload size of a log id: its layout size, 0 for raw and opaque ids (any size from 0
// to 4086), or 0 for ids above 38. Use zuvEComBinaryLogIsKnown to tell those apart.
ZUVLIB_API size_t zuvEComBinaryLogLayoutSize(uint8_t msgId);
// True for ids 0 to 38.
ZUVLIB_API int zuvEComBinaryLogIsKnown(uint8_t msgId);
// True for the ids that carry their payload as raw bytes: raw GNSS and opaque logs.
ZUVLIB_API int zuvEComBinaryLogIsRaw(uint8_t msgId);
// The device time stamp of a parsed record: 1 and *pTimeStamp for the ids with a layout
// (each starts with ts), 0 for raw, opaque and unknown ids and null pointers.
ZUVLIB_API int zuvEComBinaryLogTimeStamp(uint8_t msgId, const ZuvBinaryLogData *pLogData, uint32_t *pTimeStamp);

#ifdef __cplusplus
}
#endif
