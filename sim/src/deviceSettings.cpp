#include "deviceSettings.h"

#include "zuvEComIds.h"

namespace zuv::sim {

DeviceSettings factorySettings() {
    DeviceSettings s;
    s.alignment.axisDirectionX = ZUV_ECOM_ALIGNMENT_FORWARD;
    s.alignment.axisDirectionY = ZUV_ECOM_ALIGNMENT_RIGHT;
    s.initCondition = ZuvEComInitConditionConf{0.0, 0.0, 0.0, 2024, 1, 1};
    s.motionProfileId = 1;
    s.aiding = ZuvEComAidingAssignConf{kInternalGnss, kNoModule, kNoModule, 0};
    s.gnss1Installation.leverArmPrimary[2] = -1.0f;
    s.gnss1Installation.leverArmSecondaryMode = ZUV_ECOM_GNSS_INSTALLATION_SINGLE;
    s.gnss1Rejection =
        ZuvEComGnssRejectionConf{ZUV_ECOM_AUTOMATIC_MODE, ZUV_ECOM_AUTOMATIC_MODE, ZUV_ECOM_AUTOMATIC_MODE};
    s.odometer = ZuvEComOdoConf{1000.0f, 5, false};
    s.odometerRejection.velocity = ZUV_ECOM_AUTOMATIC_MODE;
    s.advanced.timeReferenceSrc = ZUV_ECOM_TIME_REFERENCE_UTC_GPS_1;
    for (ZuvEComInterfaceConf &uart : s.uart) {
        uart = ZuvEComInterfaceConf{kFactoryBaudRate, ZUV_ECOM_UART_MODE_232};
    }
    return s;
}

}  // namespace zuv::sim
