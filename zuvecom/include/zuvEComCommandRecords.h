// Configuration records exchanged by the zuvECom commands, and their value sets.
// Records hold the fields in natural C types; the byte layouts live in the
// command codec (zuvEComCommandCodec.h).
// Errors: none here; value checks happen when a record is encoded or decoded.
// Threading: plain data.
#pragma once

#include <stdbool.h>
#include <stdint.h>

#include "zuvEComIds.h"

#ifdef __cplusplus
extern "C" {
#endif

// Text fields are 32 bytes on the wire (NUL padded); records keep one more byte so they always end in NUL.
#define ZUV_ECOM_TEXT_SIZE 32u
#define ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE 4082u
#define ZUV_ECOM_SETTINGS_MAX_SIZE 100000u

typedef enum _ZuvEComSettingsAction {
    ZUV_ECOM_REBOOT_ONLY = 0,
    ZUV_ECOM_SAVE_SETTINGS = 1,
    ZUV_ECOM_RESTORE_DEFAULT_SETTINGS = 2
} ZuvEComSettingsAction;

typedef enum _ZuvEComAxisDirection {
    ZUV_ECOM_ALIGNMENT_FORWARD = 0,
    ZUV_ECOM_ALIGNMENT_BACKWARD = 1,
    ZUV_ECOM_ALIGNMENT_LEFT = 2,
    ZUV_ECOM_ALIGNMENT_RIGHT = 3,
    ZUV_ECOM_ALIGNMENT_UP = 4,
    ZUV_ECOM_ALIGNMENT_DOWN = 5
} ZuvEComAxisDirection;

typedef enum _ZuvEComGnssInstallationMode {
    ZUV_ECOM_GNSS_INSTALLATION_SINGLE = 1,
    ZUV_ECOM_GNSS_INSTALLATION_DUAL_AUTO = 2,
    ZUV_ECOM_GNSS_INSTALLATION_DUAL_ROUGH = 3,
    ZUV_ECOM_GNSS_INSTALLATION_DUAL_PRECISE = 4
} ZuvEComGnssInstallationMode;

typedef enum _ZuvEComRejectionMode {
    ZUV_ECOM_NEVER_ACCEPT_MODE = 0,
    ZUV_ECOM_AUTOMATIC_MODE = 1,
    ZUV_ECOM_ALWAYS_ACCEPT_MODE = 2
} ZuvEComRejectionMode;

typedef enum _ZuvEComTimeReferenceSrc {
    ZUV_ECOM_TIME_REFERENCE_DISABLED = 0,
    ZUV_ECOM_TIME_REFERENCE_SYNC_IN_A = 1,
    ZUV_ECOM_TIME_REFERENCE_UTC_GPS_1 = 2
} ZuvEComTimeReferenceSrc;

typedef enum _ZuvEComPortMode {
    ZUV_ECOM_UART_MODE_OFF = 0,
    ZUV_ECOM_UART_MODE_232 = 1,
    ZUV_ECOM_UART_MODE_422 = 2
} ZuvEComPortMode;

typedef struct _ZuvEComDeviceInfo {
    char productCode[ZUV_ECOM_TEXT_SIZE + 1];
    uint32_t serialNumber;
    uint32_t calibrationRev;
    uint16_t calibrationYear;
    uint8_t calibrationMonth;
    uint8_t calibrationDay;
    uint32_t hardwareRev;
    uint32_t firmwareRev;
} ZuvEComDeviceInfo;

typedef struct _ZuvEComFeatures {
    uint32_t sensorsMask;
    uint32_t gnssSignalsMask;
    uint8_t gnssUpdateRate;  // Hz
    char gnssProductCode[ZUV_ECOM_TEXT_SIZE + 1];
} ZuvEComFeatures;

typedef struct _ZuvEComSensorAlignmentInfo {
    ZuvEComAxisDirection axisDirectionX;
    ZuvEComAxisDirection axisDirectionY;
    float misRoll;  // misalignment angles
    float misPitch;
    float misYaw;
} ZuvEComSensorAlignmentInfo;

typedef struct _ZuvEComInitConditionConf {
    double latitude;
    double longitude;
    double altitude;
    uint16_t year;
    uint8_t month;
    uint8_t day;
} ZuvEComInitConditionConf;

// Motion profile: begins with its id.
typedef struct _ZuvEComModelInfo {
    uint32_t id;
    uint32_t revision;
    char name[ZUV_ECOM_TEXT_SIZE + 1];
} ZuvEComModelInfo;

typedef struct _ZuvEComAidingAssignConf {
    uint8_t gnss1Module;  // port of the first GNSS receiver
    uint8_t gnss1Sync;    // its sync input
    uint8_t rtcmModule;   // port of the RTCM corrections
    uint8_t odometerPinsConf;
} ZuvEComAidingAssignConf;

typedef struct _ZuvEComGnssInstallation {
    float leverArmPrimary[3];
    bool leverArmPrimaryPrecise;
    float leverArmSecondary[3];
    ZuvEComGnssInstallationMode leverArmSecondaryMode;
} ZuvEComGnssInstallation;

typedef struct _ZuvEComGnssRejectionConf {
    ZuvEComRejectionMode position;
    ZuvEComRejectionMode velocity;
    ZuvEComRejectionMode hdt;
} ZuvEComGnssRejectionConf;

typedef struct _ZuvEComOdoConf {
    float gain;         // pulses per metre
    uint8_t gainError;  // percent
    bool reverseMode;
} ZuvEComOdoConf;

typedef struct _ZuvEComOdoRejectionConf {
    ZuvEComRejectionMode velocity;
} ZuvEComOdoRejectionConf;

typedef struct _ZuvEComAdvancedConf {
    ZuvEComTimeReferenceSrc timeReferenceSrc;
} ZuvEComAdvancedConf;

// UART configuration of one device port.
typedef struct _ZuvEComInterfaceConf {
    uint32_t baudRate;
    ZuvEComPortMode mode;
} ZuvEComInterfaceConf;

// Output configuration of one log on one port.
typedef struct _ZuvEComOutputConf {
    ZuvEComOutputPort port;
    ZuvEComClass msgClass;
    uint8_t msgId;
    ZuvEComOutputMode mode;
} ZuvEComOutputConf;

// The device's answer to a command it refused or to a set it accepted.
typedef struct _ZuvEComAck {
    uint8_t cmdId;
    uint8_t cmdClass;
    uint16_t errorCode;  // a ZuvErrorCode, 0 = accepted
} ZuvEComAck;

#ifdef __cplusplus
}
#endif
