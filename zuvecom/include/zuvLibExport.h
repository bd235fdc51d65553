// Visibility of the zuvECom library's public API (libzuvLib.so).
#pragma once

#define ZUVLIB_API __attribute__((visibility("default")))
