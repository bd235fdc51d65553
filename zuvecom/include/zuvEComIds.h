// Message classes, log and command ids, and the small value sets of the zuvECom protocol.
// Errors: zuvEComOutputModeIsValid only answers yes or no.
// Threading: constants and a pure function; safe from any thread.
#pragma once

#include <stdint.h>

#include "zuvLibExport.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef enum _ZuvEComClass {
    ZUV_ECOM_CLASS_LOG_ECOM_0 = 0x00,  // logs
    ZUV_ECOM_CLASS_LOG_ECOM_1 = 0x01,  // logs, same ids and layouts as class 0
    ZUV_ECOM_CLASS_CMD_0 = 0x10,       // commands and their answers
    // Not a class: makes every byte off the wire a value of this type, so a
    // frame of an unknown class can be passed on and refused, not misread.
    ZUV_ECOM_CLASS_BYTE_MAX = 0xFF
} ZuvEComClass;

// Log ids of classes 0 and 1. Ids up to 38 without a name here are opaque logs.
typedef enum _ZuvEComLog {
    ZUV_ECOM_LOG_STATUS = 1,
    ZUV_ECOM_LOG_UTC_TIME = 2,
    ZUV_ECOM_LOG_IMU_DATA = 3,
    ZUV_ECOM_LOG_MAG = 4,
    ZUV_ECOM_LOG_MAG_CALIB = 5,
    ZUV_ECOM_LOG_EKF_EULER = 6,
    ZUV_ECOM_LOG_EKF_QUAT = 7,
    ZUV_ECOM_LOG_EKF_NAV = 8,
    ZUV_ECOM_LOG_SHIP_MOTION = 9,
    ZUV_ECOM_LOG_GPS1_VEL = 13,
    ZUV_ECOM_LOG_GPS1_POS = 14,
    ZUV_ECOM_LOG_GPS1_HDT = 15,
    ZUV_ECOM_LOG_GPS2_VEL = 16,
    ZUV_ECOM_LOG_GPS2_POS = 17,
    ZUV_ECOM_LOG_GPS2_HDT = 18,
    ZUV_ECOM_LOG_ODO_VEL = 19,
    ZUV_ECOM_LOG_EVENT_A = 24,
    ZUV_ECOM_LOG_EVENT_B = 25,
    ZUV_ECOM_LOG_EVENT_C = 26,
    ZUV_ECOM_LOG_EVENT_D = 27,
    ZUV_ECOM_LOG_EVENT_E = 28,
    ZUV_ECOM_LOG_DVL_BOTTOM_TRACK = 29,
    ZUV_ECOM_LOG_DVL_WATER_TRACK = 30,
    ZUV_ECOM_LOG_GPS1_RAW = 31,
    ZUV_ECOM_LOG_AIR_DATA = 36,
    ZUV_ECOM_LOG_USBL = 37,
    ZUV_ECOM_LOG_GPS2_RAW = 38,
    ZUV_ECOM_LOG_ECOM_NUM_MESSAGES = 39  // first id that is not a log
} ZuvEComLog;

// Command ids of class 0x10. A get and its set share the id; the request's size tells them apart.
typedef enum _ZuvEComCmd {
    ZUV_ECOM_CMD_ACK = 0x00,  // device to host only
    ZUV_ECOM_CMD_SETTINGS_ACTION = 0x01,
    ZUV_ECOM_CMD_IMPORT_SETTINGS = 0x02,
    ZUV_ECOM_CMD_EXPORT_SETTINGS = 0x03,
    ZUV_ECOM_CMD_INFO = 0x04,
    ZUV_ECOM_CMD_FEATURES = 0x05,
    ZUV_ECOM_CMD_SENSOR_ALIGNMENT = 0x06,
    ZUV_ECOM_CMD_INIT_CONDITION = 0x07,
    ZUV_ECOM_CMD_MOTION_PROFILE_INFO = 0x08,
    ZUV_ECOM_CMD_MOTION_PROFILE_ID = 0x09,
    ZUV_ECOM_CMD_AIDING_ASSIGNMENT = 0x0A,
    ZUV_ECOM_CMD_GNSS1_INSTALLATION = 0x0B,
    ZUV_ECOM_CMD_GNSS1_REJECTION = 0x0C,
    ZUV_ECOM_CMD_ODO_CONF = 0x0D,
    ZUV_ECOM_CMD_ODO_LEVER_ARM = 0x0E,
    ZUV_ECOM_CMD_ODO_REJECTION = 0x0F,
    ZUV_ECOM_CMD_ADVANCED_CONF = 0x10,
    ZUV_ECOM_CMD_OUTPUT_CONF = 0x11,
    ZUV_ECOM_CMD_UART_CONF = 0x12,
    ZUV_ECOM_CMD_NUM_COMMANDS = 0x13
} ZuvEComCmd;

typedef enum _ZuvEComOutputPort {
    ZUV_ECOM_OUTPUT_PORT_A = 0,  // main port
    ZUV_ECOM_OUTPUT_PORT_B = 1,
    ZUV_ECOM_OUTPUT_PORT_C = 2,
    ZUV_ECOM_OUTPUT_PORT_D = 3,
    ZUV_ECOM_OUTPUT_PORT_E = 4
} ZuvEComOutputPort;

// Values 1 to 200 divide the 200 Hz main loop; 10000 and above are triggers.
typedef enum _ZuvEComOutputMode {
    ZUV_ECOM_OUTPUT_MODE_DISABLED = 0,
    ZUV_ECOM_OUTPUT_MODE_MAIN_LOOP = 1,
    ZUV_ECOM_OUTPUT_MODE_DIV_2 = 2,
    ZUV_ECOM_OUTPUT_MODE_DIV_4 = 4,
    ZUV_ECOM_OUTPUT_MODE_DIV_8 = 8,
    ZUV_ECOM_OUTPUT_MODE_DIV_10 = 10,
    ZUV_ECOM_OUTPUT_MODE_DIV_20 = 20,
    ZUV_ECOM_OUTPUT_MODE_DIV_40 = 40,
    ZUV_ECOM_OUTPUT_MODE_DIV_200 = 200,
    ZUV_ECOM_OUTPUT_MODE_PPS = 10000,
    ZUV_ECOM_OUTPUT_MODE_NEW_DATA = 10001,
    ZUV_ECOM_OUTPUT_MODE_SYNC_A = 10003,
    ZUV_ECOM_OUTPUT_MODE_SYNC_B = 10004,
    ZUV_ECOM_OUTPUT_MODE_SYNC_C = 10005,
    ZUV_ECOM_OUTPUT_MODE_SYNC_D = 10006
} ZuvEComOutputMode;

// Serial ports of the device, for the UART configuration.
typedef enum _ZuvEComPortId {
    ZUV_ECOM_IF_COM_A = 0,
    ZUV_ECOM_IF_COM_B = 1,
    ZUV_ECOM_IF_COM_C = 2,
    ZUV_ECOM_IF_COM_D = 3,
    ZUV_ECOM_IF_COM_E = 4
} ZuvEComPortId;
#define ZUV_ECOM_NUM_PORTS 5u

// Low four bits of a solution status word.
typedef enum _ZuvEComSolutionMode {
    ZUV_ECOM_SOL_MODE_UNINITIALIZED = 0,
    ZUV_ECOM_SOL_MODE_VERTICAL_GYRO = 1,
    ZUV_ECOM_SOL_MODE_AHRS = 2,
    ZUV_ECOM_SOL_MODE_NAV_VELOCITY = 3,
    ZUV_ECOM_SOL_MODE_NAV_POSITION = 4
} ZuvEComSolutionMode;

// Solution status word.
#define ZUV_ECOM_SOL_MODE_MASK 0x0000000Fu
#define ZUV_ECOM_SOL_ATTITUDE_VALID 0x00000010u
#define ZUV_ECOM_SOL_HEADING_VALID 0x00000020u
#define ZUV_ECOM_SOL_VELOCITY_VALID 0x00000040u
#define ZUV_ECOM_SOL_POSITION_VALID 0x00000080u
#define ZUV_ECOM_SOL_VERT_REF_USED 0x00000100u
#define ZUV_ECOM_SOL_MAG_REF_USED 0x00000200u
#define ZUV_ECOM_SOL_GPS1_VEL_USED 0x00000400u
#define ZUV_ECOM_SOL_GPS1_POS_USED 0x00000800u
#define ZUV_ECOM_SOL_GPS1_HDT_USED 0x00002000u
#define ZUV_ECOM_SOL_GPS2_VEL_USED 0x00004000u
#define ZUV_ECOM_SOL_GPS2_POS_USED 0x00008000u
#define ZUV_ECOM_SOL_GPS2_HDT_USED 0x00020000u
#define ZUV_ECOM_SOL_ODO_USED 0x00040000u
#define ZUV_ECOM_SOL_DVL_BT_USED 0x00080000u
#define ZUV_ECOM_SOL_DVL_WT_USED 0x00100000u
#define ZUV_ECOM_SOL_USER_POS_USED 0x00200000u
#define ZUV_ECOM_SOL_USER_VEL_USED 0x00400000u
#define ZUV_ECOM_SOL_USER_HEADING_USED 0x00800000u
#define ZUV_ECOM_SOL_USBL_USED 0x01000000u
#define ZUV_ECOM_SOL_AIR_DATA_USED 0x02000000u
#define ZUV_ECOM_SOL_ZUPT_USED 0x04000000u
#define ZUV_ECOM_SOL_ALIGN_VALID 0x08000000u

// GNSS position status word: signals used.
#define ZUV_ECOM_GPS_POS_GPS_L1_USED 0x00001000u
#define ZUV_ECOM_GPS_POS_GPS_L2_USED 0x00002000u
#define ZUV_ECOM_GPS_POS_GPS_L5_USED 0x00004000u
#define ZUV_ECOM_GPS_POS_GLO_L1_USED 0x00008000u
#define ZUV_ECOM_GPS_POS_GLO_L2_USED 0x00010000u

// Aiding status word of the status log.
#define ZUV_ECOM_AIDING_GPS1_POS_RECV 0x00000001u
#define ZUV_ECOM_AIDING_GPS1_VEL_RECV 0x00000002u
#define ZUV_ECOM_AIDING_GPS1_HDT_RECV 0x00000004u
#define ZUV_ECOM_AIDING_GPS1_UTC_RECV 0x00000008u

// Event marker status word; offsets are microseconds after the log's time stamp.
#define ZUV_ECOM_EVENT_RECEIVED 0x0001u
#define ZUV_ECOM_EVENT_OFFSET_0_VALID 0x0002u
#define ZUV_ECOM_EVENT_OFFSET_1_VALID 0x0004u
#define ZUV_ECOM_EVENT_OFFSET_2_VALID 0x0008u
#define ZUV_ECOM_EVENT_OFFSET_3_VALID 0x0010u

// True for the output modes a device accepts (the values of ZuvEComOutputMode).
ZUVLIB_API int zuvEComOutputModeIsValid(uint32_t mode);

#ifdef __cplusplus
}
#endif
