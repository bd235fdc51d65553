// What a log kind costs on the link: the size of its frame and the rate at
// which the device has new data for it ("on new data" follows that rate).
// Errors: 0 for ids the device does not produce. Threading: constant data.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "zuvLibExport.h"

#ifdef __cplusplus
extern "C" {
#endif

// GNSS receivers update this often (the features answer says so too).
#define ZUV_ECOM_GNSS_UPDATE_RATE_HZ 5u

// Frame size on the wire: the log's layout plus the frame overhead; raw GNSS
// logs count as the largest frame.
ZUVLIB_API size_t zuvEComLogFrameSize(uint8_t msgId);
// The main-loop logs 200 Hz, magnetometer 100 Hz, GNSS logs 5 Hz, odometer
// 50 Hz, air data 25 Hz, DVL 10 Hz, USBL and magnetometer calibration 1 Hz;
// 0 for event markers (they follow their pulses).
ZUVLIB_API uint32_t zuvEComLogNewDataRateHz(uint8_t msgId);

#ifdef __cplusplus
}
#endif
