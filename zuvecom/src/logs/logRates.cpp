#include "zuvEComLogRates.h"

#include "logs/logCodec.h"
#include "zuvEComIds.h"
#include "zuvEComLogCatalogue.h"
#include "zuvEComProtocol.h"

static_assert(ZUV_ECOM_GNSS_UPDATE_RATE_HZ == zuv::catalogue::kGnssRateHz,
              "the features answer and the log catalogue agree");

extern "C" {

size_t zuvEComLogFrameSize(uint8_t msgId) {
    if (msgId == ZUV_ECOM_LOG_GPS1_RAW || msgId == ZUV_ECOM_LOG_GPS2_RAW) {
        return ZUV_ECOM_MAX_FRAME_SIZE;
    }
    const zuv::logs::LogCodec *codec = zuv::logs::codecFor(msgId);
    return codec != nullptr ? codec->layoutSize + ZUV_ECOM_FRAME_OVERHEAD : 0;
}

uint32_t zuvEComLogNewDataRateHz(uint8_t msgId) {
    // Ship motion is produced by the device but offered by no reader property.
    if (msgId == ZUV_ECOM_LOG_SHIP_MOTION) {
        return 200;
    }
    const zuv::catalogue::LogKind *kind = zuv::catalogue::kindOf(msgId);
    return kind != nullptr ? kind->newDataRateHz : 0;
}

}  // extern "C"
