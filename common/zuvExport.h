// Visibility of the plain-name helpers.
// The package builds common/ with ZUV_COMMON_EXPORTS and exports the helpers;
// the zuvECom library builds its own hidden copy so that it never shadows them.
#pragma once

#if defined(ZUV_COMMON_EXPORTS)
#define ZUV_COMMON_API __attribute__((visibility("default")))
#else
#define ZUV_COMMON_API
#endif
