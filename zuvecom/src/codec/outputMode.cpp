#include "zuvEComIds.h"

extern "C" int zuvEComOutputModeIsValid(uint32_t mode) {
    switch (mode) {
        case ZUV_ECOM_OUTPUT_MODE_DISABLED:
        case ZUV_ECOM_OUTPUT_MODE_MAIN_LOOP:
        case ZUV_ECOM_OUTPUT_MODE_DIV_2:
        case ZUV_ECOM_OUTPUT_MODE_DIV_4:
        case ZUV_ECOM_OUTPUT_MODE_DIV_8:
        case ZUV_ECOM_OUTPUT_MODE_DIV_10:
        case ZUV_ECOM_OUTPUT_MODE_DIV_20:
        case ZUV_ECOM_OUTPUT_MODE_DIV_40:
        case ZUV_ECOM_OUTPUT_MODE_DIV_200:
        case ZUV_ECOM_OUTPUT_MODE_PPS:
        case ZUV_ECOM_OUTPUT_MODE_NEW_DATA:
        case ZUV_ECOM_OUTPUT_MODE_SYNC_A:
        case ZUV_ECOM_OUTPUT_MODE_SYNC_B:
        case ZUV_ECOM_OUTPUT_MODE_SYNC_C:
        case ZUV_ECOM_OUTPUT_MODE_SYNC_D: return 1;
        default: return 0;
    }
}
