// zuvEComBinaryLogParse on any class, id and payload. A log that parses must encode
// back to the bytes it came from (its layout, or all of it for raw logs).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "zuvEComBinaryLogs.h"

namespace {
ZuvBinaryLogData gLog;
uint8_t gEncoded[4096];
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const auto msgClass = static_cast<ZuvEComClass>(data[0]);
    const uint8_t msgId = data[1];
    const uint8_t *payload = data + 2;
    const size_t payloadSize = size - 2;
    const ZuvErrorCode parsed = zuvEComBinaryLogParse(msgClass, msgId, payload, payloadSize, &gLog);
    if (parsed != ZUV_NO_ERROR) {
        return 0;
    }
    if (msgClass > ZUV_ECOM_CLASS_LOG_ECOM_1 || msgId > 38) {
        __builtin_trap();  // accepted what it must refuse
    }
    size_t encodedSize = 0;
    if (zuvEComBinaryLogEncode(msgClass, msgId, &gLog, gEncoded, sizeof(gEncoded), &encodedSize) != ZUV_NO_ERROR) {
        __builtin_trap();
    }
    const size_t expected = zuvEComBinaryLogIsRaw(msgId) ? payloadSize : zuvEComBinaryLogLayoutSize(msgId);
    if (encodedSize != expected || (expected > 0 && std::memcmp(gEncoded, payload, expected) != 0)) {
        __builtin_trap();
    }
    return 0;
}
