// Configuration commands over an initialised handle.
//
// Each command sends its request and waits for the answer: at most 500 ms per
// attempt (2 s for a save), three attempts in all. While it waits, logs that
// arrive go to the receive-log callback as zuvEComHandle would send them;
// frames of other classes and answers to other commands are dropped; bytes
// after the answer stay in the receive buffer.
//
// Errors: the device's refusal code (ZUV_INVALID_PARAMETER, ZUV_ERROR, ...) as
// it sent it; ZUV_TIME_OUT after three silent attempts; ZUV_INVALID_FRAME for an
// answer of the wrong size, a success ACK where data was due, or settings pages
// whose count changes; ZUV_INVALID_PARAMETER for a value that does not fit its
// wire field, or an import of more than 65535 pages (checked before anything
// is sent); ZUV_BUFFER_OVERFLOW for an export larger than the caller's capacity;
// ZUV_WRITE_ERROR / ZUV_READ_ERROR when the link fails; ZUV_NULL_POINTER;
// ZUV_NOT_READY from inside the receive-log callback of the same handle.
// Out-arguments are written only on success (an export may have filled part
// of the buffer when it fails). A device error code above 20 reads as ZUV_ERROR.
// Threading: one thread at a time per handle; keep the package's extraction
// loop off the handle while a command runs.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "zuvECom.h"
#include "zuvEComCommandRecords.h"

#ifdef __cplusplus
extern "C" {
#endif

ZUVLIB_API ZuvErrorCode zuvEComCmdGetInfo(ZuvEComHandle *pHandle, ZuvEComDeviceInfo *pInfo);
ZUVLIB_API ZuvErrorCode zuvEComCmdGetFeatures(ZuvEComHandle *pHandle, ZuvEComFeatures *pFeatures);

ZUVLIB_API ZuvErrorCode zuvEComCmdSettingsAction(ZuvEComHandle *pHandle, ZuvEComSettingsAction action);
// Reads the whole settings image into pBuffer (at most capacity bytes).
ZUVLIB_API ZuvErrorCode zuvEComCmdExportSettings(ZuvEComHandle *pHandle, void *pBuffer, size_t *pSize, size_t capacity);
// Sends an image in pages of 4082 bytes (one empty page for an empty image).
ZUVLIB_API ZuvErrorCode zuvEComCmdImportSettings(ZuvEComHandle *pHandle, const void *pBuffer, size_t size);

ZUVLIB_API ZuvErrorCode zuvEComCmdOutputGetConf(ZuvEComHandle *pHandle, ZuvEComOutputPort port, ZuvEComClass msgClass,
                                                uint8_t msgId, ZuvEComOutputMode *pMode);
ZUVLIB_API ZuvErrorCode zuvEComCmdOutputSetConf(ZuvEComHandle *pHandle, ZuvEComOutputPort port, ZuvEComClass msgClass,
                                                uint8_t msgId, ZuvEComOutputMode mode);

ZUVLIB_API ZuvErrorCode zuvEComCmdInterfaceGetUartConf(ZuvEComHandle *pHandle, ZuvEComPortId port,
                                                       ZuvEComInterfaceConf *pConf);
// The device changes its speed after it has acknowledged.
ZUVLIB_API ZuvErrorCode zuvEComCmdInterfaceSetUartConf(ZuvEComHandle *pHandle, ZuvEComPortId port,
                                                       const ZuvEComInterfaceConf *pConf);

// pLeverArm: three floats X, Y, Z.
ZUVLIB_API ZuvErrorCode zuvEComCmdSensorGetAlignmentAndLeverArm(ZuvEComHandle *pHandle,
                                                                ZuvEComSensorAlignmentInfo *pAlignConf,
                                                                float *pLeverArm);
ZUVLIB_API ZuvErrorCode zuvEComCmdSensorSetAlignmentAndLeverArm(ZuvEComHandle *pHandle,
                                                                const ZuvEComSensorAlignmentInfo *pAlignConf,
                                                                const float *pLeverArm);

ZUVLIB_API ZuvErrorCode zuvEComCmdSensorGetInitCondition(ZuvEComHandle *pHandle, ZuvEComInitConditionConf *pConf);
ZUVLIB_API ZuvErrorCode zuvEComCmdSensorSetInitCondition(ZuvEComHandle *pHandle, const ZuvEComInitConditionConf *pConf);

ZUVLIB_API ZuvErrorCode zuvEComCmdSensorGetMotionProfileInfo(ZuvEComHandle *pHandle, ZuvEComModelInfo *pInfo);
ZUVLIB_API ZuvErrorCode zuvEComCmdSensorSetMotionProfileId(ZuvEComHandle *pHandle, uint32_t id);

ZUVLIB_API ZuvErrorCode zuvEComCmdSensorGetAidingAssignment(ZuvEComHandle *pHandle, ZuvEComAidingAssignConf *pConf);
ZUVLIB_API ZuvErrorCode zuvEComCmdSensorSetAidingAssignment(ZuvEComHandle *pHandle,
                                                            const ZuvEComAidingAssignConf *pConf);

ZUVLIB_API ZuvErrorCode zuvEComCmdGnss1InstallationGet(ZuvEComHandle *pHandle, ZuvEComGnssInstallation *pConf);
ZUVLIB_API ZuvErrorCode zuvEComCmdGnss1InstallationSet(ZuvEComHandle *pHandle, const ZuvEComGnssInstallation *pConf);

ZUVLIB_API ZuvErrorCode zuvEComCmdGnss1GetRejection(ZuvEComHandle *pHandle, ZuvEComGnssRejectionConf *pConf);
ZUVLIB_API ZuvErrorCode zuvEComCmdGnss1SetRejection(ZuvEComHandle *pHandle, const ZuvEComGnssRejectionConf *pConf);

ZUVLIB_API ZuvErrorCode zuvEComCmdOdoGetConf(ZuvEComHandle *pHandle, ZuvEComOdoConf *pConf);
ZUVLIB_API ZuvErrorCode zuvEComCmdOdoSetConf(ZuvEComHandle *pHandle, const ZuvEComOdoConf *pConf);

// pLeverArm: three floats X, Y, Z.
ZUVLIB_API ZuvErrorCode zuvEComCmdOdoGetLeverArm(ZuvEComHandle *pHandle, float *pLeverArm);
ZUVLIB_API ZuvErrorCode zuvEComCmdOdoSetLeverArm(ZuvEComHandle *pHandle, const float *pLeverArm);

ZUVLIB_API ZuvErrorCode zuvEComCmdOdoGetRejection(ZuvEComHandle *pHandle, ZuvEComOdoRejectionConf *pConf);
ZUVLIB_API ZuvErrorCode zuvEComCmdOdoSetRejection(ZuvEComHandle *pHandle, const ZuvEComOdoRejectionConf *pConf);

ZUVLIB_API ZuvErrorCode zuvEComCmdAdvancedGetConf(ZuvEComHandle *pHandle, ZuvEComAdvancedConf *pConf);
ZUVLIB_API ZuvErrorCode zuvEComCmdAdvancedSetConf(ZuvEComHandle *pHandle, const ZuvEComAdvancedConf *pConf);

#ifdef __cplusplus
}
#endif
