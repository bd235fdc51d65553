// Values each enumerated command field may take; encode refuses others and
// decode rejects them with ZUV_INVALID_PARAMETER. Kept apart from the field
// lists so that field order and allowed values change independently.
// Threading: none; pure functions.
#pragma once

#include "codec/payloadCodec.h"
#include "zuvEComCommandRecords.h"
#include "zuvEComIds.h"

extern "C" int zuvEComOutputModeIsValid(uint32_t mode);

namespace zuv::commands {

template <typename E>
struct ValueSet;

template <>
struct ValueSet<ZuvEComAxisDirection> {
    static bool contains(long v) { return inRange(v, ZUV_ECOM_ALIGNMENT_FORWARD, ZUV_ECOM_ALIGNMENT_DOWN); }
};

template <>
struct ValueSet<ZuvEComGnssInstallationMode> {
    static bool contains(long v) {
        return inRange(v, ZUV_ECOM_GNSS_INSTALLATION_SINGLE, ZUV_ECOM_GNSS_INSTALLATION_DUAL_PRECISE);
    }
};

template <>
struct ValueSet<ZuvEComRejectionMode> {
    static bool contains(long v) { return inRange(v, ZUV_ECOM_NEVER_ACCEPT_MODE, ZUV_ECOM_ALWAYS_ACCEPT_MODE); }
};

template <>
struct ValueSet<ZuvEComTimeReferenceSrc> {
    static bool contains(long v) {
        return inRange(v, ZUV_ECOM_TIME_REFERENCE_DISABLED, ZUV_ECOM_TIME_REFERENCE_UTC_GPS_1);
    }
};

template <>
struct ValueSet<ZuvEComPortMode> {
    static bool contains(long v) { return inRange(v, ZUV_ECOM_UART_MODE_OFF, ZUV_ECOM_UART_MODE_422); }
};

template <>
struct ValueSet<ZuvEComOutputPort> {
    static bool contains(long v) { return inRange(v, 0, static_cast<long>(ZUV_ECOM_NUM_PORTS) - 1); }
};

template <>
struct ValueSet<ZuvEComPortId> {
    static bool contains(long v) { return inRange(v, 0, static_cast<long>(ZUV_ECOM_NUM_PORTS) - 1); }
};

// The only command field of this type selects a log output, so only log classes are valid.
template <>
struct ValueSet<ZuvEComClass> {
    static bool contains(long v) { return v == ZUV_ECOM_CLASS_LOG_ECOM_0 || v == ZUV_ECOM_CLASS_LOG_ECOM_1; }
};

template <>
struct ValueSet<ZuvEComOutputMode> {
    static bool contains(long v) { return v >= 0 && zuvEComOutputModeIsValid(static_cast<uint32_t>(v)) != 0; }
};

}  // namespace zuv::commands
