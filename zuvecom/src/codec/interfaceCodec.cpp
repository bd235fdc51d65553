// Output configuration and UART configuration payloads (selector-only requests and full records).
#include "codec/payloadCodec.h"
#include "zuvEComCommandCodec.h"

using namespace zuv;

namespace {

bool isPort(long value) {
    return inRange(value, 0, static_cast<long>(ZUV_ECOM_NUM_PORTS) - 1);
}

bool isLogClass(long value) {
    return value == ZUV_ECOM_CLASS_LOG_ECOM_0 || value == ZUV_ECOM_CLASS_LOG_ECOM_1;
}

bool isPortMode(long value) {
    return inRange(value, ZUV_ECOM_UART_MODE_OFF, ZUV_ECOM_UART_MODE_422);
}

}  // namespace

extern "C" {

ZuvErrorCode zuvEComOutputConfEncode(const ZuvEComOutputConf *pConf, bool withMode, uint8_t *pOut, size_t capacity,
                                     size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    const size_t layoutSize = withMode ? ZUV_ECOM_OUTPUT_CONF_SIZE : ZUV_ECOM_OUTPUT_SELECTOR_SIZE;
    return encodePayload(pOut, capacity, pSize, layoutSize, [&](WireWriter &w) {
        if (!isPort(pConf->port) || !isLogClass(pConf->msgClass)) {
            return false;
        }
        w.u8(static_cast<uint8_t>(pConf->port));
        w.u8(static_cast<uint8_t>(pConf->msgClass));
        w.u8(pConf->msgId);
        if (withMode) {
            if (!zuvEComOutputModeIsValid(static_cast<uint32_t>(pConf->mode))) {
                return false;
            }
            w.u16(static_cast<uint16_t>(pConf->mode));
        }
        return true;
    });
}

ZuvErrorCode zuvEComOutputConfDecode(const uint8_t *pIn, size_t size, ZuvEComOutputConf *pConf, bool *pWithMode) {
    if (pConf == nullptr || pWithMode == nullptr) {
        return ZUV_NULL_POINTER;
    }
    const bool withMode = size == ZUV_ECOM_OUTPUT_CONF_SIZE;
    const size_t layoutSize = withMode ? ZUV_ECOM_OUTPUT_CONF_SIZE : ZUV_ECOM_OUTPUT_SELECTOR_SIZE;
    return decodePayload(pIn, size, layoutSize, [&](WireReader &r) {
        const uint8_t port = r.u8();
        const uint8_t msgClass = r.u8();
        const uint8_t msgId = r.u8();
        const uint16_t mode = withMode ? r.u16() : 0;
        if (!isPort(port) || !isLogClass(msgClass) || !zuvEComOutputModeIsValid(mode)) {
            return false;
        }
        pConf->port = static_cast<ZuvEComOutputPort>(port);
        pConf->msgClass = static_cast<ZuvEComClass>(msgClass);
        pConf->msgId = msgId;
        pConf->mode = static_cast<ZuvEComOutputMode>(mode);
        *pWithMode = withMode;
        return true;
    });
}

ZuvErrorCode zuvEComUartConfEncode(ZuvEComPortId port, const ZuvEComInterfaceConf *pConf, uint8_t *pOut,
                                   size_t capacity, size_t *pSize) {
    const size_t layoutSize = pConf != nullptr ? ZUV_ECOM_UART_CONF_SIZE : ZUV_ECOM_UART_SELECTOR_SIZE;
    return encodePayload(pOut, capacity, pSize, layoutSize, [&](WireWriter &w) {
        if (!isPort(port)) {
            return false;
        }
        w.u8(static_cast<uint8_t>(port));
        if (pConf != nullptr) {
            if (!isPortMode(pConf->mode)) {
                return false;
            }
            w.u32(pConf->baudRate);
            w.u8(static_cast<uint8_t>(pConf->mode));
        }
        return true;
    });
}

ZuvErrorCode zuvEComUartConfDecode(const uint8_t *pIn, size_t size, ZuvEComPortId *pPort, ZuvEComInterfaceConf *pConf,
                                   bool *pHasConf) {
    if (pPort == nullptr || pConf == nullptr || pHasConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    const bool hasConf = size == ZUV_ECOM_UART_CONF_SIZE;
    const size_t layoutSize = hasConf ? ZUV_ECOM_UART_CONF_SIZE : ZUV_ECOM_UART_SELECTOR_SIZE;
    return decodePayload(pIn, size, layoutSize, [&](WireReader &r) {
        const uint8_t port = r.u8();
        const uint32_t baudRate = hasConf ? r.u32() : 0;
        const uint8_t mode = hasConf ? r.u8() : 0;
        if (!isPort(port) || !isPortMode(mode)) {
            return false;
        }
        *pPort = static_cast<ZuvEComPortId>(port);
        if (hasConf) {
            pConf->baudRate = baudRate;
            pConf->mode = static_cast<ZuvEComPortMode>(mode);
        }
        *pHasConf = hasConf;
        return true;
    });
}

}  // extern "C"
