// Byte layouts of the command payloads (class 0x10), both directions: the
// library's command functions use them, and so does a device (the simulator).
//
// Encoders write the payload into pOut and its size into *pSize.
// Decoders fill the record from a payload of exactly the layout's size.
// Errors: ZUV_NULL_POINTER for null arguments; ZUV_BUFFER_OVERFLOW when the
// capacity is short; ZUV_INVALID_FRAME when a payload's size is not the
// layout's; ZUV_INVALID_PARAMETER for a value outside its set (an enumeration
// value, port, log class, output mode, a value too wide for its wire field).
// Out-arguments are written only on success. Nothing allocates.
// Threading: pure functions; safe from any thread.
#pragma once

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "zuvEComCommandRecords.h"
#include "zuvErrorCodes.h"
#include "zuvLibExport.h"

#ifdef __cplusplus
extern "C" {
#endif

#define ZUV_ECOM_ACK_SIZE 4u
#define ZUV_ECOM_DEVICE_INFO_SIZE 52u
#define ZUV_ECOM_FEATURES_SIZE 41u
#define ZUV_ECOM_SENSOR_ALIGNMENT_SIZE 26u
#define ZUV_ECOM_INIT_CONDITION_SIZE 28u
#define ZUV_ECOM_MODEL_INFO_SIZE 40u
#define ZUV_ECOM_AIDING_ASSIGN_SIZE 4u
#define ZUV_ECOM_GNSS_INSTALLATION_SIZE 26u
#define ZUV_ECOM_GNSS_REJECTION_SIZE 3u
#define ZUV_ECOM_ODO_CONF_SIZE 6u
#define ZUV_ECOM_LEVER_ARM_SIZE 12u
#define ZUV_ECOM_ODO_REJECTION_SIZE 1u
#define ZUV_ECOM_ADVANCED_CONF_SIZE 1u
#define ZUV_ECOM_OUTPUT_SELECTOR_SIZE 3u  // output get request: port, class, log id
#define ZUV_ECOM_OUTPUT_CONF_SIZE 5u      // the same plus the mode
#define ZUV_ECOM_UART_SELECTOR_SIZE 1u    // UART get request: port
#define ZUV_ECOM_UART_CONF_SIZE 6u        // port, baud rate, mode
#define ZUV_ECOM_SETTINGS_ACTION_SIZE 1u
#define ZUV_ECOM_MOTION_PROFILE_ID_SIZE 4u
#define ZUV_ECOM_EXPORT_REQUEST_SIZE 2u        // page index
#define ZUV_ECOM_SETTINGS_PAGE_HEADER_SIZE 4u  // page index, page count

ZUVLIB_API ZuvErrorCode zuvEComAckEncode(const ZuvEComAck *pAck, uint8_t *pOut, size_t capacity, size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComAckDecode(const uint8_t *pIn, size_t size, ZuvEComAck *pAck);

ZUVLIB_API ZuvErrorCode zuvEComDeviceInfoEncode(const ZuvEComDeviceInfo *pInfo, uint8_t *pOut, size_t capacity,
                                                size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComDeviceInfoDecode(const uint8_t *pIn, size_t size, ZuvEComDeviceInfo *pInfo);

ZUVLIB_API ZuvErrorCode zuvEComFeaturesEncode(const ZuvEComFeatures *pFeatures, uint8_t *pOut, size_t capacity,
                                              size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComFeaturesDecode(const uint8_t *pIn, size_t size, ZuvEComFeatures *pFeatures);

// Alignment and the sensor lever arm travel together (26 bytes).
ZUVLIB_API ZuvErrorCode zuvEComSensorAlignmentEncode(const ZuvEComSensorAlignmentInfo *pAlignment,
                                                     const float pLeverArm[3], uint8_t *pOut, size_t capacity,
                                                     size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComSensorAlignmentDecode(const uint8_t *pIn, size_t size,
                                                     ZuvEComSensorAlignmentInfo *pAlignment, float pLeverArm[3]);

ZUVLIB_API ZuvErrorCode zuvEComInitConditionEncode(const ZuvEComInitConditionConf *pConf, uint8_t *pOut,
                                                   size_t capacity, size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComInitConditionDecode(const uint8_t *pIn, size_t size, ZuvEComInitConditionConf *pConf);

ZUVLIB_API ZuvErrorCode zuvEComModelInfoEncode(const ZuvEComModelInfo *pInfo, uint8_t *pOut, size_t capacity,
                                               size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComModelInfoDecode(const uint8_t *pIn, size_t size, ZuvEComModelInfo *pInfo);

ZUVLIB_API ZuvErrorCode zuvEComAidingAssignEncode(const ZuvEComAidingAssignConf *pConf, uint8_t *pOut, size_t capacity,
                                                  size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComAidingAssignDecode(const uint8_t *pIn, size_t size, ZuvEComAidingAssignConf *pConf);

ZUVLIB_API ZuvErrorCode zuvEComGnssInstallationEncode(const ZuvEComGnssInstallation *pConf, uint8_t *pOut,
                                                      size_t capacity, size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComGnssInstallationDecode(const uint8_t *pIn, size_t size, ZuvEComGnssInstallation *pConf);

ZUVLIB_API ZuvErrorCode zuvEComGnssRejectionEncode(const ZuvEComGnssRejectionConf *pConf, uint8_t *pOut,
                                                   size_t capacity, size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComGnssRejectionDecode(const uint8_t *pIn, size_t size, ZuvEComGnssRejectionConf *pConf);

ZUVLIB_API ZuvErrorCode zuvEComOdoConfEncode(const ZuvEComOdoConf *pConf, uint8_t *pOut, size_t capacity,
                                             size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComOdoConfDecode(const uint8_t *pIn, size_t size, ZuvEComOdoConf *pConf);

// Three floats X, Y, Z (the odometer lever arm).
ZUVLIB_API ZuvErrorCode zuvEComLeverArmEncode(const float pLeverArm[3], uint8_t *pOut, size_t capacity, size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComLeverArmDecode(const uint8_t *pIn, size_t size, float pLeverArm[3]);

ZUVLIB_API ZuvErrorCode zuvEComOdoRejectionEncode(const ZuvEComOdoRejectionConf *pConf, uint8_t *pOut, size_t capacity,
                                                  size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComOdoRejectionDecode(const uint8_t *pIn, size_t size, ZuvEComOdoRejectionConf *pConf);

ZUVLIB_API ZuvErrorCode zuvEComAdvancedConfEncode(const ZuvEComAdvancedConf *pConf, uint8_t *pOut, size_t capacity,
                                                  size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComAdvancedConfDecode(const uint8_t *pIn, size_t size, ZuvEComAdvancedConf *pConf);

// Output configuration: withMode false gives the 3-byte get request, true the 5-byte set
// request and get answer. The decoder takes either size and says which through *pWithMode
// (the mode is left DISABLED without one). Ports 0-4, classes 0-1 and valid output modes only.
ZUVLIB_API ZuvErrorCode zuvEComOutputConfEncode(const ZuvEComOutputConf *pConf, bool withMode, uint8_t *pOut,
                                                size_t capacity, size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComOutputConfDecode(const uint8_t *pIn, size_t size, ZuvEComOutputConf *pConf,
                                                bool *pWithMode);

// UART configuration: a null pConf gives the 1-byte get request, otherwise the 6-byte set
// request and get answer. The decoder takes either size; *pHasConf says which.
ZUVLIB_API ZuvErrorCode zuvEComUartConfEncode(ZuvEComPortId port, const ZuvEComInterfaceConf *pConf, uint8_t *pOut,
                                              size_t capacity, size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComUartConfDecode(const uint8_t *pIn, size_t size, ZuvEComPortId *pPort,
                                              ZuvEComInterfaceConf *pConf, bool *pHasConf);

// Settings page (import request, export answer): page index, page count, up to 4082 bytes.
// The decoder points *ppData into pIn.
ZUVLIB_API ZuvErrorCode zuvEComSettingsPageEncode(uint16_t pageIndex, uint16_t pageCount, const void *pData,
                                                  size_t dataSize, uint8_t *pOut, size_t capacity, size_t *pSize);
ZUVLIB_API ZuvErrorCode zuvEComSettingsPageDecode(const uint8_t *pIn, size_t size, uint16_t *pPageIndex,
                                                  uint16_t *pPageCount, const uint8_t **ppData, size_t *pDataSize);

#ifdef __cplusplus
}
#endif
