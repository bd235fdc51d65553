// The library calls through which the device link opens, probes, pumps and
// closes a link: the test seam of CZuvCommunication.
//
// Why a table: the /dev/ttyUSB scan, the baud-rate probing and the clean-up
// after each failing step are decided by what these calls return. A test hands
// the link a table of its own (a recording double) and checks the order of the
// calls and what was closed, without creating anything under /dev. Production
// code uses ZuvLibraryLinkCalls(), the zuvECom library itself. The commands
// that run over an open link (configuration, export, import) call the library
// directly: they are tested against the simulator.
//
// Errors: each entry returns the library's ZuvErrorCode unchanged.
// Threading: a table is plain constant data; the link copies it at construction.
#pragma once

#include "zuvECom.h"
#include "zuvEComCommands.h"
#include "zuvInterfaceSerial.h"
#include "zuvInterfaceUdp.h"

struct ZuvLinkCalls {
    ZuvErrorCode (*serialCreate)(ZuvInterface *pInterface, const char *deviceName, uint32_t baudRate);
    ZuvErrorCode (*serialDestroy)(ZuvInterface *pInterface);
    ZuvErrorCode (*udpCreate)(ZuvInterface *pInterface, uint32_t remoteAddress, uint32_t remotePort,
                              uint32_t localPort);
    ZuvErrorCode (*udpDestroy)(ZuvInterface *pInterface);
    ZuvErrorCode (*init)(ZuvEComHandle *pHandle, ZuvInterface *pInterface);
    ZuvErrorCode (*close)(ZuvEComHandle *pHandle);
    ZuvErrorCode (*setReceiveLogCallback)(ZuvEComHandle *pHandle, ZuvEComReceiveLogFunc pReceiveLogFunc,
                                          void *pUserArg);
    ZuvErrorCode (*getInfo)(ZuvEComHandle *pHandle, ZuvEComDeviceInfo *pInfo);
    ZuvErrorCode (*handle)(ZuvEComHandle *pHandle);
};

// The zuvECom library's own functions.
const ZuvLinkCalls &ZuvLibraryLinkCalls();
