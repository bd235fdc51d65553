// Log output rates and the device's UART settings.
#include "commands/exchange.h"
#include "zuvEComCommandCodec.h"
#include "zuvEComCommands.h"

using namespace zuv::commands;

extern "C" {

ZuvErrorCode zuvEComCmdOutputGetConf(ZuvEComHandle *pHandle, ZuvEComOutputPort port, ZuvEComClass msgClass,
                                     uint8_t msgId, ZuvEComOutputMode *pMode) {
    const ZuvErrorCode check = checkHandle(pHandle);
    if (check != ZUV_NO_ERROR) {
        return check;
    }
    if (pMode == nullptr) {
        return ZUV_NULL_POINTER;
    }
    const ZuvEComOutputConf request{port, msgClass, msgId, ZUV_ECOM_OUTPUT_MODE_DISABLED};
    size_t requestSize = 0;
    const ZuvErrorCode encoded =
        zuvEComOutputConfEncode(&request, false, requestPayload(*pHandle), kRequestCapacity, &requestSize);
    if (encoded != ZUV_NO_ERROR) {
        return encoded;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_OUTPUT_CONF, requestSize, [&](const uint8_t *pIn, size_t size) {
        ZuvEComOutputConf answer{};
        bool withMode = false;
        ZuvErrorCode result = zuvEComOutputConfDecode(pIn, size, &answer, &withMode);
        if (result == ZUV_NO_ERROR &&
            (!withMode || answer.port != port || answer.msgClass != msgClass || answer.msgId != msgId)) {
            result = ZUV_INVALID_FRAME;  // an answer about another log, or without a mode
        }
        if (result == ZUV_NO_ERROR) {
            *pMode = answer.mode;
        }
        return result;
    });
}

ZuvErrorCode zuvEComCmdOutputSetConf(ZuvEComHandle *pHandle, ZuvEComOutputPort port, ZuvEComClass msgClass,
                                     uint8_t msgId, ZuvEComOutputMode mode) {
    const ZuvEComOutputConf conf{port, msgClass, msgId, mode};
    return runSet(pHandle, ZUV_ECOM_CMD_OUTPUT_CONF, [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
        return zuvEComOutputConfEncode(&conf, true, pOut, capacity, pSize);
    });
}

ZuvErrorCode zuvEComCmdInterfaceGetUartConf(ZuvEComHandle *pHandle, ZuvEComPortId port, ZuvEComInterfaceConf *pConf) {
    const ZuvErrorCode check = checkHandle(pHandle);
    if (check != ZUV_NO_ERROR) {
        return check;
    }
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    size_t requestSize = 0;
    const ZuvErrorCode encoded =
        zuvEComUartConfEncode(port, nullptr, requestPayload(*pHandle), kRequestCapacity, &requestSize);
    if (encoded != ZUV_NO_ERROR) {
        return encoded;
    }
    return runGet(pHandle, ZUV_ECOM_CMD_UART_CONF, requestSize, [&](const uint8_t *pIn, size_t size) {
        ZuvEComPortId answerPort = ZUV_ECOM_IF_COM_A;
        ZuvEComInterfaceConf answer{};
        bool hasConf = false;
        ZuvErrorCode result = zuvEComUartConfDecode(pIn, size, &answerPort, &answer, &hasConf);
        if (result == ZUV_NO_ERROR && (!hasConf || answerPort != port)) {
            result = ZUV_INVALID_FRAME;
        }
        if (result == ZUV_NO_ERROR) {
            *pConf = answer;
        }
        return result;
    });
}

ZuvErrorCode zuvEComCmdInterfaceSetUartConf(ZuvEComHandle *pHandle, ZuvEComPortId port,
                                            const ZuvEComInterfaceConf *pConf) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return runSet(pHandle, ZUV_ECOM_CMD_UART_CONF, [&](uint8_t *pOut, size_t capacity, size_t *pSize) {
        return zuvEComUartConfEncode(port, pConf, pOut, capacity, pSize);
    });
}

}  // extern "C"
