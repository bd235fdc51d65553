#include "maps_string.h"

MAPSString MAPSString::FromInteger(long long value, const char *format) {
    // Only the plain decimal format is used by this package; anything else
    // falls back to it rather than producing an unusable name.
    (void)format;
    return MAPSString(std::to_string(value));
}
