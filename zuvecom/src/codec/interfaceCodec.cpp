// Output configuration and UART configuration payloads (selector-only requests and full records).
#include "codec/commandFields.h"
#include "zuvEComCommandCodec.h"

using namespace zuv::commands;

extern "C" {

ZuvErrorCode zuvEComOutputConfEncode(const ZuvEComOutputConf *pConf, bool withMode, uint8_t *pOut, size_t capacity,
                                     size_t *pSize) {
    if (pConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return withMode ? encodeWith<OutputConfFields>(*pConf, pOut, capacity, pSize)
                    : encodeWith<OutputSelectorFields>(*pConf, pOut, capacity, pSize);
}

// A selector decodes with the mode left at 0.
ZuvErrorCode zuvEComOutputConfDecode(const uint8_t *pIn, size_t size, ZuvEComOutputConf *pConf, bool *pWithMode) {
    if (pConf == nullptr || pWithMode == nullptr) {
        return ZUV_NULL_POINTER;
    }
    const bool withMode = size == ZUV_ECOM_OUTPUT_CONF_SIZE;
    const ZuvErrorCode result =
        withMode ? decodeWith<OutputConfFields>(pIn, size, pConf) : decodeWith<OutputSelectorFields>(pIn, size, pConf);
    if (result == ZUV_NO_ERROR) {
        *pWithMode = withMode;
    }
    return result;
}

ZuvErrorCode zuvEComUartConfEncode(ZuvEComPortId port, const ZuvEComInterfaceConf *pConf, uint8_t *pOut,
                                   size_t capacity, size_t *pSize) {
    UartWire payload{port, pConf != nullptr ? *pConf : ZuvEComInterfaceConf{}};
    return pConf != nullptr ? encodeWith<UartConfFields>(payload, pOut, capacity, pSize)
                            : encodeWith<UartSelectorFields>(payload, pOut, capacity, pSize);
}

// A selector leaves *pConf as it was.
ZuvErrorCode zuvEComUartConfDecode(const uint8_t *pIn, size_t size, ZuvEComPortId *pPort, ZuvEComInterfaceConf *pConf,
                                   bool *pHasConf) {
    if (pPort == nullptr || pConf == nullptr || pHasConf == nullptr) {
        return ZUV_NULL_POINTER;
    }
    const bool hasConf = size == ZUV_ECOM_UART_CONF_SIZE;
    UartWire payload{};
    const ZuvErrorCode result =
        hasConf ? decodeWith<UartConfFields>(pIn, size, &payload) : decodeWith<UartSelectorFields>(pIn, size, &payload);
    if (result == ZUV_NO_ERROR) {
        *pPort = payload.port;
        if (hasConf) {
            *pConf = payload.conf;
        }
        *pHasConf = hasConf;
    }
    return result;
}

}  // extern "C"
