// Shared frame of the command payload encoders and decoders: argument checks,
// exact sizes, and value-set checks of the enumerations sent as one byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codec/wireBytes.h"
#include "zuvErrorCodes.h"

namespace zuv {

// fill(WireWriter&) returns false for a value that cannot go on the wire.
template <typename Fill>
ZuvErrorCode encodePayload(uint8_t *pOut, size_t capacity, size_t *pSize, size_t layoutSize, Fill fill) {
    if (pOut == nullptr || pSize == nullptr) {
        return ZUV_NULL_POINTER;
    }
    if (capacity < layoutSize) {
        return ZUV_BUFFER_OVERFLOW;
    }
    WireWriter writer(pOut, layoutSize);
    if (!fill(writer)) {
        return ZUV_INVALID_PARAMETER;
    }
    if (writer.failed() || writer.size() != layoutSize) {
        return ZUV_ERROR;
    }
    *pSize = layoutSize;
    return ZUV_NO_ERROR;
}

// read(WireReader&) returns false for a value outside its set; it writes its outputs only when it returns true.
template <typename Read>
ZuvErrorCode decodePayload(const uint8_t *pIn, size_t size, size_t layoutSize, Read read) {
    if (pIn == nullptr && size > 0) {
        return ZUV_NULL_POINTER;
    }
    if (size != layoutSize) {
        return ZUV_INVALID_FRAME;
    }
    WireReader reader(pIn, size);
    return read(reader) ? ZUV_NO_ERROR : ZUV_INVALID_PARAMETER;
}

inline bool inRange(long value, long low, long high) {
    return value >= low && value <= high;
}

// Text fields: 32 bytes on the wire, NUL padded; the record keeps a terminator of its own.
template <size_t N>
void writeText(WireWriter &writer, const char (&text)[N]) {
    static_assert(N > 32, "text field of a record is 33 bytes");
    uint8_t wire[32] = {};
    size_t length = 0;
    while (length < 32 && text[length] != '\0') {
        ++length;
    }
    std::memcpy(wire, text, length);
    writer.bytes(wire, sizeof(wire));
}

template <size_t N>
void readText(WireReader &reader, char (&text)[N]) {
    static_assert(N > 32, "text field of a record is 33 bytes");
    uint8_t wire[32];
    reader.bytes(wire, sizeof(wire));
    std::memcpy(text, wire, sizeof(wire));
    std::memset(text + 32, 0, N - 32);
}

}  // namespace zuv
