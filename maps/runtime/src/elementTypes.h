// The runtime's public element types and the SDK's, in both directions.
#pragma once

#include "maps_runtime.h"
#include "maps_types.h"

namespace zuv::host::detail {

inline MAPSElementType ToMaps(ElementType type) {
    switch (type) {
        case ElementType::TextAscii: return MAPSType_TextAscii;
        case ElementType::Integer32: return MAPSType_Integer32;
        case ElementType::Integer64: return MAPSType_Integer64;
        case ElementType::Float64: return MAPSType_Float64;
        case ElementType::Float32: return MAPSType_Float32;
        default: return MAPSType_Stream8;
    }
}

inline ElementType FromMaps(MAPSElementType type) {
    switch (type) {
        case MAPSType_TextAscii: return ElementType::TextAscii;
        case MAPSType_Integer32: return ElementType::Integer32;
        case MAPSType_Integer64: return ElementType::Integer64;
        case MAPSType_Float64: return ElementType::Float64;
        case MAPSType_Float32: return ElementType::Float32;
        default: return ElementType::Stream8;
    }
}

}  // namespace zuv::host::detail
