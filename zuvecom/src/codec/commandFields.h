// Field lists of the command payloads, in wire order: the one description of
// each layout, visited by codec/commandWire.h to encode, decode and size it.
// Payloads whose parts arrive as separate arguments get a small wire struct.
// Threading: compile-time lists; no state.
#pragma once

#include "codec/commandWire.h"
#include "zuvEComCommandCodec.h"

namespace zuv::commands {

struct AlignmentWire {
    ZuvEComSensorAlignmentInfo alignment;
    float leverArm[3];
};

struct LeverArmWire {
    float leverArm[3];
};

struct UartWire {
    ZuvEComPortId port;
    ZuvEComInterfaceConf conf;
};

struct AckFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.cmdId), v(d.cmdClass), v(d.errorCode);
    }
};

struct DeviceInfoFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(text(d.productCode)), v(d.serialNumber), v(d.calibrationRev), v(d.calibrationYear), v(d.calibrationMonth),
            v(d.calibrationDay), v(d.hardwareRev), v(d.firmwareRev);
    }
};

struct FeaturesFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.sensorsMask), v(d.gnssSignalsMask), v(d.gnssUpdateRate), v(text(d.gnssProductCode));
    }
};

struct ModelInfoFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.id), v(d.revision), v(text(d.name));
    }
};

struct AlignmentFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(wire(d.alignment.axisDirectionX)), v(wire(d.alignment.axisDirectionY)), v(d.alignment.misRoll),
            v(d.alignment.misPitch), v(d.alignment.misYaw), v(d.leverArm);
    }
};

struct InitConditionFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.latitude), v(d.longitude), v(d.altitude), v(d.year), v(d.month), v(d.day);
    }
};

struct AidingAssignFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.gnss1Module), v(d.gnss1Sync), v(d.rtcmModule), v(d.odometerPinsConf);
    }
};

struct LeverArmFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.leverArm);
    }
};

struct AdvancedConfFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(wire(d.timeReferenceSrc));
    }
};

struct GnssInstallationFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.leverArmPrimary), v(d.leverArmPrimaryPrecise), v(d.leverArmSecondary), v(wire(d.leverArmSecondaryMode));
    }
};

struct GnssRejectionFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(wire(d.position)), v(wire(d.velocity)), v(wire(d.hdt));
    }
};

struct OdoConfFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(d.gain), v(d.gainError), v(d.reverseMode);
    }
};

struct OdoRejectionFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(wire(d.velocity));
    }
};

// An output get request names port, class and log; a set adds the mode.
struct OutputSelectorFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(wire(d.port)), v(wire(d.msgClass)), v(d.msgId);
    }
};

struct OutputConfFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        OutputSelectorFields::visit(v, d), v(wire<uint16_t>(d.mode));
    }
};

// A UART get request names the port; a set adds baud rate and mode.
struct UartSelectorFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        v(wire(d.port));
    }
};

struct UartConfFields {
    template <class V, class R>
    static constexpr void visit(V &v, R &d) {
        UartSelectorFields::visit(v, d), v(d.conf.baudRate), v(wire(d.conf.mode));
    }
};

static_assert(wireSize<AckFields, ZuvEComAck>() == ZUV_ECOM_ACK_SIZE);
static_assert(wireSize<DeviceInfoFields, ZuvEComDeviceInfo>() == ZUV_ECOM_DEVICE_INFO_SIZE);
static_assert(wireSize<FeaturesFields, ZuvEComFeatures>() == ZUV_ECOM_FEATURES_SIZE);
static_assert(wireSize<ModelInfoFields, ZuvEComModelInfo>() == ZUV_ECOM_MODEL_INFO_SIZE);
static_assert(wireSize<AlignmentFields, AlignmentWire>() == ZUV_ECOM_SENSOR_ALIGNMENT_SIZE);
static_assert(wireSize<InitConditionFields, ZuvEComInitConditionConf>() == ZUV_ECOM_INIT_CONDITION_SIZE);
static_assert(wireSize<AidingAssignFields, ZuvEComAidingAssignConf>() == ZUV_ECOM_AIDING_ASSIGN_SIZE);
static_assert(wireSize<LeverArmFields, LeverArmWire>() == ZUV_ECOM_LEVER_ARM_SIZE);
static_assert(wireSize<AdvancedConfFields, ZuvEComAdvancedConf>() == ZUV_ECOM_ADVANCED_CONF_SIZE);
static_assert(wireSize<GnssInstallationFields, ZuvEComGnssInstallation>() == ZUV_ECOM_GNSS_INSTALLATION_SIZE);
static_assert(wireSize<GnssRejectionFields, ZuvEComGnssRejectionConf>() == ZUV_ECOM_GNSS_REJECTION_SIZE);
static_assert(wireSize<OdoConfFields, ZuvEComOdoConf>() == ZUV_ECOM_ODO_CONF_SIZE);
static_assert(wireSize<OdoRejectionFields, ZuvEComOdoRejectionConf>() == ZUV_ECOM_ODO_REJECTION_SIZE);
static_assert(wireSize<OutputSelectorFields, ZuvEComOutputConf>() == ZUV_ECOM_OUTPUT_SELECTOR_SIZE);
static_assert(wireSize<OutputConfFields, ZuvEComOutputConf>() == ZUV_ECOM_OUTPUT_CONF_SIZE);
static_assert(wireSize<UartSelectorFields, UartWire>() == ZUV_ECOM_UART_SELECTOR_SIZE);
static_assert(wireSize<UartConfFields, UartWire>() == ZUV_ECOM_UART_CONF_SIZE);

}  // namespace zuv::commands
