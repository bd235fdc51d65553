// The settings image: what export hands out, import takes back and save writes
// to the settings file. Opaque to the host.
//
//   "ZSIM" | u16 version 1 | u16 reserved | u32 body size B | body | u32 FNV-1a of the bytes before it
//   then any padding, ignored.
// The body holds the records in their command layouts, the five UART settings,
// and the non-zero output modes as (port, class, log id, mode) entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "deviceSettings.h"

namespace zuv::sim {

constexpr size_t kSettingsImageMaxSize = 100000;

// Padded with zeros up to padTo bytes (never beyond the maximum size).
std::vector<uint8_t> encodeSettingsImage(const DeviceSettings &settings, size_t padTo = 0);
// False, leaving `settings` alone, for an image that is damaged or breaks a rule.
bool decodeSettingsImage(const uint8_t *image, size_t size, DeviceSettings &settings);

// Settings file: the image. A missing file is not an error (*pFound false).
bool loadSettingsFile(const std::string &path, DeviceSettings &settings, bool *pFound, std::string &error);
// Written beside the target and renamed over it, so a crash never leaves half a file.
bool saveSettingsFile(const std::string &path, const DeviceSettings &settings, std::string &error);

}  // namespace zuv::sim
